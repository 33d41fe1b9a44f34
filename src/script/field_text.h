#pragma once
#include <stddef.h>
#include <stdint.h>

// Copies src into dest (size bytes) like CopyText, but a cut never keeps the first half of a
// double-byte character. codePage 0 means the active ANSI code page.
size_t CopyField(char* dest, size_t size, const char* src, unsigned codePage = 0);

// A number field: leading blanks, an optional sign, then the digits up to the first other
// character; no digits read as 0. Values beyond the 32-bit range stop at its ends.
int32_t ReadDecimal(const char* text);

// A number written as the profile functions and ReadDecimal both read it alike: an optional "-",
// then 1 to 9 decimal digits without a leading zero. False for any other form.
bool ReadPlainNumber(const char* text, int* number);

// Sum of two sizes that stops at the ends of the 32-bit range instead of wrapping.
int32_t AddSizes(int32_t a, int32_t b);
