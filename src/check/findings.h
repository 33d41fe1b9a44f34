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
    int line;
    FindingLevel level;
    char text[600];
    // A finding inside a file that Setup.ini names (the licence) is shown at that file's line;
    // line is then the line of Setup.ini that names it. Empty for Setup.ini itself.
    char file[260];
    int fileLine;
};

// Copies text with each byte a console shows as nothing (control bytes, a UTF-8 byte-order mark)
// written out by name, such as "<byte 0x09>".
void NameInvisibleBytes(const char* text, char* out, size_t size);

class Findings {
  public:
    Findings() : list_(Release) {}

    void Add(int line, FindingLevel level, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // A finding at fileLine of another file (0: that file as a whole), sorted at line.
    void AddIn(int line, const char* file, int fileLine, FindingLevel level, const char* format,
               ...) __attribute__((format(printf, 6, 7)));
    void AddInV(int line, const char* file, int fileLine, FindingLevel level, const char* format,
                va_list args);
    // A copy of finding, in its file, its text behind prefix.
    void AddLike(const Finding& finding, const char* prefix);
    // By line; findings of one line keep the order they were made in.
    void Sort();

    int Count() const { return list_.Count(); }
    const Finding& At(int index) const { return *static_cast<const Finding*>(list_.At(index)); }
    int Errors() const;
    int Warnings() const { return Count() - Errors(); }
    // 0 with nothing to report, 1 for warnings only, 2 with an error.
    int ExitCode() const;
    // "Setup.ini:12: error: text", or "Setup.ini: warning: text" for line 0; a finding in
    // another file names that file ("Licence.txt:3: warning: text").
    void Format(int index, char* out, size_t size) const;

  private:
    static void Release(void** slot);
    PtrArray list_;
};
