#pragma once
// What a check of a product folder found, one line of Setup.ini each (line 0: the folder or the
// script as a whole).
#include <stdarg.h>
#include <stddef.h>

#include "script/ptr_array.h"

enum FindingLevel {
    FINDING_WARNING,
    FINDING_ERROR,
};

struct Finding {
    char file[40]; // empty: Setup.ini
    int line;
    FindingLevel level;
    char text[600];
};

// Copies text with each byte a console shows as nothing (control bytes, a UTF-8 byte-order mark)
// written out by name, such as "<byte 0x09>".
void NameInvisibleBytes(const char* text, char* out, size_t size);

class Findings {
  public:
    Findings() : list_(Release) {}

    void Add(int line, FindingLevel level, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // A finding of another file of the folder.
    void AddIn(const char* file, int line, FindingLevel level, const char* format, ...)
        __attribute__((format(printf, 5, 6)));
    // By file (Setup.ini first) and line; findings of one line keep the order they were made in.
    void Sort();

    int Count() const { return list_.Count(); }
    const Finding& At(int index) const { return *static_cast<const Finding*>(list_.At(index)); }
    int Errors() const;
    int Warnings() const { return Count() - Errors(); }
    // 0 with nothing to report, 1 for warnings only, 2 with an error.
    int ExitCode() const;
    // "Setup.ini:12: error: text", or "Setup.ini: warning: text" for line 0.
    void Format(int index, char* out, size_t size) const;

  private:
    static void Release(void** slot);
    void AddV(const char* file, int line, FindingLevel level, const char* format, va_list args);
    PtrArray list_;
};
