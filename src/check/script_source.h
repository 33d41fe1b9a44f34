#pragma once
// Setup.ini as each Windows reads it: the encoding it was saved in, the text the profile functions
// see (ANSI of a code page), scanned for lines, and a copy for the installer's reader where the
// file itself would read otherwise.
#include <stddef.h>

#include "check/findings.h"
#include "check/ini_scan.h"

enum ScriptEncoding {
    ENCODING_ANSI,
    ENCODING_UTF8_MARKED,    // starts with the UTF-8 byte-order mark
    ENCODING_UTF16_LE,       // with its byte-order mark: read by Windows 2000 and later
    ENCODING_UTF16_BE,       // with its byte-order mark: read by no Windows
    ENCODING_UTF16_UNMARKED, // either order, no mark: read by no Windows
};

// The encoding of a file that starts with these bytes.
ScriptEncoding DetectEncoding(const unsigned char* bytes, size_t length);

class ScriptSource {
  public:
    ScriptSource() = default;
    ~ScriptSource();
    ScriptSource(const ScriptSource&) = delete;
    ScriptSource& operator=(const ScriptSource&) = delete;

    // Reads folder\Setup.ini for the ANSI code page codePage (0: this machine's) and reports what
    // its encoding costs. False, reported, when no Windows can read it.
    bool Load(const char* folder, unsigned codePage, Findings* findings);

    const IniScan& Scan() const { return scan_; }
    ScriptEncoding Encoding() const { return encoding_; }
    // Windows 95, 98 and Me read the file (not one saved as UTF-16).
    bool Windows95Reads() const { return encoding_ != ENCODING_UTF16_LE; }
    // The file the installer's reader reads to see what Windows sees.
    const char* ReaderPath() const { return copyPath_[0] ? copyPath_ : path_; }
    // A byte-order mark stands before a section header on line 1, which Windows then never finds.
    bool MarkHidesHeader() const { return markHidesHeader_; }

  private:
    bool Decode(const char* bytes, size_t length, unsigned codePage, Findings* findings);
    bool WriteCopy(const char* text, size_t length, Findings* findings);

    char path_[260] = {};
    char copyPath_[260] = {};
    IniScan scan_;
    ScriptEncoding encoding_ = ENCODING_ANSI;
    bool markHidesHeader_ = false;
};
