#include "check/layout_check.h"

#include <string.h>

#include "check/bitmap_header.h"
#include "check/licence_width.h"
#include "check/near_names.h"
#include "script/field_text.h"
#include "system/reserved_destination.h"
#include "system/text.h"
#include "system/whole_file.h"

namespace {
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
    {"Version", sizeof(SetupScript::version)},
    {"Components", SCRIPT_LIST_SIZE},
};
const KnownKey componentKeys[] = {
    {"Name", sizeof(Component::name)},
    {"Description", sizeof(Component::description)},
    {"Selected", 0},
    {"Components", SCRIPT_LIST_SIZE},
};
const size_t MOST_KEYS = sizeof(generalKeys) / sizeof(generalKeys[0]) + NUMBERED_KEY_PATTERNS;

// The prefix of a numbered key pattern: "CopyFile" of "CopyFile%d".
size_t PrefixLength(const NumberedKeyKind& kind) {
    return strlen(kind.pattern) - 2;
}

// The known key nearest to an unknown one; numbered keys are tried with the number it holds.
const char* NearestKey(const char* name, const KnownKey* keys, size_t count, bool numbered,
                       char (&formed)[NUMBERED_KEY_PATTERNS][32]) {
    const char* candidates[MOST_KEYS];
    size_t used = 0;
    for (size_t k = 0; k < count; ++k)
        candidates[used++] = keys[k].name;
    const char* digits = name + strcspn(name, "123456789");
    if (numbered && *digits) {
        int n = static_cast<int>(ReadDecimal(digits));
        size_t f = 0;
        for (const NumberedKeyKind& kind : numberedKeyKinds) {
            FormatText(formed[f], sizeof(formed[f]), kind.pattern, n);
            candidates[used++] = formed[f++];
            if (kind.widePattern) {
                FormatText(formed[f], sizeof(formed[f]), kind.widePattern, n);
                candidates[used++] = formed[f++];
            }
        }
    }
    return NearestName(name, candidates, used);
}

void CheckLength(ProductReading& reading, const IniLine& line, size_t size) {
    if (size == 0 || strlen(line.value) < size)
        return;
    char kept[SCRIPT_LIST_SIZE];
    CopyField(kept, size, line.value);
    reading.Report(line.number, FINDING_WARNING,
                   "the value of \"%s\" is %u bytes, longer than the %u the installer keeps: it "
                   "uses \"%s\"",
                   line.name, static_cast<unsigned>(strlen(line.value)),
                   static_cast<unsigned>(size - 1), kept);
}

// Unknown keys and values cut at their field, in one section the installer reads.
// "Name.de": what a run in language de reads instead of the key, warned of when no run has that
// language.
bool LanguageVariant(ProductReading& reading, const IniLine& line, bool numbered) {
    const char* dot = FindLastChar(line.name, '.');
    if (!dot)
        return false;
    char base[64];
    CopyTextN(base, sizeof(base), line.name, static_cast<size_t>(dot - line.name));
    int number = 0;
    bool wide = false;
    bool shown = numbered ? EqualNoCase(base, "Name") || EqualNoCase(base, "Description") ||
                                ParseNumberedKey(base, &number, &wide)
                          : EqualNoCase(base, "Licence") || EqualNoCase(base, "ReadMe");
    if (!shown)
        return false;
    char path[260];
    FormatText(path, sizeof(path), "%s\\Setup.%s.lng", reading.Folder(), dot + 1);
    if (!FileExists(path, nullptr))
        reading.Report(line.number, FINDING_WARNING,
                       "\"%s\" is for the language \"%s\", which has no file Setup.%s.lng: no "
                       "run reads it",
                       line.name, dot + 1, dot + 1);
    return true;
}

void CheckKeys(ProductReading& reading, int block, const KnownKey* keys, size_t keyCount) {
    if (block < 0)
        return;
    const IniBlock& range = reading.Scan().Block(block);
    bool numbered = keys == componentKeys;
    for (int index = range.firstLine; index < range.endLine; ++index) {
        const IniLine& line = reading.Scan().Line(index);
        if (line.kind != INI_KEY || reading.FindKey(block, line.name) != &line)
            continue;
        const KnownKey* known = nullptr;
        for (size_t k = 0; k < keyCount; ++k) {
            if (EqualNoCase(keys[k].name, line.name))
                known = &keys[k];
        }
        int number = 0;
        bool wide = false;
        if (known) {
            CheckLength(reading, line, known->size);
            if (known->size == 0 && *line.value && !ReadPlainNumber(line.value, &number))
                reading.Report(line.number, FINDING_WARNING,
                               "\"%s\" is not a plain number: the installer reads only leading "
                               "digits, and without them 0 (not selected)",
                               line.name);
            continue;
        }
        if ((numbered && ParseNumberedKey(line.name, &number, &wide)) ||
            LanguageVariant(reading, line, numbered))
            continue;
        char formed[NUMBERED_KEY_PATTERNS][32];
        const char* suggestion = NearestKey(line.name, keys, keyCount, numbered, formed);
        char hint[64] = "";
        if (suggestion)
            FormatText(hint, sizeof(hint), "; did you mean \"%s\"?", suggestion);
        reading.Report(line.number, FINDING_WARNING,
                       "unknown key \"%s\" in [%s]: the installer never reads it%s", line.name,
                       range.name, hint);
    }
}

// What the licence box cuts off at its right edge, and line ends it does not break at.
void CheckLicenceLines(ProductReading& reading, int line, const char* file, const char* path) {
    std::unique_ptr<char[]> text;
    DWORD size = 0;
    if (ReadWholeFile(path, 1, &text, &size) != WHOLE_FILE_READ)
        return;
    LicenceLayout layout;
    MeasureLicence(text.get(), size, &layout);
    int box = LicenceBoxPixels();
    for (int i = 0; i < layout.wideLines && i < LicenceLayout::NAMED; ++i) {
        const WideLicenceLine& wide = layout.named[i];
        reading.ReportIn(line, file, wide.number, FINDING_WARNING,
                         "the line is wider than the licence box (%d pixels in Windows' dialog "
                         "font): it shows the first %u of its %u characters; break the line "
                         "there",
                         box, static_cast<unsigned>(wide.fitting),
                         static_cast<unsigned>(wide.characters));
    }
    if (layout.wideLines > LicenceLayout::NAMED)
        reading.ReportIn(line, file, 0, FINDING_WARNING,
                         "%d more lines are wider than the licence box",
                         layout.wideLines - LicenceLayout::NAMED);
    if (layout.firstBareLineFeed > 0)
        reading.ReportIn(line, file, layout.firstBareLineFeed, FINDING_WARNING,
                         "the line ends in LF without CR: the licence box breaks lines only at "
                         "CR LF and runs such lines together; save the file with CR LF line "
                         "ends");
}

void CheckShownFile(ProductReading& reading, FolderInventory& inventory, const char* key,
                    const char* file) {
    char path[260];
    FormatText(path, sizeof(path), "%s\\%s", reading.Folder(), file);
    int line = reading.KeyLine(reading.FindKey(reading.General(), key), reading.General());
    bool logo = EqualNoCase(key, "Logo");
    if (!inventory.MarkNamed(file) && !FileExists(path, nullptr)) {
        reading.Report(line, FINDING_ERROR, "the %s file \"%s\" is not in the product folder: %s",
                       logo ? "logo" : "licence", file,
                       logo ? "the wizard shows no banner" : "the licence page stays empty");
        return;
    }
    if (!logo)
        CheckLicenceLines(reading, line, file, path);
    char reason[128];
    if (logo && !Windows95LoadsBitmap(path, reason, sizeof(reason)))
        reading.Report(line, FINDING_WARNING,
                       "the logo \"%s\" is %s: Windows 95 cannot load it, and the wizard shows "
                       "no banner",
                       file, reason);
}

void CheckReadMe(ProductReading& reading, ItemCheck& items) {
    const SetupScript& script = reading.Script();
    const IniLine* readMe = reading.FindKey(reading.General(), "ReadMe");
    if (!readMe || !*readMe->value)
        return;
    if (!FindChar(readMe->value, ';')) {
        reading.Report(readMe->number, FINDING_WARNING,
                       "\"ReadMe\" has no \";\" between path and caption: the finish page offers "
                       "no read-me");
    } else if (!script.readMePath[0] || !script.readMeCaption[0]) {
        reading.Report(readMe->number, FINDING_WARNING,
                       "\"ReadMe\" needs both a path and a caption: the finish page offers no "
                       "read-me");
    } else {
        const char* caption = FindChar(readMe->value, ';') + 1;
        while (*caption == ' ' || *caption == '\t')
            ++caption;
        if (strlen(caption) >= sizeof(script.readMeCaption))
            reading.Report(readMe->number, FINDING_WARNING,
                           "the read-me caption is longer than %u bytes: the installer uses "
                           "\"%s\"",
                           static_cast<unsigned>(sizeof(script.readMeCaption) - 1),
                           script.readMeCaption);
        if (items.CheckMacros(readMe->number, "the read-me path", script.readMePath))
            items.CheckInstalledTarget(readMe->number, "the read-me", script.readMePath);
    }
}
} // namespace

const NumberedKeyKind* ParseNumberedKey(const char* name, int* number, bool* wide) {
    for (const NumberedKeyKind& kind : numberedKeyKinds) {
        size_t length = PrefixLength(kind);
        char prefix[32];
        CopyTextN(prefix, sizeof(prefix), kind.pattern, length);
        if (!StartsWithNoCase(name, prefix))
            continue;
        const char* digits = name + length;
        if (*digits < '1' || *digits > '9')
            continue;
        const char* cursor = digits;
        while (*cursor >= '0' && *cursor <= '9')
            ++cursor;
        bool isWide = kind.widePattern && (*cursor == 'U' || *cursor == 'u');
        if (cursor[isWide ? 1 : 0] != '\0' || cursor - digits > 9)
            continue;
        *number = static_cast<int>(ReadDecimal(digits));
        *wide = isWide;
        return &kind;
    }
    return nullptr;
}

// Duplicates, stray lines and sections nothing reads: what the profile functions pass over.
void CheckLayout(ProductReading& reading) {
    const IniScan& scan = reading.Scan();
    const ScriptSource& source = reading.Source();
    for (int index = 0; index < scan.LineCount(); ++index) {
        const IniLine& line = scan.Line(index);
        const IniBlock& block = scan.Block(line.block);
        if (line.kind == INI_SECTION) {
            if (block.firstBlock != line.block)
                reading.Report(line.number, FINDING_WARNING,
                               "section [%s] appears again: the installer reads only the one at "
                               "line %d",
                               line.name, scan.Block(block.firstBlock).line);
            else if (!reading.IsRead(line.block) && reading.General() > 0)
                reading.Report(line.number, FINDING_WARNING,
                               "section [%s] is named by no \"Components\" list: the installer "
                               "never reads it",
                               line.name);
            continue;
        }
        if (line.block == 0) {
            // A byte-order mark explains its own line, and the lines of a header it hides.
            bool marked = source.Encoding() == ENCODING_UTF8_MARKED;
            if (!(marked && (line.number == 1 || source.MarkHidesHeader())))
                reading.Report(line.number, FINDING_WARNING,
                               "\"%s\" stands before the first section: the installer never "
                               "reads it",
                               line.name);
            continue;
        }
        if (block.firstBlock != line.block)
            continue;
        if (line.kind == INI_BARE) {
            reading.Report(line.number, FINDING_WARNING,
                           "\"%s\" has no \"=\": the installer reads no value from this line",
                           line.name);
            continue;
        }
        const IniLine* first = scan.FindKey(line.block, line.name);
        if (first != &line)
            reading.Report(line.number, FINDING_WARNING,
                           "key \"%s\" appears again in [%s]: the installer reads only the one at "
                           "line %d",
                           line.name, block.name, first->number);
    }
}

void CheckGeneral(ProductReading& reading, ItemCheck& items, FolderInventory& inventory) {
    const SetupScript& script = reading.Script();
    int general = reading.General();
    CheckKeys(reading, general, generalKeys, sizeof(generalKeys) / sizeof(generalKeys[0]));
    if (script.components.Count() == 0)
        reading.Report(reading.BlockLine(general), FINDING_ERROR,
                       "[General] lists no component: Setup.exe stops with \"Cannot find setup "
                       "script file \"Setup.ini\".\"");
    if (script.readIncomplete)
        reading.Report(0, FINDING_WARNING,
                       "more components or items than the installer takes (lists that name the "
                       "same sections again and again): it leaves the rest out");

    const IniLine* company = reading.FindKey(general, "Company");
    const IniLine* application = reading.FindKey(general, "Application");
    size_t titleLength =
        strlen(script.company) + 1 + (application ? strlen(application->value) : 0);
    if (titleLength >= sizeof(script.productTitle))
        reading.Report(reading.KeyLine(application ? application : company, general),
                       FINDING_WARNING,
                       "\"Company\", a blank and \"Application\" make a product title of %u "
                       "bytes, longer than %u: the installer uses \"%s\"",
                       static_cast<unsigned>(titleLength),
                       static_cast<unsigned>(sizeof(script.productTitle) - 1), script.productTitle);

    int destLine = reading.KeyLine(reading.FindKey(general, "DestFolder"), general);
    if (items.CheckMacros(destLine, "\"DestFolder\"", script.destFolder)) {
        const char* open = FindChar(script.destFolder, '%');
        if (open && StartsWith(open + 1, "DEST_PATH%"))
            reading.Report(destLine, FINDING_ERROR,
                           "\"DestFolder\" uses %%DEST_PATH%%, which is empty while the "
                           "destination itself is formed");
        items.CheckNames(destLine, "the destination folder", script.destFolder, false);
    }
    char expanded[MACRO_EXPANSION_ROOM];
    reading.Expand(script.destFolder, expanded, sizeof(expanded));
    items.CheckPathLength(destLine, "the destination folder", expanded);
    if (IsReservedDestination(expanded))
        reading.Report(destLine, FINDING_ERROR,
                       "\"DestFolder\" is \"%s\", a drive's root or a folder of Windows itself: "
                       "the installer refuses it; give the product a folder of its own",
                       expanded);

    const IniLine* startMenu = reading.FindKey(general, "StartMenu");
    int startLine = reading.KeyLine(startMenu ? startMenu : company, general);
    if (script.startMenuFolder[0] != '%' ||
        items.CheckMacros(startLine, "\"StartMenu\"", script.startMenuFolder))
        items.CheckNames(startLine, "\"StartMenu\"", script.startMenuFolder, false);

    CheckReadMe(reading, items);
    CheckShownFile(reading, inventory, "Licence", script.licenceFile);
    const IniBlock& block = reading.Scan().Block(general < 0 ? 0 : general);
    for (int index = block.firstLine; general >= 0 && index < block.endLine; ++index) {
        const IniLine& line = reading.Scan().Line(index);
        if (line.kind == INI_KEY && StartsWithNoCase(line.name, "Licence.") && *line.value)
            CheckShownFile(reading, inventory, line.name, line.value);
    }
    CheckShownFile(reading, inventory, "Logo", script.logoFile);
}

void CheckComponentKeys(ProductReading& reading, int block) {
    CheckKeys(reading, block, componentKeys, sizeof(componentKeys) / sizeof(componentKeys[0]));
}

void CheckNumbering(ProductReading& reading, int block) {
    const IniBlock& range = reading.Scan().Block(block);
    bool wideFamily = reading.Wide();
    for (const NumberedKeyKind& kind : numberedKeyKinds) {
        int stop = reading.WalkItems(block, kind, wideFamily, [](const IniLine&) {});
        char prefix[32];
        CopyTextN(prefix, sizeof(prefix), kind.pattern, PrefixLength(kind));
        for (int index = range.firstLine; index < range.endLine; ++index) {
            const IniLine& line = reading.Scan().Line(index);
            int number = 0;
            bool wide = false;
            if (line.kind != INI_KEY || ParseNumberedKey(line.name, &number, &wide) != &kind ||
                number <= stop || (wide && !wideFamily) ||
                reading.FindKey(block, line.name) != &line)
                continue;
            reading.Report(line.number, FINDING_WARNING,
                           "\"%s\" is never read: the numbering stops at %s%d, which is missing "
                           "or empty",
                           line.name, prefix, stop);
        }
        if (wideFamily || !kind.widePattern)
            continue;
        char name[32];
        FormatText(name, sizeof(name), kind.widePattern, stop);
        const IniLine* alone = reading.FindKey(block, name);
        if (alone && *alone->value)
            reading.Report(alone->number, FINDING_WARNING,
                           "\"%s\" has no \"%s%d\" beside it: these systems read no \"U\" keys, "
                           "so their list of %s items stops here",
                           name, prefix, stop, prefix);
    }
}
