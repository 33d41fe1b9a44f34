#include "ui/banner_bitmap.h"

namespace {
const int DESIGN_DPI = 96;
const DWORD WINDOWS_9X = 0x80000000;
} // namespace

int BannerStretchMode(DWORD version) {
    return (version & WINDOWS_9X) ? COLORONCOLOR : HALFTONE;
}

HBITMAP ScaleToScreenDpi(HBITMAP bitmap) {
    HDC screen = GetDC(nullptr);
    int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    BITMAP size;
    HBITMAP scaled = nullptr;
    // Once, into one bitmap, which the control then paints as it paints any other. A failed
    // step fails the stretch, and the bitmap is shown at its own size.
    if ((dpiX != DESIGN_DPI || dpiY != DESIGN_DPI) && GetObjectA(bitmap, sizeof(size), &size)) {
        int width = MulDiv(size.bmWidth, dpiX, DESIGN_DPI);
        int height = MulDiv(size.bmHeight, dpiY, DESIGN_DPI);
        HDC source = CreateCompatibleDC(screen);
        HDC target = CreateCompatibleDC(screen);
        scaled = CreateCompatibleBitmap(screen, width, height);
        HGDIOBJ oldSource = SelectObject(source, bitmap);
        HGDIOBJ oldTarget = SelectObject(target, scaled);
        SetStretchBltMode(target, BannerStretchMode(GetVersion()));
        // HALFTONE misaligns the brush origin, which must be set again after it.
        SetBrushOrgEx(target, 0, 0, nullptr);
        BOOL stretched = StretchBlt(target, 0, 0, width, height, source, 0, 0, size.bmWidth,
                                    size.bmHeight, SRCCOPY);
        SelectObject(source, oldSource);
        SelectObject(target, oldTarget);
        DeleteDC(source);
        DeleteDC(target);
        if (!stretched) {
            DeleteObject(scaled);
            scaled = nullptr;
        }
    }
    ReleaseDC(nullptr, screen);
    if (!scaled)
        return bitmap;
    DeleteObject(bitmap);
    return scaled;
}
