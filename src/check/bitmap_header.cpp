#include "check/bitmap_header.h"

#include <stdint.h>
#include <string.h>
#include <windows.h>

#include "system/text.h"
#include "system/win_handles.h"

namespace {
uint32_t Little(const unsigned char* bytes, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}
} // namespace

bool Windows95LoadsBitmap(const char* path, char* out, size_t size) {
    // The file header (14 bytes) and the longest part of an information header read here.
    unsigned char header[14 + 20] = {};
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD read = 0;
    if (!file.IsValid() || !ReadFile(file.Get(), header, sizeof(header), &read, nullptr) ||
        read < 26 || header[0] != 'B' || header[1] != 'M') {
        CopyText(out, size, "not a BMP file (it does not start with \"BM\")");
        return false;
    }
    uint32_t infoSize = Little(header + 14, 4);
    if (infoSize != 12 && infoSize != 40 && infoSize != 108) {
        FormatText(out, size,
                   "a BMP with a %u-byte information header (Windows 95 reads 12, 40 or 108)",
                   infoSize);
        return false;
    }
    uint32_t compression = infoSize == 12 || read < 34 ? 0 : Little(header + 30, 4);
    if (compression > BI_BITFIELDS) {
        FormatText(out, size,
                   "a BMP with compression %u (JPEG or PNG inside; Windows 95 reads none, RLE "
                   "or bit fields)",
                   compression);
        return false;
    }
    uint32_t bits = infoSize == 12 ? Little(header + 24, 2) : Little(header + 28, 2);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        FormatText(out, size, "a BMP of %u bits per pixel (Windows 95 reads 1, 4, 8, 16, 24, 32)",
                   bits);
        return false;
    }
    return true;
}
