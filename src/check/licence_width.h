#pragma once
// How wide the licence page's box shows a licence text on Windows at 96 DPI. The box does not
// wrap words, so a line wider than it is cut at its right edge. Wine draws the dialog with a font
// of its own, so the widths are Windows' figures, not measured at run time.
#include <stddef.h>

// The box's text area in pixels: its width in dialog units, less its sunken edge and its
// vertical scroll bar.
int LicenceBoxPixels();

struct WideLicenceLine {
    int number; // counted from 1, lines ending at LF
    size_t characters;
    size_t fitting;
};

// The lines the text shows: it ends at its first zero byte, as the box's text does.
struct LicenceLayout {
    static const int NAMED = 5;
    int wideLines = 0;            // lines wider than the box
    WideLicenceLine named[NAMED]; // the first of them
    int firstBareLineFeed = 0;    // the first line ending in LF without CR, or 0
};

void MeasureLicence(const char* text, size_t length, LicenceLayout* layout);
