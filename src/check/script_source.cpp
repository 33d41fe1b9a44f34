#include "check/script_source.h"

#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "system/text.h"
#include "system/whole_file.h"
#include "system/win_handles.h"

namespace {
const char SCRIPT_FILE[] = "Setup.ini";

// Text without a mark is taken as UTF-16 when a zero byte stands in the same half of at least a
// quarter of its first character pairs: ANSI text has no zero bytes at all.
bool LooksLikeUtf16(const unsigned char* bytes, size_t length) {
    size_t pairs = length / 2 < 256 ? length / 2 : 256;
    size_t zeroLow = 0;
    size_t zeroHigh = 0;
    for (size_t i = 0; i < pairs; ++i) {
        zeroLow += bytes[2 * i] == 0 && bytes[2 * i + 1] != 0;
        zeroHigh += bytes[2 * i + 1] == 0 && bytes[2 * i] != 0;
    }
    return pairs > 0 && (zeroLow * 4 >= pairs || zeroHigh * 4 >= pairs);
}

// The code point at text (one or two units), for naming it.
unsigned CodePointAt(const WCHAR* text, size_t units, size_t* used) {
    unsigned unit = text[0];
    *used = 1;
    if (unit >= 0xD800 && unit < 0xDC00 && units > 1 && text[1] >= 0xDC00 && text[1] < 0xE000) {
        *used = 2;
        return 0x10000 + ((unit - 0xD800) << 10) + (text[1] - 0xDC00);
    }
    return unit;
}

// The first character of a line that the code page has no character for, or 0.
unsigned FirstMissingCharacter(const WCHAR* line, size_t units, unsigned codePage) {
    if (codePage == CP_UTF8 || codePage == CP_UTF7)
        return 0;
    for (size_t at = 0; at < units;) {
        size_t used = 0;
        unsigned codePoint = CodePointAt(line + at, units - at, &used);
        BOOL defaulted = FALSE;
        char bytes[8];
        if (codePoint >= 0x80 &&
            WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, line + at, static_cast<int>(used),
                                bytes, sizeof(bytes), nullptr, &defaulted) > 0 &&
            defaulted)
            return codePoint;
        at += used;
    }
    return 0;
}
} // namespace

ScriptEncoding DetectEncoding(const unsigned char* bytes, size_t length) {
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return ENCODING_UTF8_MARKED;
    if (length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return ENCODING_UTF16_LE;
    if (length >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return ENCODING_UTF16_BE;
    return LooksLikeUtf16(bytes, length) ? ENCODING_UTF16_UNMARKED : ENCODING_ANSI;
}

ScriptSource::~ScriptSource() {
    if (copyPath_[0])
        DeleteFileA(copyPath_);
}

bool ScriptSource::Load(const char* folder, unsigned codePage, Findings* findings) {
    int errors = findings->Errors();
    if (FormatText(path_, sizeof(path_), "%s\\%s", folder, SCRIPT_FILE) >= sizeof(path_) - 1) {
        findings->Add(0, FINDING_ERROR, "the product folder's path is too long");
        return false;
    }
    std::unique_ptr<char[]> bytes;
    DWORD size = 0;
    WholeFileResult result = ReadWholeFile(path_, 1, &bytes, &size);
    if (result == WHOLE_FILE_ABSENT) {
        findings->Add(0, FINDING_ERROR,
                      "cannot read \"%s\": the installer would stop with \"Cannot find setup "
                      "script file \"Setup.ini\".\"",
                      path_);
        return false;
    }
    bool decoded = result == WHOLE_FILE_READ &&
                   Decode(bytes.get(), size, codePage ? codePage : GetACP(), findings);
    if (!decoded && findings->Errors() == errors)
        findings->Add(0, FINDING_ERROR, "cannot read \"%s\"", path_);
    return decoded;
}

bool ScriptSource::Decode(const char* bytes, size_t length, unsigned codePage, Findings* findings) {
    encoding_ = DetectEncoding(reinterpret_cast<const unsigned char*>(bytes), length);
    switch (encoding_) {
    case ENCODING_UTF16_BE:
        findings->Add(0, FINDING_ERROR,
                      "Setup.ini is saved as UTF-16 big-endian: no Windows reads it (save it as "
                      "ANSI)");
        return false;
    case ENCODING_UTF16_UNMARKED:
        findings->Add(0, FINDING_ERROR,
                      "Setup.ini is saved as UTF-16 without a byte-order mark: no Windows reads it "
                      "(save it as ANSI)");
        return false;
    case ENCODING_UTF8_MARKED: {
        char* copy = static_cast<char*>(malloc(length + 3));
        if (!copy || !scan_.Load(bytes, length)) {
            free(copy);
            return false;
        }
        // Blanks as the profile functions skip them before a header.
        size_t at = 3;
        while (at < length && bytes[at] >= 1 && bytes[at] <= 32 && bytes[at] != '\n')
            ++at;
        markHidesHeader_ = at < length && bytes[at] == '[';
        if (markHidesHeader_) {
            const IniLine& line = scan_.Line(0);
            const char* open = strchr(line.name, '[');
            char header[128];
            CopyText(header, sizeof(header), open ? open : line.name);
            findings->Add(1, FINDING_ERROR,
                          "Setup.ini starts with a UTF-8 byte-order mark (bytes EF BB BF) before "
                          "the section header %s: Windows does not recognise the mark, so it never "
                          "finds that section and reads none of its keys (save the file as ANSI)",
                          header);
        } else {
            findings->Add(1, FINDING_WARNING,
                          "Setup.ini starts with a UTF-8 byte-order mark (bytes EF BB BF): Windows "
                          "does not recognise the mark and reads the text as ANSI, not UTF-8; here "
                          "it hides no section header, but save the file as ANSI");
        }
        // Behind a line break no reader takes the mark for one: each reads what Windows reads.
        memcpy(copy, "\r\n", 2);
        memcpy(copy + 2, bytes, length);
        bool written = WriteCopy(copy, length + 2, findings);
        free(copy);
        return written;
    }
    case ENCODING_UTF16_LE: {
        findings->Add(0, FINDING_WARNING,
                      "Setup.ini is saved as UTF-16: Windows 2000 and later read it through the "
                      "ANSI code page (%u), but Windows 95, 98 and Me and Windows NT 4 cannot read "
                      "it (save it as ANSI)",
                      codePage);
        size_t units = (length - 2) / 2;
        WCHAR* wide = static_cast<WCHAR*>(malloc((units + 1) * sizeof(WCHAR)));
        size_t room = units * 4 + 16;
        char* text = static_cast<char*>(malloc(room));
        if (!wide || !text) {
            free(wide);
            free(text);
            return false;
        }
        memcpy(wide, bytes + 2, units * sizeof(WCHAR));
        size_t used = 0;
        int number = 1;
        for (size_t start = 0; start < units; ++number) {
            size_t end = start;
            while (end < units && wide[end] != L'\n')
                ++end;
            if (end < units)
                ++end;
            int count = static_cast<int>(end - start);
            used += static_cast<size_t>(
                WideCharToMultiByte(codePage, 0, wide + start, count, text + used,
                                    static_cast<int>(room - used), nullptr, nullptr));
            if (unsigned missing = FirstMissingCharacter(wide + start, end - start, codePage))
                findings->Add(number, FINDING_WARNING,
                              "U+%04X on this line is not in code page %u: Windows 2000 and later "
                              "read another character in its place",
                              missing, codePage);
            start = end;
        }
        bool loaded = scan_.Load(text, used) && WriteCopy(text, used, findings);
        free(wide);
        free(text);
        return loaded;
    }
    case ENCODING_ANSI:
        break;
    }
    return scan_.Load(bytes, length);
}

bool ScriptSource::WriteCopy(const char* text, size_t length, Findings* findings) {
    char folder[MAX_PATH];
    DWORD folderLength = GetTempPathA(sizeof(folder), folder);
    if (folderLength == 0 || folderLength >= sizeof(folder))
        folder[0] = '\0';
    DWORD written = 0;
    if (folder[0] && GetTempFileNameA(folder, "sck", 0, copyPath_)) {
        FileHandle file(CreateFileA(copyPath_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (file.IsValid() &&
            WriteFile(file.Get(), text, static_cast<DWORD>(length), &written, nullptr) &&
            written == length)
            return true;
    } else {
        copyPath_[0] = '\0';
    }
    findings->Add(0, FINDING_ERROR,
                  "cannot write the copy of Setup.ini that is read as Windows reads it into the "
                  "temporary folder \"%s\"",
                  folder);
    return false;
}
