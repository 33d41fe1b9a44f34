#include "check/language_check.h"

#include <memory>
#include <new>
#include <string.h>

#include "resources/text_ids.h"
#include "system/language.h"
#include "system/text.h"
#include "system/whole_file.h"

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

// The lines the reader passed by, reported in line order with the texts' own findings.
struct LineProblems : LanguageProblemSink {
    struct Seen {
        unsigned line;
        LanguageProblem problem;
    } seen[LANGUAGE_TEXT_SLOTS];
    size_t count = 0;
    void Problem(unsigned line, LanguageProblem problem) override {
        if (count < LANGUAGE_TEXT_SLOTS)
            seen[count++] = {line, problem};
    }
};

void ReportProblem(Findings* findings, const char* name, UINT codePage,
                   const LineProblems::Seen& seen) {
    if (seen.problem == LANGUAGE_BAD_BYTES)
        findings->AddIn(
            0, name, static_cast<int>(seen.line), FINDING_ERROR,
            "bytes not valid in code page %u (a lead byte without its trail byte, or a control "
            "character): the line is left out",
            codePage);
    else
        findings->AddIn(0, name, static_cast<int>(seen.line), FINDING_WARNING, "%s",
                        seen.problem == LANGUAGE_REPEATED
                            ? "the text's id is given before: this line is left out"
                        : seen.problem == LANGUAGE_TOO_MANY
                            ? "more texts than the installer keeps: this line is left out"
                            : "not a text line (<id>=<text>): the installer skips it");
}

void ReportText(Findings* findings, const char* name, const LanguageText& text) {
    const char* english = English(text.id);
    if (!english) {
        findings->AddIn(0, name, static_cast<int>(text.line), FINDING_WARNING,
                        "text %u is no text of the installer: it is never shown", text.id);
    } else if (!SameConversions(text.text, english)) {
        char mine[64];
        char theirs[64];
        Conversions(text.text, mine, sizeof(mine));
        Conversions(english, theirs, sizeof(theirs));
        findings->AddIn(
            0, name, static_cast<int>(text.line), FINDING_ERROR,
            "text %u has the conversions %s, its English text %s: the English text is shown "
            "instead",
            text.id, mine, theirs);
    }
}

void CheckFile(const char* folder, const char* name, Findings* findings) {
    char path[MAX_PATH];
    FormatText(path, sizeof(path), "%s\\%s", folder, name);
    std::unique_ptr<char[]> bytes;
    DWORD size = 0;
    if (ReadWholeFile(path, 1, &bytes, &size) != WHOLE_FILE_READ) {
        findings->AddIn(0, name, 0, FINDING_ERROR, "cannot be read");
        return;
    }
    if (size > LANGUAGE_FILE_LIMIT) {
        findings->AddIn(0, name, 0, FINDING_ERROR,
                        "larger than %lu bytes: the installer does not use it",
                        static_cast<unsigned long>(LANGUAGE_FILE_LIMIT));
        return;
    }
    static LanguageFile file[1];
    static LineProblems problems;
    std::unique_ptr<char[]> store(new (std::nothrow) char[size + 1]);
    if (!store)
        return;
    problems.count = 0;
    ReadLanguageFile(bytes.get(), size, store.get(), file, &problems);
    if (!file->header.Usable()) {
        findings->AddIn(0, name, 0, FINDING_ERROR,
                        "no [Language] section with a CodePage: the installer does not use it");
        return;
    }
    for (const EnglishText& row : englishTexts) {
        if (!file->Find(row.id))
            findings->AddIn(0, name, 0, FINDING_WARNING,
                            "text %u is missing: it is shown in English", row.id);
    }
    size_t text = 0;
    size_t problem = 0;
    while (text < file->textCount || problem < problems.count) {
        if (problem == problems.count ||
            (text < file->textCount && file->texts[text].line < problems.seen[problem].line))
            ReportText(findings, name, file->texts[text++]);
        else
            ReportProblem(findings, name, file->header.codePage, problems.seen[problem++]);
    }
}
} // namespace

void CheckLanguageFiles(const char* folder, FolderInventory* inventory, Findings* findings) {
    struct Visit {
        const char* folder;
        FolderInventory* inventory;
        Findings* findings;
    } visit = {folder, inventory, findings};
    ForEachFileOf(
        folder, "Setup.*.lng",
        [](const char* name, void* context) {
            const Visit* v = static_cast<const Visit*>(context);
            v->inventory->MarkNamed(name);
            CheckFile(v->folder, name, v->findings);
        },
        &visit);
}
