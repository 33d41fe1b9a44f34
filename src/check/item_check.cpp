#include "check/item_check.h"

#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "check/near_names.h"
#include "check/product_check.h"
#include "check/server_file.h"
#include "check/windows_names.h"
#include "script/field_text.h"
#include "script/item_parser.h"
#include "script/link_folder.h"
#include "script/trim_field.h"
#include "system/file_version.h"
#include "system/macro_expansion.h"
#include "system/shared_count.h"
#include "system/text.h"

namespace {
const size_t PATH_LIMIT = MAX_PATH - 1;

// "A, B, C" of the names, each between two marks.
void ListNames(const char* const* names, int count, const char* mark, char* out, size_t size) {
    out[0] = '\0';
    for (int i = 0; i < count; ++i) {
        size_t used = strlen(out);
        FormatText(out + used, size - used, "%s%s%s%s", i ? ", " : "", mark, names[i], mark);
    }
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

void ReleaseText(void** slot) {
    free(*slot);
    *slot = nullptr;
}
} // namespace

ItemCheck::ItemCheck(ProductReading& reading, FolderInventory& inventory)
    : reading_(reading), inventory_(inventory), installed_(ReleaseText) {}

void ItemCheck::CollectInstalled() {
    for (int i = 0; i < reading_.ReadCount(); ++i) {
        reading_.WalkItems(reading_.ReadBlock(i), numberedKeyKinds[0], reading_.Wide(),
                           [this](const IniLine& line) {
                               char value[SCRIPT_ITEM_LINE_SIZE];
                               CopyField(value, sizeof(value), line.value);
                               InstallItem item;
                               ParseFileItem(value, ITEM_COPYFILE, &item);
                               char expanded[MACRO_EXPANSION_ROOM];
                               reading_.Expand(item.path, expanded, sizeof(expanded));
                               size_t length = strlen(expanded);
                               char* copy = static_cast<char*>(malloc(length + 1));
                               if (copy) {
                                   memcpy(copy, expanded, length + 1);
                                   if (!installed_.Add(copy))
                                       free(copy);
                               }
                           });
    }
}

bool ItemCheck::IsInstalled(const char* expanded) const {
    for (int i = 0; i < installed_.Count(); ++i) {
        if (EqualNoCase(static_cast<const char*>(installed_.At(i)), expanded))
            return true;
    }
    return false;
}

void ItemCheck::CheckInstalledTarget(int line, const char* what, const char* path) {
    if (StartsWith(path, "%WINDOWS%") || StartsWith(path, "%SYSTEM%") || !*path)
        return;
    char expanded[MACRO_EXPANSION_ROOM];
    reading_.Expand(path, expanded, sizeof(expanded));
    if (!IsInstalled(expanded))
        reading_.Report(line, FINDING_WARNING, "%s points at \"%s\", which no item installs", what,
                        path);
}

bool ItemCheck::CheckMacros(int line, const char* what, const char* text) {
    const char* open = FindChar(text, '%');
    if (!open)
        return true;
    const char* close = FindChar(open + 1, '%');
    if (!close) {
        reading_.Report(line, FINDING_ERROR,
                        "%s has a \"%%\" without a closing one: the installer expands no macro in "
                        "\"%s\"",
                        what, text);
        return false;
    }
    char name[64];
    CopyTextN(name, sizeof(name), open + 1, static_cast<size_t>(close - open - 1));
    MacroToken token = FindMacroToken(name);
    if (token == TOKEN_UNKNOWN) {
        char macros[160];
        ListNames(macroNames, MACRO_COUNT, "%", macros, sizeof(macros));
        reading_.Report(line, FINDING_ERROR,
                        "%s uses the unknown macro %%%s%%, which expands to nothing (macros are "
                        "upper case: %s)",
                        what, name, macros);
        return false;
    }
    const char* second = FindChar(close + 1, '%');
    if (second && FindChar(second + 1, '%')) {
        reading_.Report(line, FINDING_ERROR,
                        "%s holds a second macro after %%%s%%: only the first macro of a value is "
                        "expanded, the rest stays as written",
                        what, name);
        return false;
    }
    return true;
}

void ItemCheck::CheckPathLength(int line, const char* what, const char* path) {
    if (strlen(path) > PATH_LIMIT)
        reading_.Report(line, FINDING_ERROR,
                        "%s \"%s\" is %u bytes with the default destination, more than the %u a "
                        "Windows path holds",
                        what, path, static_cast<unsigned>(strlen(path)),
                        static_cast<unsigned>(PATH_LIMIT));
}

void ItemCheck::CheckNames(int line, const char* what, const char* path, bool oneName) {
    NameProblem problem = FindNameProblem(path, oneName);
    if (problem.fault == NAME_GOOD)
        return;
    char text[300];
    DescribeNameProblem(problem, text, sizeof(text));
    reading_.Report(line, FINDING_ERROR, "%s \"%s\": %s", what, path, text);
}

void ItemCheck::CheckOption(int line, const char* option, uint32_t kind) {
    if (!*option)
        return;
    uint32_t flag = OptionFlag(option);
    if (flag == 0) {
        const char* suggestion = NearestName(option, optionKeywords, OPTION_COUNT);
        char hint[64];
        if (suggestion) {
            FormatText(hint, sizeof(hint), "; did you mean \"%s\"?", suggestion);
        } else {
            char options[48];
            ListNames(optionKeywords, OPTION_COUNT, "", options, sizeof(options));
            FormatText(hint, sizeof(hint), " (options: %s)", options);
        }
        reading_.Report(line, FINDING_ERROR, "unknown option \"%s\": the installer ignores it%s",
                        option, hint);
        return;
    }
    bool serviceFlag = (flag & (ITEM_ACTIVESYNC | ITEM_REGSERVICE)) != 0;
    if (kind == ITEM_SHORTCUT && serviceFlag)
        reading_.Report(line, FINDING_WARNING,
                        "option \"%s\" on a shortcut line makes the installer treat the line as a "
                        "service file, not a shortcut",
                        option);
    else if (kind == ITEM_COPYFILE && !serviceFlag)
        reading_.Report(line, FINDING_WARNING,
                        "option \"%s\" belongs on shortcut lines: the file is copied without it",
                        option);
    else if (kind == ITEM_PALMFILE)
        reading_.Report(line, FINDING_WARNING, "option \"%s\" has no effect on a Palm file line",
                        option);
}

// The line as the reader takes it, cut to its buffer.
void ItemCheck::TakeItemLine(const IniLine& line, char* value, size_t size) {
    if (strlen(line.value) >= size)
        reading_.Report(line.number, FINDING_WARNING,
                        "the line is longer than the %u bytes the installer reads",
                        static_cast<unsigned>(size - 1));
    CopyField(value, size, line.value);
}

bool ItemCheck::CheckServerFile(int line, const char* option, const char* source,
                                const char* path) {
    ServerFileKind kind = InspectServerFile(path);
    if (kind == SERVER_FILE_NOT_DLL)
        reading_.Report(line, FINDING_ERROR,
                        "option %s: \"%s\" is not a 32-bit Windows DLL, so regsvr32 cannot "
                        "register it",
                        option, source);
    else if (kind == SERVER_FILE_NO_EXPORTS)
        reading_.Report(line, FINDING_ERROR,
                        "option %s: \"%s\" does not export DllRegisterServer and "
                        "DllUnregisterServer, so regsvr32 cannot register it",
                        option, source);
    return kind == SERVER_FILE_COM_SERVER;
}

void ItemCheck::CheckSharedFile(int line, const char* itemPath, const char* source,
                                const char* path) {
    char expanded[MACRO_EXPANSION_ROOM];
    reading_.Expand(itemPath, expanded, sizeof(expanded));
    FileVersionInfo info;
    if (IsSharedTarget(reading_.DestPath(), expanded) && !ReadFileVersion(path, &info))
        reading_.Report(line, FINDING_WARNING,
                        "\"%s\" goes outside the destination folder, where other products may "
                        "share it, but has no version resource: the installer can never tell "
                        "whether a copy already there is newer or older",
                        source);
}

void ItemCheck::CheckFileItem(const IniLine& line, uint32_t kind) {
    int at = line.number;
    bool palm = kind == ITEM_PALMFILE;
    char value[SCRIPT_ITEM_LINE_SIZE];
    TakeItemLine(line, value, sizeof(value));
    InstallItem item;
    ParseFileItem(value, kind, &item);
    RawFields raw;
    SplitFields(line.value, &raw);
    if (raw.count < 2) {
        reading_.Report(at, FINDING_ERROR,
                        "\"%s\" has no \";\": the installer takes neither size nor %s from it "
                        "(write size;%s)",
                        line.name, palm ? "file" : "destination",
                        palm ? "file" : "destination;option");
        return;
    }
    int number = 0;
    bool sizeKnown = ReadPlainNumber(raw.field[0], &number) && number >= 0;
    if (!sizeKnown)
        reading_.Report(at, FINDING_ERROR,
                        "the size field \"%s\" is not a plain number: the installer counts %d K",
                        raw.field[0], static_cast<int>(item.sizeK));
    if (strlen(raw.field[1]) >= sizeof(item.path))
        reading_.Report(at, FINDING_WARNING,
                        "the path is longer than %u bytes: the installer uses \"%s\"",
                        static_cast<unsigned>(sizeof(item.path) - 1), item.path);
    CheckOption(at, raw.count > 2 ? raw.field[2] : "", kind);

    if (palm)
        inventory_.NotePalmLine(at);
    const char* source = palm ? item.path : FileNamePart(item.path);
    if (!*item.path) {
        reading_.Report(at, FINDING_ERROR, "%s",
                        palm ? "no Palm file is named" : "no destination is given");
        return;
    }
    if (!*source) {
        reading_.Report(at, FINDING_ERROR, "the destination \"%s\" ends without a file name",
                        item.path);
        return;
    }
    if (palm && FindChar(item.path, '%'))
        reading_.Report(at, FINDING_WARNING,
                        "the Palm file path \"%s\" holds a \"%%\": Palm paths are never "
                        "expanded, so the installer looks for that very name in the product "
                        "folder",
                        item.path);
    if (!palm && CheckMacros(at, "the destination", item.path)) {
        char expanded[MACRO_EXPANSION_ROOM];
        reading_.Expand(item.path, expanded, sizeof(expanded));
        CheckPathLength(at, "the target path", expanded);
        CheckNames(at, "the destination", item.path, false);
    }
    inventory_.MarkNamed(source);
    char path[MACRO_EXPANSION_ROOM];
    FormatText(path, sizeof(path), "%s\\%s", reading_.Folder(), source);
    unsigned long long bytes = 0;
    if (!FileExists(path, &bytes)) {
        reading_.Report(at, FINDING_ERROR,
                        "the file \"%s\" is not in the product folder: the install stops at this "
                        "item",
                        source);
        return;
    }
    if (sizeKnown && item.sizeK != SizeInK(bytes))
        reading_.Report(at, FINDING_WARNING, "the size field says %d K, but \"%s\" has %ld K",
                        static_cast<int>(item.sizeK), source, SizeInK(bytes));
    if (palm)
        return;
    // A server regsvr32 cannot take has a worse fault than its missing version.
    if (!(item.flags & (ITEM_ACTIVESYNC | ITEM_REGSERVICE)) ||
        CheckServerFile(at, item.flags & ITEM_ACTIVESYNC ? "ACTIVESYNC" : "REGSERVICE", source,
                        path))
        CheckSharedFile(at, item.path, source, path);
}

void ItemCheck::CheckShortcut(const IniLine& line) {
    int at = line.number;
    char value[SCRIPT_ITEM_LINE_SIZE];
    TakeItemLine(line, value, sizeof(value));
    ShortcutItem item;
    ParseShortcutItem(value, &item);
    RawFields raw;
    SplitFields(line.value, &raw);
    if (!*item.path) {
        reading_.Report(at, FINDING_ERROR,
                        "the shortcut has no target (write target;icon;arguments;name;option)");
        return;
    }
    if (!*item.linkName) {
        reading_.Report(at, FINDING_ERROR,
                        "the shortcut has no name: the installer cannot save it");
        return;
    }
    if (strlen(raw.field[0]) >= sizeof(item.path) ||
        strlen(raw.field[2]) >= sizeof(item.arguments) ||
        strlen(raw.field[3]) >= sizeof(item.linkName))
        reading_.Report(at, FINDING_WARNING,
                        "a field is longer than the installer keeps: it uses the target \"%s\", "
                        "the arguments \"%s\" and the name \"%s\"",
                        item.path, item.arguments, item.linkName);
    CheckOption(at, raw.count > 4 ? raw.field[4] : "", ITEM_SHORTCUT);
    if (item.flags & (ITEM_ACTIVESYNC | ITEM_REGSERVICE))
        return;
    CheckNames(at, "the shortcut name", item.linkName, true);
    bool macrosGood = CheckMacros(at, "the target", item.path);
    if (*item.arguments)
        CheckMacros(at, "the arguments", item.arguments);
    if (!macrosGood)
        return;
    char expanded[MACRO_EXPANSION_ROOM];
    reading_.Expand(item.path, expanded, sizeof(expanded));
    CheckPathLength(at, "the target path", expanded);
    CheckInstalledTarget(at, "the shortcut", item.path);

    char folder[MACRO_EXPANSION_ROOM];
    LinkFolderPath(ShortcutFolder(item.flags, reading_.Script().startMenuFolder), folder,
                   sizeof(folder));
    reading_.Expand(folder, expanded, sizeof(expanded));
    AppendText(expanded, sizeof(expanded), "\\");
    AppendText(expanded, sizeof(expanded), item.linkName);
    AppendText(expanded, sizeof(expanded), ".lnk");
    CheckPathLength(at, "the shortcut's path", expanded);
}

void ItemCheck::CheckItems(int block) {
    bool wide = reading_.Wide();
    reading_.WalkItems(block, numberedKeyKinds[0], wide,
                       [this](const IniLine& line) { CheckFileItem(line, ITEM_COPYFILE); });
    reading_.WalkItems(block, numberedKeyKinds[1], wide,
                       [this](const IniLine& line) { CheckFileItem(line, ITEM_PALMFILE); });
    reading_.WalkItems(block, numberedKeyKinds[2], wide,
                       [this](const IniLine& line) { CheckShortcut(line); });
}
