// The --sizes report: the file item lines with the real sizes of their files.
#include <string.h>

#include "check/folder_inventory.h"
#include "check/layout_check.h"
#include "check/product_check.h"
#include "check/product_folder.h"
#include "check/product_reading.h"
#include "check/script_source.h"
#include "script/field_text.h"
#include "script/item_parser.h"
#include "system/text.h"

long SizeInK(unsigned long long bytes) {
    unsigned long long k = (bytes + 1023) / 1024;
    return k > 0x7fffffff ? 0x7fffffffL : static_cast<long>(k);
}

bool ListCorrectedSizes(const char* folder, unsigned codePage, LineSink emit, void* context) {
    char root[260];
    NormalFolder(folder, root, sizeof(root));
    Findings ignored;
    ScriptSource source;
    if (!source.Load(root, codePage, &ignored))
        return false;
    // Both families read the same sections; the NT family reads every kind of item line.
    ProductReading reading(root, source, FAMILY_WINDOWS_NT, &ignored);
    if (!reading.Load())
        return false;
    const IniScan& scan = reading.Scan();
    char text[SCRIPT_ITEM_LINE_SIZE + 64];
    for (int i = 0; i < reading.ReadCount(); ++i) {
        const IniBlock& block = scan.Block(reading.ReadBlock(i));
        bool headed = false;
        for (int index = block.firstLine; index < block.endLine; ++index) {
            const IniLine& line = scan.Line(index);
            int number = 0;
            bool wide = false;
            const NumberedKeyKind* kind =
                line.kind == INI_KEY ? ParseNumberedKey(line.name, &number, &wide) : nullptr;
            if (!kind || kind->kind == ITEM_SHORTCUT)
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
            ParseFileItem(value, kind->kind, &item);
            const char* file = kind->kind == ITEM_PALMFILE ? item.path : FileNamePart(item.path);
            char path[MACRO_EXPANSION_ROOM];
            FormatText(path, sizeof(path), "%s\\%s", root, file);
            unsigned long long bytes = 0;
            if (rest && *file && FileExists(path, &bytes))
                FormatText(text, sizeof(text), "%s=%ld%s", line.name, SizeInK(bytes), rest);
            else
                FormatText(text, sizeof(text), "%s=%s", line.name, line.value);
            emit(text, context);
        }
    }
    return true;
}
