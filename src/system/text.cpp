#include "system/text.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

size_t FormatTextV(char* dest, size_t size, const char* format, va_list args) {
    if (!dest || size == 0)
        return 0;
    // msvcrt's _vsnprintf does not terminate a cut text and returns -1 for it.
    int written = _vsnprintf(dest, size, format, args);
    if (written < 0 || static_cast<size_t>(written) >= size) {
        dest[size - 1] = '\0';
        return strlen(dest);
    }
    return static_cast<size_t>(written);
}

size_t FormatText(char* dest, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    size_t length = FormatTextV(dest, size, format, args);
    va_end(args);
    return length;
}

size_t CopyTextN(char* dest, size_t size, const char* src, size_t count) {
    if (!dest || size == 0)
        return 0;
    size_t length = 0;
    if (src) {
        while (length < count && length + 1 < size && src[length] != '\0')
            ++length;
        memcpy(dest, src, length);
    }
    dest[length] = '\0';
    return length;
}

size_t CopyText(char* dest, size_t size, const char* src) {
    return CopyTextN(dest, size, src, static_cast<size_t>(-1));
}

size_t AppendText(char* dest, size_t size, const char* src) {
    if (!dest || size == 0)
        return 0;
    size_t used = strnlen(dest, size - 1);
    return used + CopyText(dest + used, size - used, src);
}

bool IsLeadByte(char c, unsigned codePage) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x80)
        return false;
    return codePage ? IsDBCSLeadByteEx(codePage, byte) != 0 : IsDBCSLeadByte(byte) != 0;
}

// Steps over one character; a lead byte followed by the terminator counts as one byte.
static const char* NextChar(const char* p, unsigned codePage) {
    if (IsLeadByte(*p, codePage) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

char* FindChar(const char* text, char c, unsigned codePage) {
    if (!text)
        return nullptr;
    for (const char* p = text; *p; p = NextChar(p, codePage)) {
        if (*p == c && !(IsLeadByte(*p, codePage) && p[1] != '\0'))
            return const_cast<char*>(p);
    }
    return nullptr;
}

char* FindLastChar(const char* text, char c, unsigned codePage) {
    const char* last = nullptr;
    for (const char* p = FindChar(text, c, codePage); p; p = FindChar(p + 1, c, codePage))
        last = p;
    return const_cast<char*>(last);
}

char* FindText(const char* text, const char* part, unsigned codePage) {
    if (!text || !part)
        return nullptr;
    size_t length = strlen(part);
    for (const char* p = text; *p; p = NextChar(p, codePage)) {
        if (strncmp(p, part, length) == 0)
            return const_cast<char*>(p);
    }
    return length == 0 ? const_cast<char*>(text) : nullptr;
}

static char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool StartsWithNoCase(const char* text, const char* prefix, unsigned codePage) {
    if (!text || !prefix)
        return false;
    const char* p = prefix;
    const char* t = text;
    while (*p) {
        if (IsLeadByte(*p, codePage) && p[1] != '\0') {
            if (t[0] != p[0] || t[1] != p[1])
                return false;
            p += 2;
            t += 2;
            continue;
        }
        if (*t == '\0' || FoldAscii(*t) != FoldAscii(*p))
            return false;
        // A lead byte in the text against a single-byte prefix character cannot match.
        if (IsLeadByte(*t, codePage) && t[1] != '\0')
            return false;
        ++p;
        ++t;
    }
    return true;
}

bool StartsWith(const char* text, const char* prefix) {
    return text && prefix && strncmp(text, prefix, strlen(prefix)) == 0;
}

bool EqualNoCase(const char* a, const char* b, unsigned codePage) {
    if (!a || !b)
        return false;
    return strlen(a) == strlen(b) && StartsWithNoCase(a, b, codePage);
}

int CompareNoCase(const char* a, const char* b, unsigned codePage) {
    while (*a || *b) {
        // Both bytes of a double-byte character compare exactly, as in StartsWithNoCase.
        bool pair = IsLeadByte(*a, codePage) && a[1] != '\0';
        int width = pair ? 2 : 1;
        for (int i = 0; i < width; ++i) {
            unsigned char x = static_cast<unsigned char>(pair ? a[i] : FoldAscii(a[i]));
            unsigned char y = static_cast<unsigned char>(pair ? b[i] : FoldAscii(b[i]));
            if (x != y)
                return x < y ? -1 : 1;
        }
        a += width;
        b += width;
    }
    return 0;
}

const char* FileNamePart(const char* path) {
    if (!path)
        return "";
    const char* slash = FindLastChar(path, '\\');
    return slash ? slash + 1 : path;
}
