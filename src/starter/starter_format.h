#pragma once
// The starter's own _vsnprintf, since it links no C runtime. It takes printf's flags (- 0 + space
// #), width and precision (digits or *), the lengths h and l, and the conversions d i u o x X p c
// s %, as msvcrt.dll formats them: every conversion of 32 bits or less. 64-bit values and floating
// point are left out; the starter has none. Returns the length the whole text needs, as C99 does;
// writes at most size bytes, terminated when size allows.
#include <stdarg.h>
#include <stddef.h>

int StarterFormat(char* out, size_t size, const char* format, va_list args);
