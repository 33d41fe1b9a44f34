#include "check/licence_width.h"

#include "resources/resource_ids.h"

namespace {
// Advance widths in pixels of MS Sans Serif 8 pt at 96 DPI, the licence page's font, for the
// bytes 0x20 to 0xFF of code page 1252. Bytes the code page leaves undefined (0x7F, 0x81, 0x8D,
// 0x8F, 0x90, 0x9D) and control bytes show the font's default character.
// clang-format off
const unsigned char ADVANCE[224] = {
    // 0x20   !  "  #  $  %  &  '  (  )  *  +  ,  -  .  /
    3, 3, 4, 6, 6, 9, 7, 2, 4, 4, 4, 6, 3, 4, 3, 3,
    // 0  1  2  3  4  5  6  7  8  9  :  ;  <  =  >  ?
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3, 6, 6, 6, 6,
    // @  A  B  C  D  E  F  G  H  I  J  K  L  M  N  O
    11, 7, 7, 8, 8, 7, 6, 8, 8, 3, 5, 7, 6, 9, 8, 8,
    // P  Q  R  S  T  U  V  W  X  Y  Z  [  \  ]  ^  _
    7, 8, 8, 7, 6, 8, 7, 11, 7, 7, 7, 3, 3, 3, 5, 6,
    // `  a  b  c  d  e  f  g  h  i  j  k  l  m  n  o
    4, 6, 6, 5, 6, 6, 3, 6, 6, 2, 2, 5, 2, 8, 6, 6,
    // p  q  r  s  t  u  v  w  x  y  z  {  |  }  ~  0x7F
    6, 6, 3, 5, 3, 6, 6, 8, 5, 6, 5, 4, 3, 4, 6, 6,
    // 0x80 to 0x8F: euro, -, quote, f hook, quotes, ellipsis, daggers, circumflex, per mille,
    // S caron, angle quote, OE, -, Z caron, -
    6, 6, 3, 6, 5, 11, 6, 6, 4, 12, 7, 4, 11, 6, 7, 6,
    // 0x90 to 0x9F: -, quotes, bullet, en and em dash, tilde, trade mark, s caron, angle quote,
    // oe, -, z caron, Y diaeresis
    6, 3, 3, 5, 5, 4, 6, 11, 4, 11, 5, 4, 10, 6, 5, 7,
    // 0xA0 to 0xAF: no-break space, inverted exclamation, cent, pound, currency, yen, broken bar,
    // section, diaeresis, copyright, feminine ordinal, angle quotes, not, soft hyphen,
    // registered, macron
    3, 3, 6, 6, 6, 6, 3, 6, 4, 9, 4, 6, 6, 4, 9, 6,
    // 0xB0 to 0xBF: degree, plus-minus, superscripts, acute, micro, pilcrow, middle dot, cedilla,
    // superscript one, masculine ordinal, angle quotes, fractions, inverted question
    4, 6, 4, 4, 4, 6, 6, 3, 3, 4, 4, 6, 9, 9, 9, 6,
    // 0xC0 to 0xCF: A grave to I diaeresis
    7, 7, 7, 7, 7, 7, 11, 8, 7, 7, 7, 7, 3, 3, 4, 4,
    // 0xD0 to 0xDF: Eth to sharp s
    8, 8, 8, 8, 8, 8, 8, 6, 8, 8, 8, 8, 8, 7, 7, 6,
    // 0xE0 to 0xEF: a grave to i diaeresis
    6, 6, 6, 6, 6, 6, 9, 5, 6, 6, 6, 6, 3, 3, 4, 4,
    // 0xF0 to 0xFF: eth to y diaeresis
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
};
// clang-format on
const int DEFAULT_ADVANCE = 6;

// The edit box's sunken edge (SM_CXEDGE), which the dialog manager gives a bordered edit box of a
// Windows 95-style dialog, and its vertical scroll bar (SM_CXVSCROLL: 16 pixels up to Windows
// 2000, 17 from XP on; the narrower box counts). A bitmap font gets no text margins.
const int EDGE_PIXELS = 2;
const int SCROLL_BAR_PIXELS = 17;
// An edit box's default tab stops lie every 32 dialog units.
const int TAB_STOP_UNITS = 32;

int Advance(unsigned char byte) {
    return byte >= 0x20 ? ADVANCE[byte - 0x20] : DEFAULT_ADVANCE;
}

// As the dialog manager derives it from the font: the average of the 52 letters, rounded.
int BaseUnitPixels() {
    int letters = 0;
    for (unsigned char c = 'A'; c <= 'Z'; ++c)
        letters += Advance(c) + Advance(static_cast<unsigned char>(c - 'A' + 'a'));
    return (letters / 26 + 1) / 2;
}

// MulDiv(units, base, 4), which rounds halves up.
int UnitsToPixels(int units) {
    return (units * BaseUnitPixels() * 2 + 4) / 8;
}

// The pixels a line of bytes takes in the dialog font, tabs at the box's tab stops; *fitting
// gets how many of its leading bytes the box shows whole.
int LinePixels(const char* line, size_t length, size_t* fitting) {
    int box = LicenceBoxPixels();
    int tab = UnitsToPixels(TAB_STOP_UNITS);
    int pixels = 0;
    *fitting = 0;
    for (size_t i = 0; i < length; ++i) {
        unsigned char byte = static_cast<unsigned char>(line[i]);
        pixels = byte == '\t' ? (pixels / tab + 1) * tab : pixels + Advance(byte);
        if (pixels <= box)
            *fitting = i + 1;
    }
    return pixels;
}
} // namespace

int LicenceBoxPixels() {
    return UnitsToPixels(LICENCE_BOX_WIDTH) - 2 * EDGE_PIXELS - SCROLL_BAR_PIXELS;
}

void MeasureLicence(const char* text, size_t length, LicenceLayout* layout) {
    *layout = LicenceLayout();
    int box = LicenceBoxPixels();
    size_t start = 0;
    for (int number = 1; start < length && text[start] != '\0'; ++number) {
        size_t end = start;
        while (end < length && text[end] != '\0' && text[end] != '\n')
            ++end;
        size_t shown = end;
        if (end < length && text[end] == '\n') {
            if (end > start && text[end - 1] == '\r')
                --shown;
            else if (layout->firstBareLineFeed == 0)
                layout->firstBareLineFeed = number;
        }
        size_t fitting = 0;
        if (LinePixels(text + start, shown - start, &fitting) > box) {
            if (layout->wideLines < LicenceLayout::NAMED)
                layout->named[layout->wideLines] = {number, shown - start, fitting};
            ++layout->wideLines;
        }
        start = end + 1;
    }
}
