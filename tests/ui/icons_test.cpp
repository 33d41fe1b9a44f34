// Every image of the program's two icons, the PNG entries for high DPI included, loads as Windows
// loads it and shows the design: the icon's colour inside, the background at the transparent
// corner.
#include <gtest/gtest.h>

#include <windows.h>

#include "resources/resource_ids.h"

namespace {
#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupHeader {
    WORD reserved, type, count;
    GroupEntry entries[1];
};
#pragma pack(pop)

// Draws the icon over white into a 32-bit bitmap; returns the pixel (0x00RRGGBB).
DWORD PixelOf(HICON icon, int size, int x, int y) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    DWORD pixel = static_cast<DWORD*>(bits)[y * size + x] & 0xFFFFFF;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixel;
}
} // namespace

TEST(Icons, EveryImageLoadsWithItsColourAndTransparentCorner) {
    struct Case {
        int group;
        bool blue; // the program's icon is blue, the uninstall icon slate grey
        int images;
        int sizes; // a bit for each size, 1 << (size / 8)
    };
    const int SMALL = 1 << 2 | 1 << 3 | 1 << 4, LARGE = 1 << 4 | 1 << 6 | 1 << 8;
    const Case cases[] = {{IDI_SETUP, true, 8, SMALL | LARGE},
                          {IDI_UNINSTALL, false, 7, SMALL | LARGE}};
    HMODULE module = GetModuleHandleA(nullptr);
    for (const Case& c : cases) {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(c.group), RT_GROUP_ICON);
        ASSERT_NE(nullptr, found) << c.group;
        const GroupHeader* group =
            static_cast<const GroupHeader*>(LockResource(LoadResource(module, found)));
        ASSERT_EQ(c.images, group->count) << c.group;
        int sizes = 0;
        for (int i = 0; i < group->count; ++i) {
            const GroupEntry& entry = group->entries[i];
            SCOPED_TRACE(testing::Message() << "group " << c.group << " image " << int(entry.width)
                                            << " bits " << entry.bitCount);
            HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(entry.id), RT_ICON);
            ASSERT_NE(nullptr, image);
            HICON icon = CreateIconFromResourceEx(
                static_cast<BYTE*>(LockResource(LoadResource(module, image))),
                SizeofResource(module, image), TRUE, 0x00030000, entry.width, entry.width, 0);
            ASSERT_NE(nullptr, icon);
            int size = entry.width;
            sizes |= 1 << (size / 8);
            EXPECT_EQ(0xFFFFFFu, PixelOf(icon, size, 0, 0));
            DWORD inside = PixelOf(icon, size, size / 8 + 1, size / 2);
            int r = (inside >> 16) & 0xFF, g = (inside >> 8) & 0xFF, b = inside & 0xFF;
            if (c.blue)
                EXPECT_TRUE(b > r + 40 && b > g) << std::hex << inside;
            else
                EXPECT_TRUE(b >= r && b - r < 60 && g - r < 60) << std::hex << inside;
            DestroyIcon(icon);
        }
        // 16 and 32 pixels at 100 %, 24 and 48 at 150 %, 32 and 64 at 200 %.
        EXPECT_EQ(c.sizes, sizes) << c.group;
    }
}
