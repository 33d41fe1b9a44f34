#include "check/product_check.h"

#include <string.h>

#include "check/folder_inventory.h"
#include "check/item_check.h"
#include "check/language_check.h"
#include "check/layout_check.h"
#include "check/product_folder.h"
#include "check/product_reading.h"
#include "check/script_source.h"
#include "system/system_libraries.h"
#include "system/text.h"

const char FAMILY_95_PREFIX[] = "on Windows 95, 98 and Me: ";
const char FAMILY_NT_PREFIX[] = "on Windows NT, 2000 and later: ";

namespace {
// True when the reading found components at all.
bool CheckReading(const char* folder, const ScriptSource& source, ScriptFamily family,
                  FolderInventory* inventory, Findings* findings) {
    ProductReading reading(folder, source, family, findings);
    if (!reading.Load())
        return false;
    // The shared files' version resources: one load of version.dll for the reading.
    SharedFileUse sharedFiles;
    ItemCheck items(reading, *inventory);
    items.CollectInstalled();
    CheckLayout(reading);
    CheckGeneral(reading, items, *inventory);
    for (int i = 0; i < reading.ReadCount(); ++i) {
        int block = reading.ReadBlock(i);
        CheckComponentKeys(reading, block);
        CheckNumbering(reading, block);
        items.CheckItems(block);
    }
    return reading.Script().components.Count() > 0;
}

bool Holds(const Findings& findings, const Finding& wanted) {
    for (int i = 0; i < findings.Count(); ++i) {
        const Finding& finding = findings.At(i);
        if (finding.line == wanted.line && finding.level == wanted.level &&
            finding.fileLine == wanted.fileLine && strcmp(finding.file, wanted.file) == 0 &&
            strcmp(finding.text, wanted.text) == 0)
            return true;
    }
    return false;
}

// Findings of both readings once; the others with the family they concern.
void Merge(const Findings& mine, const Findings& other, const char* prefix, bool first,
           Findings* out) {
    for (int i = 0; i < mine.Count(); ++i) {
        const Finding& finding = mine.At(i);
        bool shared = Holds(other, finding);
        if (!shared)
            out->AddLike(finding, prefix);
        else if (first)
            out->AddLike(finding, "");
    }
}
} // namespace

void CheckProduct(const char* folder, Findings* findings) {
    CheckProduct(folder, CheckOptions(), findings);
}

void CheckProduct(const char* folder, const CheckOptions& options, Findings* findings) {
    char root[260];
    NormalFolder(folder, root, sizeof(root));
    ScriptSource source;
    if (source.Load(root, options.codePage, findings)) {
        FolderInventory inventory;
        inventory.List(root);
        CheckLanguageFiles(root, &inventory, findings);
        Findings nt;
        bool components = CheckReading(root, source, FAMILY_WINDOWS_NT, &inventory, &nt);
        if (source.Windows95Reads()) {
            Findings windows95;
            components |= CheckReading(root, source, FAMILY_WINDOWS_95, &inventory, &windows95);
            Merge(nt, windows95, FAMILY_NT_PREFIX, true, findings);
            Merge(windows95, nt, FAMILY_95_PREFIX, false, findings);
        } else {
            // Only the NT family reads the file, as a finding of the source has said.
            Merge(nt, Findings(), "", true, findings);
        }
        // A script that yields no component names no file: that error says all.
        inventory.Report(findings, components);
        if (options.needed)
            inventory.ListNeeded(options.needed, options.neededContext);
    }
    findings->Sort();
}
