#include "check/product_reading.h"

#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

#include "script/field_text.h"
#include "script/trim_field.h"
#include "system/macro_expansion.h"
#include "system/text.h"

namespace {
// The 64-bit Program Files folder of 32-bit programs and the long profile folders of Windows 2000
// and XP: the longest places the macros name.
struct ReferenceFolder {
    MacroToken token;
    const char* path;
};
const ReferenceFolder referenceFolders[] = {
    {TOKEN_WINDOWS, "C:\\WINDOWS"},
    {TOKEN_SYSTEM, "C:\\WINDOWS\\system32"},
    {TOKEN_PROGRAM_FILES, "C:\\Program Files (x86)"},
    {TOKEN_DESKTOP, "C:\\Documents and Settings\\Administrator\\Desktop"},
    {TOKEN_DOCUMENTS, "C:\\Documents and Settings\\Administrator\\My Documents"},
    {TOKEN_STARTMENU, "C:\\Documents and Settings\\Administrator\\Start Menu\\Programs"},
    {TOKEN_SENDTO, "C:\\Documents and Settings\\Administrator\\SendTo"},
};
} // namespace

ProductReading::ProductReading(const char* folder, const ScriptSource& source, ScriptFamily family,
                               Findings* findings)
    : folder_(folder), source_(source), family_(family), findings_(findings) {}

ProductReading::~ProductReading() {
    if (script_)
        DestroySetupScript(script_);
    free(readBlocks_);
    free(readOrder_);
    free(frames_);
}

void ProductReading::Report(int line, FindingLevel level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    findings_->AddInV(line, "", 0, level, format, args);
    va_end(args);
}

void ProductReading::ReportIn(int line, const char* file, int fileLine, FindingLevel level,
                              const char* format, ...) {
    va_list args;
    va_start(args, format);
    findings_->AddInV(line, file, fileLine, level, format, args);
    va_end(args);
}

bool ProductReading::Load() {
    script_ = ReadSetupScript(source_.ReaderPath(), family_);
    readBlocks_ = static_cast<bool*>(calloc(Scan().BlockCount() + 1, sizeof(bool)));
    readOrder_ = static_cast<int*>(calloc(Scan().BlockCount() + 1, sizeof(int)));
    frames_ = static_cast<ListFrame*>(calloc(Scan().BlockCount() + 1, sizeof(ListFrame)));
    if (!script_ || !readBlocks_ || !readOrder_ || !frames_) {
        Report(0, FINDING_ERROR, "not enough memory to read Setup.ini");
        return false;
    }
    // As the installer forms it: DEST_PATH is still empty while the destination is expanded.
    char expanded[MACRO_EXPANSION_ROOM];
    Expand(script_->destFolder, expanded, sizeof(expanded));
    CopyText(destPath_, sizeof(destPath_), expanded);
    general_ = Scan().FindSection("General");
    if (general_ > 0) {
        readBlocks_[general_] = true;
        WalkComponents();
    }
    return true;
}

void ProductReading::ResolveReference(const void* owner, const char* name, char* out, size_t size) {
    const ProductReading* reading = static_cast<const ProductReading*>(owner);
    MacroToken token = FindMacroToken(name);
    CopyText(out, size, token == TOKEN_DEST_PATH ? reading->destPath_ : "");
    for (const ReferenceFolder& folder : referenceFolders) {
        if (folder.token == token)
            CopyText(out, size, folder.path);
    }
}

void ProductReading::Expand(const char* source, char* out, size_t size) const {
    ExpandFirstMacro(source, out, size, ResolveReference, this);
}

// The section's "Components" list as the reader takes it; false when there is none to follow.
bool ProductReading::OpenList(ListFrame* frame, int block, const char* section) {
    const IniLine* list = FindKey(block, "Components");
    if (!list || !*list->value)
        return false;
    size_t length = strlen(list->value);
    char* value = static_cast<char*>(malloc(length + 1));
    if (!value)
        return false;
    size_t kept = length + 1 < size_t(SCRIPT_LIST_SIZE) ? length + 1 : size_t(SCRIPT_LIST_SIZE);
    CopyField(value, kept, list->value);
    *frame = ListFrame{section, list, value, value};
    return true;
}

// Follows the "Components" lists from "General", in the reader's order, marking what it reads.
// The path is kept in frames_ rather than on the stack: nesting has no depth limit.
void ProductReading::WalkComponents() {
    int depth = OpenList(&frames_[0], general_, "General") ? 1 : 0;
    while (depth > 0) {
        ListFrame& top = frames_[depth - 1];
        if (!top.cursor) {
            free(top.value);
            --depth;
            continue;
        }
        char* entry = NextField(&top.cursor);
        if (*entry == '\0')
            continue;
        int on = depth - 1;
        while (on >= 0 && !EqualNoCase(frames_[on].section, entry))
            --on;
        if (on == depth - 1) {
            Report(top.list->number, FINDING_ERROR,
                   "\"Components\" names \"%s\", its own section: the installer skips it", entry);
            continue;
        }
        if (on >= 0) {
            Report(top.list->number, FINDING_ERROR,
                   "\"Components\" names \"%s\", a section whose list leads here: the installer "
                   "skips it",
                   entry);
            continue;
        }
        int child = Scan().FindSection(entry);
        if (child < 0) {
            Report(top.list->number, FINDING_ERROR,
                   "\"Components\" names \"%s\", but there is no section [%s]: the wizard shows a "
                   "component without a name that installs nothing",
                   entry, entry);
            continue;
        }
        if (readBlocks_[child])
            continue;
        readBlocks_[child] = true;
        readOrder_[readCount_++] = child;
        if (OpenList(&frames_[depth], child, Scan().Block(child).name))
            ++depth;
    }
}
