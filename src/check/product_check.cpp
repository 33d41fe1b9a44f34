#include "check/product_check.h"

#include <stdarg.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "check/ini_scan.h"
#include "script/field_text.h"
#include "script/item_parser.h"
#include "script/setup_script.h"
#include "script/trim_field.h"
#include "system/file_probe.h"
#include "system/macro_expansion.h"
#include "system/text.h"
#include "system/win_handles.h"

namespace {

const char SCRIPT_FILE[] = "Setup.ini";
const char PALM_SUPPORT_FILE[] = "CondMgr.dll";
const size_t PATH_LIMIT = MAX_PATH - 1;
// Room for expansions, so that a path too long for the installer's buffers is measured, not cut.
const size_t EXPANSION_ROOM = 2048;

// Where the folders of the macros lie on a typical Windows, for measuring paths: the 64-bit
// Program Files folder of 32-bit programs and the long profile folders of Windows 2000 and XP.
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
const char MACRO_LIST[] =
    "%DEST_PATH%, %WINDOWS%, %SYSTEM%, %PROGRAM_FILES%, %DESKTOP%, %DOCUMENTS%, %STARTMENU%, "
    "%SENDTO%";
const char OPTION_LIST[] = "ACTIVESYNC, REGSERVICE, SENDTO, DESKTOP";

struct NumberedKey {
    const char* prefix;
    bool hasWide; // a "U" variant exists
    uint32_t kind;
};
const NumberedKey numberedKeys[] = {
    {"CopyFile", true, ITEM_COPYFILE},
    {"CopyPalmFile", false, ITEM_PALMFILE},
    {"Shortcut", true, ITEM_SHORTCUT},
};

// Keys with the longest value the reader keeps (size less one); size 0: a number.
struct KnownKey {
    const char* name;
    size_t size;
};
const KnownKey generalKeys[] = {
    {"Company", sizeof(SetupScript::company)},
    {"Application", SCRIPT_APPLICATION_SIZE},
    {"DestFolder", sizeof(SetupScript::destFolder)},
    {"StartMenu", sizeof(SetupScript::startMenuFolder)},
    {"Licence", sizeof(SetupScript::licenceFile)},
    {"Logo", sizeof(SetupScript::logoFile)},
    {"ReadMe", sizeof(SetupScript::readMePath)},
    {"WebPage", sizeof(SetupScript::webPage)},
    {"ByeLink", sizeof(SetupScript::byeLink)},
    {"Components", SCRIPT_LIST_SIZE},
};
const KnownKey componentKeys[] = {
    {"Name", sizeof(Component::name)},
    {"Description", sizeof(Component::description)},
    {"Selected", 0},
    {"Components", SCRIPT_LIST_SIZE},
};

// A number as the size field is meant to hold it: digits only.
bool IsPlainNumber(const char* text) {
    if (*text == '\0')
        return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
}

// "CopyFile12U" and the like: the kind, the number and whether it is the "U" variant. Numbers
// are decimal without leading zeros, as the reader forms them.
const NumberedKey* ParseNumberedKey(const char* name, int* number, bool* wide) {
    for (const NumberedKey& key : numberedKeys) {
        size_t length = strlen(key.prefix);
        if (!StartsWithNoCase(name, key.prefix))
            continue;
        const char* digits = name + length;
        if (*digits < '1' || *digits > '9')
            continue;
        long value = 0;
        const char* cursor = digits;
        for (; *cursor >= '0' && *cursor <= '9'; ++cursor) {
            if (value < 100000000)
                value = value * 10 + (*cursor - '0');
        }
        bool isWide = false;
        if (key.hasWide && (*cursor == 'U' || *cursor == 'u')) {
            isWide = true;
            ++cursor;
        }
        if (*cursor != '\0')
            continue;
        *number = static_cast<int>(value);
        *wide = isWide;
        return &key;
    }
    return nullptr;
}

// The fields of an item line as written, each trimmed: the texts behind the reader's meaning.
struct RawFields {
    char buffer[SCRIPT_ITEM_LINE_SIZE];
    const char* field[6];
    int count; // fields present; a value without ";" has one
};

void SplitFields(const char* value, RawFields* raw) {
    CopyField(raw->buffer, sizeof(raw->buffer), value);
    raw->count = 0;
    char* cursor = raw->buffer;
    while (cursor && raw->count < 6)
        raw->field[raw->count++] = NextField(&cursor);
    for (int i = raw->count; i < 6; ++i)
        raw->field[i] = "";
}

bool FileExists(const char* path, unsigned long long* bytes) {
    WIN32_FIND_DATAA found;
    if (!ProbeFile(path, &found) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if (bytes)
        *bytes = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return true;
}

bool IsFileNameChar(char c) {
    return !strchr("\\/:*?\"<>|", c);
}

struct Ancestor {
    const char* section;
    Ancestor* parent;
};

struct FolderFile {
    char name[MAX_PATH];
    bool named;
};

class ProductCheck {
  public:
    ProductCheck(const char* folder, Findings* findings) : findings_(findings) {
        CopyText(folder_, sizeof(folder_), folder && *folder ? folder : ".");
        size_t length = strlen(folder_);
        if (length > 1 && FindLastChar(folder_, '\\') == folder_ + length - 1)
            folder_[length - 1] = '\0';
    }
    ~ProductCheck();
    ProductCheck(const ProductCheck&) = delete;
    ProductCheck& operator=(const ProductCheck&) = delete;

    bool Load();
    void Run();
    void EmitSizes(LineSink emit, void* context);

  private:
    void Report(int line, FindingLevel level, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    int BlockLine(int block) const { return block > 0 ? scan_.Block(block).line : 0; }
    int KeyLine(const IniLine* key, int block) const {
        return key ? key->number : BlockLine(block);
    }

    void CheckLayout();
    void WalkComponents(int block, const char* section, Ancestor* ancestors);
    void CheckKeys(int block, const KnownKey* keys, size_t keyCount, const char* section);
    void CheckLength(const IniLine& line, size_t size);
    void CheckGeneral();
    void CheckNumbering(int block);
    template <typename Visit>
    int WalkSequence(int block, const NumberedKey& key, bool wide, Visit visit) const;
    void CollectInstalled(int block);
    void TakeItemLine(const IniLine& line, char (&value)[SCRIPT_ITEM_LINE_SIZE]);
    void CheckFileItem(const IniLine& line, uint32_t kind);
    void CheckShortcut(const IniLine& line);
    void CheckOption(int line, const char* option, uint32_t kind);
    bool CheckMacros(int line, const char* what, const char* text);
    void CheckPathLength(int line, const char* what, const char* path);
    bool IsInstalled(const char* expanded) const;
    void CheckInstalledTarget(int line, const char* what, const char* path);
    void ListFolder();
    bool MarkNamed(const char* relativePath);
    void CheckFolderFiles();
    void Expand(const char* source, char* out, size_t size) const;
    static void ResolveReference(const void* owner, const char* name, char* out, size_t size);

    char folder_[MAX_PATH];
    Findings* findings_;
    IniScan scan_;
    SetupScript* script_ = nullptr;
    bool wide_ = true;
    char destPath_[MAX_PATH] = {};
    bool* readBlocks_ = nullptr; // per block: a section the installer reads
    int* readOrder_ = nullptr;   // the blocks read, in the order their lists name them
    int readCount_ = 0;
    PtrArray installed_{[](void** slot) { free(*slot); }}; // expanded destinations of file items
    FolderFile* files_ = nullptr;
    int fileCount_ = 0;
    int firstPalmLine_ = 0;
    bool usesPalm_ = false;
};

ProductCheck::~ProductCheck() {
    if (script_)
        DestroySetupScript(script_);
    free(readBlocks_);
    free(readOrder_);
    free(files_);
}

void ProductCheck::Report(int line, FindingLevel level, const char* format, ...) {
    char text[sizeof(Finding::text)];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof(text), format, args);
    va_end(args);
    findings_->Add(line, level, "%s", text);
}

bool ProductCheck::Load() {
    char path[MAX_PATH];
    if (FormatText(path, sizeof(path), "%s\\%s", folder_, SCRIPT_FILE) >= sizeof(path) - 1) {
        Report(0, FINDING_ERROR, "the product folder's path is too long");
        return false;
    }
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD size = file.IsValid() ? GetFileSize(file.Get(), nullptr) : INVALID_FILE_SIZE;
    if (size == INVALID_FILE_SIZE) {
        Report(0, FINDING_ERROR,
               "cannot read \"%s\": the installer would stop with \"Cannot find "
               "setup script file \"Setup.ini\".\"",
               path);
        return false;
    }
    char* text = static_cast<char*>(malloc(size + 1));
    DWORD read = 0;
    bool loaded = text && ReadFile(file.Get(), text, size, &read, nullptr) && read == size &&
                  scan_.Load(text, size);
    free(text);
    script_ = loaded ? ReadSetupScript(path) : nullptr;
    readBlocks_ = static_cast<bool*>(calloc(scan_.BlockCount() + 1, sizeof(bool)));
    readOrder_ = static_cast<int*>(calloc(scan_.BlockCount() + 1, sizeof(int)));
    if (!script_ || !readBlocks_ || !readOrder_) {
        Report(0, FINDING_ERROR, "cannot read \"%s\"", path);
        return false;
    }
    wide_ = HasWideApi();
    // As the installer forms it: DEST_PATH is still empty while the destination is expanded.
    char expanded[EXPANSION_ROOM];
    Expand(script_->destFolder, expanded, sizeof(expanded));
    CopyText(destPath_, sizeof(destPath_), expanded);
    int general = scan_.FindSection("General");
    if (general > 0) {
        readBlocks_[general] = true;
        WalkComponents(general, "General", nullptr);
    }
    return true;
}

void ProductCheck::ResolveReference(const void* owner, const char* name, char* out, size_t size) {
    const ProductCheck* check = static_cast<const ProductCheck*>(owner);
    MacroToken token = FindMacroToken(name);
    CopyText(out, size, token == TOKEN_DEST_PATH ? check->destPath_ : "");
    for (const ReferenceFolder& folder : referenceFolders) {
        if (folder.token == token)
            CopyText(out, size, folder.path);
    }
}

void ProductCheck::Expand(const char* source, char* out, size_t size) const {
    ExpandFirstMacro(source, out, size, ResolveReference, this);
}

// Duplicates, stray lines and sections nothing reads: what the profile functions pass over.
void ProductCheck::CheckLayout() {
    for (int index = 0; index < scan_.LineCount(); ++index) {
        const IniLine& line = scan_.Line(index);
        const IniBlock& block = scan_.Block(line.block);
        if (line.kind == INI_SECTION) {
            if (block.firstBlock != line.block)
                Report(line.number, FINDING_WARNING,
                       "section [%s] appears again: the installer reads only the one at line %d",
                       line.name, scan_.Block(block.firstBlock).line);
            else if (!readBlocks_[line.block])
                Report(line.number, FINDING_WARNING,
                       "section [%s] is named by no \"Components\" list: the installer never "
                       "reads it",
                       line.name);
            continue;
        }
        if (line.block == 0) {
            Report(line.number, FINDING_WARNING,
                   "\"%s\" stands before the first section: the installer never reads it",
                   line.name);
            continue;
        }
        if (block.firstBlock != line.block)
            continue;
        if (line.kind == INI_BARE) {
            Report(line.number, FINDING_WARNING,
                   "\"%s\" has no \"=\": the installer reads no value from this line", line.name);
            continue;
        }
        const IniLine* first = scan_.FindKey(line.block, line.name);
        if (first != &line)
            Report(line.number, FINDING_WARNING,
                   "key \"%s\" appears again in [%s]: the installer reads only the one at line %d",
                   line.name, block.name, first->number);
    }
}

// Follows the "Components" lists from a section, in the reader's order, marking what it reads.
void ProductCheck::WalkComponents(int block, const char* section, Ancestor* ancestors) {
    const IniLine* list = scan_.FindKey(block, "Components");
    if (!list || !*list->value)
        return;
    size_t length = strlen(list->value);
    char* value = static_cast<char*>(malloc(length + 1));
    if (!value)
        return;
    size_t kept = length + 1 < size_t(SCRIPT_LIST_SIZE) ? length + 1 : size_t(SCRIPT_LIST_SIZE);
    CopyField(value, kept, list->value);
    Ancestor self = {section, ancestors};
    char* cursor = value;
    while (cursor) {
        char* entry = NextField(&cursor);
        if (*entry == '\0')
            continue;
        const Ancestor* loop = &self;
        while (loop && !EqualNoCase(loop->section, entry))
            loop = loop->parent;
        if (loop == &self) {
            Report(list->number, FINDING_ERROR,
                   "\"Components\" names \"%s\", its own section: the installer skips it", entry);
            continue;
        }
        if (loop) {
            Report(list->number, FINDING_ERROR,
                   "\"Components\" names \"%s\", a section whose list leads here: the installer "
                   "skips it",
                   entry);
            continue;
        }
        int child = scan_.FindSection(entry);
        if (child < 0) {
            Report(list->number, FINDING_ERROR,
                   "\"Components\" names \"%s\", but there is no section [%s]: the wizard shows a "
                   "component without a name that installs nothing",
                   entry, entry);
            continue;
        }
        if (readBlocks_[child])
            continue;
        readBlocks_[child] = true;
        readOrder_[readCount_++] = child;
        WalkComponents(child, scan_.Block(child).name, &self);
    }
    free(value);
}

void ProductCheck::CheckLength(const IniLine& line, size_t size) {
    if (size == 0 || strlen(line.value) < size)
        return;
    char kept[SCRIPT_LIST_SIZE];
    CopyField(kept, size, line.value);
    Report(line.number, FINDING_WARNING,
           "the value of \"%s\" is %u bytes, longer than the %u the installer keeps: it uses "
           "\"%s\"",
           line.name, static_cast<unsigned>(strlen(line.value)), static_cast<unsigned>(size - 1),
           kept);
}

// Unknown keys and values cut at their field, in one section the installer reads.
void ProductCheck::CheckKeys(int block, const KnownKey* keys, size_t keyCount,
                             const char* section) {
    const IniBlock& range = scan_.Block(block);
    for (int index = range.firstLine; index < range.endLine; ++index) {
        const IniLine& line = scan_.Line(index);
        if (line.kind != INI_KEY || scan_.FindKey(block, line.name) != &line)
            continue;
        const KnownKey* known = nullptr;
        for (size_t k = 0; k < keyCount; ++k) {
            if (EqualNoCase(keys[k].name, line.name))
                known = &keys[k];
        }
        int number = 0;
        bool wide = false;
        if (known) {
            CheckLength(line, known->size);
            if (known->size == 0 && *line.value && !IsPlainNumber(line.value))
                Report(line.number, FINDING_WARNING,
                       "\"%s\" is not a plain number: the installer reads only leading digits, "
                       "and without them 0 (not selected)",
                       line.name);
        } else if (!(keys == componentKeys && ParseNumberedKey(line.name, &number, &wide))) {
            Report(line.number, FINDING_WARNING,
                   "unknown key \"%s\" in [%s]: the installer never reads it", line.name, section);
        }
    }
}

bool ProductCheck::CheckMacros(int line, const char* what, const char* text) {
    const char* open = FindChar(text, '%');
    if (!open)
        return true;
    const char* close = FindChar(open + 1, '%');
    if (!close) {
        Report(line, FINDING_ERROR,
               "%s has a \"%%\" without a closing one: the installer expands no macro in \"%s\"",
               what, text);
        return false;
    }
    char name[64];
    CopyTextN(name, sizeof(name), open + 1, static_cast<size_t>(close - open - 1));
    MacroToken token = FindMacroToken(name);
    if (token == TOKEN_UNKNOWN) {
        Report(line, FINDING_ERROR,
               "%s uses the unknown macro %%%s%%, which expands to nothing (macros are upper "
               "case: %s)",
               what, name, MACRO_LIST);
        return false;
    }
    const char* second = FindChar(close + 1, '%');
    if (second && FindChar(second + 1, '%')) {
        Report(line, FINDING_ERROR,
               "%s holds a second macro after %%%s%%: only the first macro of a value is "
               "expanded, the rest stays as written",
               what, name);
        return false;
    }
    return true;
}

void ProductCheck::CheckPathLength(int line, const char* what, const char* path) {
    if (strlen(path) > PATH_LIMIT)
        Report(line, FINDING_ERROR,
               "%s \"%s\" is %u bytes with the default destination, more than the %u a Windows "
               "path holds",
               what, path, static_cast<unsigned>(strlen(path)), static_cast<unsigned>(PATH_LIMIT));
}

void ProductCheck::CheckGeneral() {
    int general = scan_.FindSection("General");
    CheckKeys(general, generalKeys, sizeof(generalKeys) / sizeof(generalKeys[0]), "General");
    if (script_->components.Count() == 0)
        Report(BlockLine(general), FINDING_ERROR,
               "[General] lists no component: Setup.exe stops with \"Cannot find setup script "
               "file \"Setup.ini\".\"");
    if (script_->readIncomplete)
        Report(0, FINDING_WARNING,
               "more components or items than the installer takes (lists that name the same "
               "sections again and again): it leaves the rest out");

    const IniLine* company = scan_.FindKey(general, "Company");
    const IniLine* application = scan_.FindKey(general, "Application");
    size_t titleLength =
        strlen(script_->company) + 1 + (application ? strlen(application->value) : 0);
    if (titleLength >= sizeof(script_->productTitle))
        Report(KeyLine(application ? application : company, general), FINDING_WARNING,
               "\"Company\", a blank and \"Application\" make a product title of %u bytes, longer "
               "than %u: the installer uses \"%s\"",
               static_cast<unsigned>(titleLength),
               static_cast<unsigned>(sizeof(script_->productTitle) - 1), script_->productTitle);

    const IniLine* destFolder = scan_.FindKey(general, "DestFolder");
    int destLine = KeyLine(destFolder, general);
    if (CheckMacros(destLine, "\"DestFolder\"", script_->destFolder)) {
        const char* open = FindChar(script_->destFolder, '%');
        if (open && StartsWith(open + 1, "DEST_PATH%"))
            Report(destLine, FINDING_ERROR,
                   "\"DestFolder\" uses %%DEST_PATH%%, which is empty while the destination "
                   "itself is formed");
    }
    char expanded[EXPANSION_ROOM];
    Expand(script_->destFolder, expanded, sizeof(expanded));
    CheckPathLength(destLine, "the destination folder", expanded);

    const IniLine* startMenu = scan_.FindKey(general, "StartMenu");
    if (startMenu && startMenu->value[0] == '%')
        CheckMacros(startMenu->number, "\"StartMenu\"", script_->startMenuFolder);

    const IniLine* readMe = scan_.FindKey(general, "ReadMe");
    if (readMe && *readMe->value) {
        if (!FindChar(readMe->value, ';')) {
            Report(readMe->number, FINDING_WARNING,
                   "\"ReadMe\" has no \";\" between path and caption: the finish page offers no "
                   "read-me");
        } else if (!script_->readMePath[0] || !script_->readMeCaption[0]) {
            Report(readMe->number, FINDING_WARNING,
                   "\"ReadMe\" needs both a path and a caption: the finish page offers no "
                   "read-me");
        } else {
            RawFields raw;
            SplitFields(readMe->value, &raw);
            if (strlen(raw.field[1]) >= sizeof(script_->readMeCaption))
                Report(readMe->number, FINDING_WARNING,
                       "the read-me caption is longer than %u bytes: the installer uses \"%s\"",
                       static_cast<unsigned>(sizeof(script_->readMeCaption) - 1),
                       script_->readMeCaption);
            if (CheckMacros(readMe->number, "the read-me path", script_->readMePath))
                CheckInstalledTarget(readMe->number, "the read-me", script_->readMePath);
        }
    }

    struct {
        const char* key;
        const char* file;
        const char* effect;
    } shown[] = {
        {"Licence", script_->licenceFile, "the licence page stays empty"},
        {"Logo", script_->logoFile, "the wizard shows no banner"},
    };
    for (const auto& entry : shown) {
        char path[MAX_PATH];
        FormatText(path, sizeof(path), "%s\\%s", folder_, entry.file);
        if (MarkNamed(entry.file) || FileExists(path, nullptr))
            continue;
        Report(KeyLine(scan_.FindKey(general, entry.key), general), FINDING_ERROR,
               "the %s file \"%s\" is not in the product folder: %s",
               EqualNoCase(entry.key, "Logo") ? "logo" : "licence", entry.file, entry.effect);
    }
}

// Calls visit(line, n) for each key of a numbered list in the order the reader takes them;
// returns the number at which the list stops.
template <typename Visit>
int ProductCheck::WalkSequence(int block, const NumberedKey& key, bool wide, Visit visit) const {
    char name[32];
    for (int n = 1;; ++n) {
        const IniLine* line = nullptr;
        if (wide && key.hasWide) {
            FormatText(name, sizeof(name), "%s%dU", key.prefix, n);
            line = scan_.FindKey(block, name);
        }
        if (!line || !*line->value) {
            FormatText(name, sizeof(name), "%s%d", key.prefix, n);
            line = scan_.FindKey(block, name);
        }
        if (!line || !*line->value)
            return n;
        visit(*line, n);
    }
}

void ProductCheck::CheckNumbering(int block) {
    const IniBlock& range = scan_.Block(block);
    for (const NumberedKey& key : numberedKeys) {
        int stop = WalkSequence(block, key, wide_, [](const IniLine&, int) {});
        for (int index = range.firstLine; index < range.endLine; ++index) {
            const IniLine& line = scan_.Line(index);
            int number = 0;
            bool wide = false;
            if (line.kind != INI_KEY || ParseNumberedKey(line.name, &number, &wide) != &key ||
                number <= stop || scan_.FindKey(block, line.name) != &line)
                continue;
            Report(line.number, FINDING_WARNING,
                   "\"%s\" is never read: the numbering stops at %s%d, which is missing or empty",
                   line.name, key.prefix, stop);
        }
        if (!key.hasWide)
            continue;
        int narrowStop = WalkSequence(block, key, false, [](const IniLine&, int) {});
        if (narrowStop < stop) {
            char name[32];
            FormatText(name, sizeof(name), "%s%dU", key.prefix, narrowStop);
            Report(KeyLine(scan_.FindKey(block, name), block), FINDING_WARNING,
                   "\"%s\" has no \"%s%d\" beside it: Windows 95, 98 and Me read no \"U\" keys, so "
                   "their list of %s items stops here",
                   name, key.prefix, narrowStop, key.prefix);
        }
    }
}

void ProductCheck::CollectInstalled(int block) {
    WalkSequence(block, numberedKeys[0], wide_, [this](const IniLine& line, int) {
        char value[SCRIPT_ITEM_LINE_SIZE];
        CopyField(value, sizeof(value), line.value);
        InstallItem item;
        ParseFileItem(value, ITEM_COPYFILE, &item);
        char expanded[EXPANSION_ROOM];
        Expand(item.path, expanded, sizeof(expanded));
        size_t length = strlen(expanded);
        char* copy = static_cast<char*>(malloc(length + 1));
        if (copy) {
            memcpy(copy, expanded, length + 1);
            if (!installed_.Add(copy))
                free(copy);
        }
    });
}

bool ProductCheck::IsInstalled(const char* expanded) const {
    for (int i = 0; i < installed_.Count(); ++i) {
        if (EqualNoCase(static_cast<const char*>(installed_.At(i)), expanded))
            return true;
    }
    return false;
}

// Files of the system (under %WINDOWS% or %SYSTEM%) are there without an item.
void ProductCheck::CheckInstalledTarget(int line, const char* what, const char* path) {
    if (StartsWith(path, "%WINDOWS%") || StartsWith(path, "%SYSTEM%") || !*path)
        return;
    char expanded[EXPANSION_ROOM];
    Expand(path, expanded, sizeof(expanded));
    if (!IsInstalled(expanded))
        Report(line, FINDING_WARNING, "%s points at \"%s\", which no item installs", what, path);
}

void ProductCheck::CheckOption(int line, const char* option, uint32_t kind) {
    if (!*option)
        return;
    uint32_t flag = OptionFlag(option);
    if (flag == 0) {
        Report(line, FINDING_ERROR, "unknown option \"%s\": the installer ignores it (options: %s)",
               option, OPTION_LIST);
        return;
    }
    bool serviceFlag = (flag & (ITEM_ACTIVESYNC | ITEM_REGSERVICE)) != 0;
    if (kind == ITEM_SHORTCUT && serviceFlag)
        Report(line, FINDING_WARNING,
               "option \"%s\" on a shortcut line makes the installer treat the line as a service "
               "file, not a shortcut",
               option);
    else if (kind == ITEM_COPYFILE && !serviceFlag)
        Report(line, FINDING_WARNING,
               "option \"%s\" belongs on shortcut lines: the file is copied without it", option);
    else if (kind == ITEM_PALMFILE)
        Report(line, FINDING_WARNING, "option \"%s\" has no effect on a Palm file line", option);
}

// The line as the reader takes it, cut to its buffer.
void ProductCheck::TakeItemLine(const IniLine& line, char (&value)[SCRIPT_ITEM_LINE_SIZE]) {
    if (strlen(line.value) >= SCRIPT_ITEM_LINE_SIZE)
        Report(line.number, FINDING_WARNING,
               "the line is longer than the %u bytes the installer reads",
               static_cast<unsigned>(SCRIPT_ITEM_LINE_SIZE - 1));
    CopyField(value, sizeof(value), line.value);
}

void ProductCheck::CheckFileItem(const IniLine& line, uint32_t kind) {
    int at = line.number;
    bool palm = kind == ITEM_PALMFILE;
    char value[SCRIPT_ITEM_LINE_SIZE];
    TakeItemLine(line, value);
    InstallItem item;
    ParseFileItem(value, kind, &item);
    RawFields raw;
    SplitFields(line.value, &raw);
    if (raw.count < 2) {
        Report(at, FINDING_ERROR,
               "\"%s\" has no \";\": the installer takes neither size nor %s from it (write "
               "size;%s)",
               line.name, palm ? "file" : "destination", palm ? "file" : "destination;option");
        return;
    }
    bool sizeKnown = IsPlainNumber(raw.field[0]);
    if (!sizeKnown)
        Report(at, FINDING_ERROR,
               "the size field \"%s\" is not a number: the installer counts %d K", raw.field[0],
               static_cast<int>(item.sizeK));
    if (strlen(raw.field[1]) >= sizeof(item.path))
        Report(at, FINDING_WARNING, "the path is longer than %u bytes: the installer uses \"%s\"",
               static_cast<unsigned>(sizeof(item.path) - 1), item.path);
    CheckOption(at, raw.count > 2 ? raw.field[2] : "", kind);

    if (palm) {
        usesPalm_ = true;
        if (!firstPalmLine_)
            firstPalmLine_ = at;
    }
    const char* source = palm ? item.path : FileNamePart(item.path);
    if (!*item.path) {
        Report(at, FINDING_ERROR, "%s", palm ? "no Palm file is named" : "no destination is given");
        return;
    }
    if (!*source) {
        Report(at, FINDING_ERROR, "the destination \"%s\" ends without a file name", item.path);
        return;
    }
    if (!palm && CheckMacros(at, "the destination", item.path)) {
        char expanded[EXPANSION_ROOM];
        Expand(item.path, expanded, sizeof(expanded));
        CheckPathLength(at, "the target path", expanded);
    }
    MarkNamed(source);
    char path[EXPANSION_ROOM];
    FormatText(path, sizeof(path), "%s\\%s", folder_, source);
    unsigned long long bytes = 0;
    if (!FileExists(path, &bytes)) {
        Report(at, FINDING_ERROR,
               "the file \"%s\" is not in the product folder: the install stops at this item",
               source);
        return;
    }
    if (sizeKnown && item.sizeK != SizeInK(bytes))
        Report(at, FINDING_WARNING, "the size field says %d K, but \"%s\" has %ld K",
               static_cast<int>(item.sizeK), source, SizeInK(bytes));
}

void ProductCheck::CheckShortcut(const IniLine& line) {
    int at = line.number;
    char value[SCRIPT_ITEM_LINE_SIZE];
    TakeItemLine(line, value);
    ShortcutItem item;
    ParseShortcutItem(value, &item);
    RawFields raw;
    SplitFields(line.value, &raw);
    if (!*item.path) {
        Report(at, FINDING_ERROR,
               "the shortcut has no target (write target;icon;arguments;name;option)");
        return;
    }
    if (!*item.linkName) {
        Report(at, FINDING_ERROR, "the shortcut has no name: the installer cannot save it");
        return;
    }
    for (const char* c = item.linkName; *c; ++c) {
        if (!IsFileNameChar(*c)) {
            Report(at, FINDING_ERROR,
                   "the shortcut name \"%s\" holds \"%c\", which no file name may hold",
                   item.linkName, *c);
            return;
        }
    }
    if (strlen(raw.field[0]) >= sizeof(item.path) ||
        strlen(raw.field[2]) >= sizeof(item.arguments) ||
        strlen(raw.field[3]) >= sizeof(item.linkName))
        Report(at, FINDING_WARNING,
               "a field is longer than the installer keeps: it uses the target \"%s\", the "
               "arguments \"%s\" and the name \"%s\"",
               item.path, item.arguments, item.linkName);
    CheckOption(at, raw.count > 4 ? raw.field[4] : "", ITEM_SHORTCUT);
    if (item.flags & (ITEM_ACTIVESYNC | ITEM_REGSERVICE))
        return;
    bool macrosGood = CheckMacros(at, "the target", item.path);
    if (*item.arguments)
        CheckMacros(at, "the arguments", item.arguments);
    if (!macrosGood)
        return;
    char expanded[EXPANSION_ROOM];
    Expand(item.path, expanded, sizeof(expanded));
    CheckPathLength(at, "the target path", expanded);
    CheckInstalledTarget(at, "the shortcut", item.path);

    char folder[EXPANSION_ROOM];
    if (item.flags & ITEM_DESKTOP)
        CopyText(folder, sizeof(folder), "%DESKTOP%");
    else if (item.flags & ITEM_SENDTO)
        CopyText(folder, sizeof(folder), "%SENDTO%");
    else if (script_->startMenuFolder[0] == '%')
        CopyText(folder, sizeof(folder), script_->startMenuFolder);
    else if (script_->startMenuFolder[0])
        FormatText(folder, sizeof(folder), "%%STARTMENU%%\\%s", script_->startMenuFolder);
    else
        CopyText(folder, sizeof(folder), "%STARTMENU%");
    Expand(folder, expanded, sizeof(expanded));
    AppendText(expanded, sizeof(expanded), "\\");
    AppendText(expanded, sizeof(expanded), item.linkName);
    AppendText(expanded, sizeof(expanded), ".lnk");
    CheckPathLength(at, "the shortcut's path", expanded);
}

void ProductCheck::ListFolder() {
    char pattern[MAX_PATH];
    FormatText(pattern, sizeof(pattern), "%s\\*", folder_);
    int capacity = 0;
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(pattern, &found));
    if (!search.IsValid())
        return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (fileCount_ == capacity) {
            capacity += 32;
            void* grown = realloc(files_, capacity * sizeof(FolderFile));
            if (!grown)
                return;
            files_ = static_cast<FolderFile*>(grown);
        }
        CopyText(files_[fileCount_].name, sizeof(files_[fileCount_].name), found.cFileName);
        files_[fileCount_++].named = false;
    } while (FindNextFileA(search.Get(), &found));
}

bool ProductCheck::MarkNamed(const char* relativePath) {
    bool marked = false;
    for (int i = 0; i < fileCount_; ++i) {
        if (EqualNoCase(files_[i].name, relativePath)) {
            files_[i].named = true;
            marked = true;
        }
    }
    return marked;
}

void ProductCheck::CheckFolderFiles() {
    static const char* const ownFiles[] = {"Setup.exe", SCRIPT_FILE, "SetupCheck.exe"};
    for (const char* own : ownFiles)
        MarkNamed(own);
    if (usesPalm_) {
        if (!MarkNamed(PALM_SUPPORT_FILE))
            Report(firstPalmLine_, FINDING_ERROR,
                   "Palm files need \"%s\" in the product folder: without it the installer "
                   "cannot find HotSync",
                   PALM_SUPPORT_FILE);
    }
    for (int i = 0; i < fileCount_; ++i) {
        if (!files_[i].named)
            Report(0, FINDING_WARNING, "\"%s\" is in the product folder, but no item names it",
                   files_[i].name);
    }
}

void ProductCheck::Run() {
    ListFolder();
    for (int i = 0; i < readCount_; ++i)
        CollectInstalled(readOrder_[i]);
    CheckLayout();
    CheckGeneral();
    for (int i = 0; i < readCount_; ++i) {
        int block = readOrder_[i];
        const char* section = scan_.Block(block).name;
        CheckKeys(block, componentKeys, sizeof(componentKeys) / sizeof(componentKeys[0]), section);
        CheckNumbering(block);
        WalkSequence(block, numberedKeys[0], wide_,
                     [this](const IniLine& line, int) { CheckFileItem(line, ITEM_COPYFILE); });
        WalkSequence(block, numberedKeys[1], wide_,
                     [this](const IniLine& line, int) { CheckFileItem(line, ITEM_PALMFILE); });
        WalkSequence(block, numberedKeys[2], wide_,
                     [this](const IniLine& line, int) { CheckShortcut(line); });
    }
    CheckFolderFiles();
}

void ProductCheck::EmitSizes(LineSink emit, void* context) {
    char text[SCRIPT_ITEM_LINE_SIZE + 64];
    for (int i = 0; i < readCount_; ++i) {
        const IniBlock& block = scan_.Block(readOrder_[i]);
        bool headed = false;
        for (int index = block.firstLine; index < block.endLine; ++index) {
            const IniLine& line = scan_.Line(index);
            int number = 0;
            bool wide = false;
            const NumberedKey* key =
                line.kind == INI_KEY ? ParseNumberedKey(line.name, &number, &wide) : nullptr;
            if (!key || key->kind == ITEM_SHORTCUT)
                continue;
            if (!headed) {
                FormatText(text, sizeof(text), "[%s]", block.name);
                emit(text, context);
                headed = true;
            }
            char value[SCRIPT_ITEM_LINE_SIZE];
            CopyField(value, sizeof(value), line.value);
            const char* rest = FindChar(line.value, ';');
            InstallItem item;
            ParseFileItem(value, key->kind, &item);
            const char* source = key->kind == ITEM_PALMFILE ? item.path : FileNamePart(item.path);
            char path[EXPANSION_ROOM];
            FormatText(path, sizeof(path), "%s\\%s", folder_, source);
            unsigned long long bytes = 0;
            if (rest && *source && FileExists(path, &bytes))
                FormatText(text, sizeof(text), "%s=%ld%s", line.name, SizeInK(bytes), rest);
            else
                FormatText(text, sizeof(text), "%s=%s", line.name, line.value);
            emit(text, context);
        }
    }
}
} // namespace

long SizeInK(unsigned long long bytes) {
    unsigned long long k = (bytes + 1023) / 1024;
    return k > 0x7fffffff ? 0x7fffffffL : static_cast<long>(k);
}

void CheckProduct(const char* folder, Findings* findings) {
    ProductCheck check(folder, findings);
    if (check.Load())
        check.Run();
    findings->Sort();
}

bool ListCorrectedSizes(const char* folder, LineSink emit, void* context) {
    Findings ignored;
    ProductCheck check(folder, &ignored);
    if (!check.Load())
        return false;
    check.EmitSizes(emit, context);
    return true;
}
