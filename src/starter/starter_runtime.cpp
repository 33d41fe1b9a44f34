// The few C library functions the starter's code needs, so that it links no C runtime and so
// imports no library beyond the system's own four. The compiler itself emits calls to the
// memory functions.
#include <stdarg.h>
#include <stddef.h>
#include <string.h>

#include "starter/starter_format.h"

extern "C" {
void* memcpy(void* dest, const void* src, size_t size) {
    unsigned char* d = static_cast<unsigned char*>(dest);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    while (size--)
        *d++ = *s++;
    return dest;
}

void* memmove(void* dest, const void* src, size_t size) {
    unsigned char* d = static_cast<unsigned char*>(dest);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    if (d < s)
        return memcpy(dest, src, size);
    while (size--)
        d[size] = s[size];
    return dest;
}

void* memset(void* dest, int value, size_t size) {
    unsigned char* d = static_cast<unsigned char*>(dest);
    while (size--)
        *d++ = static_cast<unsigned char>(value);
    return dest;
}

int memcmp(const void* a, const void* b, size_t size) {
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    for (; size; --size, ++x, ++y) {
        if (*x != *y)
            return *x - *y;
    }
    return 0;
}

size_t strlen(const char* text) {
    const char* end = text;
    while (*end)
        ++end;
    return static_cast<size_t>(end - text);
}

char* strchr(const char* text, int wanted) {
    for (;; ++text) {
        if (*text == static_cast<char>(wanted))
            return const_cast<char*>(text);
        if (!*text)
            return nullptr;
    }
}

size_t strnlen(const char* text, size_t most) {
    size_t length = 0;
    while (length < most && text[length])
        ++length;
    return length;
}

// Global constructors never run here (the starter's statics are all constant), and global
// destructors need not: the starter ends through ExitProcess, which closes what it holds. The
// registrations the compiler emits for them are taken and dropped.
int atexit(void (*)(void)) {
    return 0;
}

// The headers declare _vsnprintf as imported from the C runtime's DLL: callers go through this
// pointer.
int (*_imp___vsnprintf)(char*, size_t, const char*, va_list) = StarterFormat;
}
