#pragma once
// The vendor's banner bitmap is made for a 96-DPI display; at a higher DPI the dialog around it
// grows, and so must the bitmap.
#include <windows.h>

// HALFTONE smooths where GetVersion reports the NT family; Windows 95/98/Me lack it.
int BannerStretchMode(DWORD version);
// The bitmap at the screen's DPI: the same bitmap at 96 DPI (or when scaling fails), otherwise
// a new one, and the given one deleted.
HBITMAP ScaleToScreenDpi(HBITMAP bitmap);
