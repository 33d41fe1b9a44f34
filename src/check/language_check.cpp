#include "check/language_check.h"

#include <memory>
#include <new>
#include <string.h>

#include "resources/text_ids.h"
#include "system/language.h"
#include "system/text.h"
#include "system/whole_file.h"
#include "system/win_handles.h"

namespace {
struct EnglishText {
    unsigned id;
    const char* text;
};
const EnglishText englishTexts[] = {
#define STRING_TEXT(id, english) {id, english},
#define DIALOG_TEXT(dialog, control, id, english) {id, english},
#define CODE_TEXT(id, english) {id, english},
#define PALM_TEXT(id, english) {id, english},
#include "resources/text_ids.h"
};

const char* English(unsigned id) {
    for (const EnglishText& row : englishTexts) {
        if (row.id == id)
            return row.text;
    }
    return nullptr;
}

// The conversions of a text, for a finding.
void Conversions(const char* text, char* out, size_t size) {
    out[0] = '\0';
    for (const char* p = strchr(text, '%'); p; p = strchr(p, '%')) {
        size_t length = strcspn(p + 1, "%diouxXeEfFgGaAcspnCS") + 2;
        if (p[1] == '\0')
            length = 1;
        AppendText(out, size, out[0] ? " " : "");
        char conversion[16];
        CopyTextN(conversion, sizeof(conversion), p, length);
        AppendText(out, size, conversion);
        p += strlen(conversion);
    }
    if (!out[0])
        CopyText(out, size, "none");
}

struct LineFindings : LanguageProblemSink {
    const char* file;
    UINT codePage;
    Findings* findings;
    void Problem(unsigned line, LanguageProblem problem) override {
        if (problem == LANGUAGE_BAD_BYTES)
            findings->AddIn(file, static_cast<int>(line), FINDING_ERROR,
                            "bytes not valid in code page %u (a lead byte without its trail "
                            "byte, or a control character): the line is left out",
                            codePage);
        else
            findings->AddIn(file, static_cast<int>(line), FINDING_WARNING, "%s",
                            problem == LANGUAGE_REPEATED
                                ? "the text's id is given before: this line is left out"
                            : problem == LANGUAGE_TOO_MANY
                                ? "more texts than the installer keeps: this line is left out"
                                : "not a text line (<id>=<text>): the installer skips it");
    }
};

void CheckFile(const char* folder, const char* name, Findings* findings) {
    char path[MAX_PATH];
    FormatText(path, sizeof(path), "%s\\%s", folder, name);
    std::unique_ptr<char[]> bytes;
    DWORD size = 0;
    if (ReadWholeFile(path, 1, &bytes, &size) != WHOLE_FILE_READ) {
        findings->AddIn(name, 0, FINDING_ERROR, "cannot be read");
        return;
    }
    if (size > LANGUAGE_FILE_LIMIT) {
        findings->AddIn(name, 0, FINDING_ERROR,
                        "larger than %lu bytes: the installer does not use it",
                        static_cast<unsigned long>(LANGUAGE_FILE_LIMIT));
        return;
    }
    static LanguageFile file[1];
    std::unique_ptr<char[]> store(new (std::nothrow) char[size + 1]);
    if (!store)
        return;
    LineFindings sink;
    ReadLanguageHeader(bytes.get(), size, &file->header);
    sink.file = name;
    sink.codePage = file->header.codePage;
    sink.findings = findings;
    ReadLanguageFile(bytes.get(), size, store.get(), file, &sink);
    if (!file->header.Usable()) {
        findings->AddIn(name, 0, FINDING_ERROR,
                        "no [Language] section with a CodePage: the installer does not use it");
        return;
    }
    for (size_t i = 0; i < file->textCount; ++i) {
        const LanguageText& text = file->texts[i];
        const char* english = English(text.id);
        int line = static_cast<int>(text.line);
        if (!english) {
            findings->AddIn(name, line, FINDING_WARNING,
                            "text %u is no text of the installer: it is never shown", text.id);
        } else if (!SameConversions(text.text, english)) {
            char mine[64];
            char theirs[64];
            Conversions(text.text, mine, sizeof(mine));
            Conversions(english, theirs, sizeof(theirs));
            findings->AddIn(name, line, FINDING_ERROR,
                            "text %u has the conversions %s, its English text %s: the English "
                            "text is shown instead",
                            text.id, mine, theirs);
        }
    }
    for (const EnglishText& row : englishTexts) {
        if (!file->Find(row.id))
            findings->AddIn(name, 0, FINDING_WARNING, "text %u is missing: it is shown in English",
                            row.id);
    }
}
} // namespace

void CheckLanguageFiles(const char* folder, FolderInventory* inventory, Findings* findings) {
    char pattern[MAX_PATH];
    FormatText(pattern, sizeof(pattern), "%s\\Setup.*.lng", folder);
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(pattern, &found));
    if (!search.IsValid())
        return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        inventory->MarkNamed(found.cFileName);
        CheckFile(folder, found.cFileName, findings);
    } while (FindNextFileA(search.Get(), &found));
}
