#pragma once
// Bounded text helpers. Every fixed text buffer of the program is filled through FormatText or
// its thin wrappers, which always terminate and cut what does not fit.
#include <stdarg.h>
#include <stddef.h>

// Formats into dest (size bytes, size >= 1); returns the length written.
size_t FormatText(char* dest, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
size_t FormatTextV(char* dest, size_t size, const char* format, va_list args);

// Copies at most size - 1 bytes of src; a null src gives the empty text.
size_t CopyText(char* dest, size_t size, const char* src);
// Copies at most count bytes of src (fewer if it ends sooner).
size_t CopyTextN(char* dest, size_t size, const char* src, size_t count);
// Appends src behind the text already in dest.
size_t AppendText(char* dest, size_t size, const char* src);

// True when c opens a double-byte character. codePage 0 means the active ANSI code page.
bool IsLeadByte(char c, unsigned codePage = 0);

// Multi-byte aware searches: the second byte of a double-byte character never matches.
// codePage 0 means the active ANSI code page.
char* FindChar(const char* text, char c, unsigned codePage = 0);
char* FindLastChar(const char* text, char c, unsigned codePage = 0);
char* FindText(const char* text, const char* part, unsigned codePage = 0);

// Case-insensitive comparison of the first strlen(prefix) bytes (ASCII letters fold; bytes of
// double-byte characters compare exactly).
bool StartsWithNoCase(const char* text, const char* prefix, unsigned codePage = 0);
// Case-sensitive prefix test.
bool StartsWith(const char* text, const char* prefix);
bool EqualNoCase(const char* a, const char* b, unsigned codePage = 0);
// An order for sorting under the same rule: 0 exactly when EqualNoCase.
int CompareNoCase(const char* a, const char* b, unsigned codePage = 0);

// The part of a path after its last backslash (the whole text when it has none).
const char* FileNamePart(const char* path);
