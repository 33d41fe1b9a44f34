#pragma once
// Whether Windows 95 can load a bitmap file, from its headers alone.
#include <stddef.h>

// False, with the reason in out (such as "not a BMP file"), when Windows 95 cannot load it.
bool Windows95LoadsBitmap(const char* path, char* out, size_t size);
