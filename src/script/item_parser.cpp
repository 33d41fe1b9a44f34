#include "script/item_parser.h"

#include <string.h>

#include "script/field_text.h"
#include "script/trim_field.h"
#include "system/text.h"

const char* const optionKeywords[OPTION_COUNT] = {"ACTIVESYNC", "REGSERVICE", "SENDTO", "DESKTOP"};

namespace {
const uint32_t optionFlags[OPTION_COUNT] = {ITEM_ACTIVESYNC, ITEM_REGSERVICE, ITEM_SENDTO,
                                            ITEM_DESKTOP};

// Cuts the field that starts at *cursor at the next ";" and returns it trimmed. *cursor moves
// behind that ";", or becomes null when the field ran to the end of the value.
char* TakeField(char** cursor) {
    char* start = *cursor;
    char* separator = FindChar(start, ';');
    if (separator) {
        *separator = '\0';
        *cursor = separator + 1;
    } else {
        *cursor = nullptr;
    }
    return TrimField(start);
}
} // namespace

uint32_t OptionFlag(const char* keyword) {
    for (int i = 0; i < OPTION_COUNT; ++i) {
        if (EqualNoCase(keyword, optionKeywords[i]))
            return optionFlags[i];
    }
    return 0;
}

void ParseFileItem(char* value, uint32_t kind, InstallItem* item) {
    memset(item, 0, sizeof(*item));
    item->flags = kind;
    if (!FindChar(value, ';'))
        return;
    char* cursor = value;
    item->sizeK = ReadDecimal(TakeField(&cursor));
    CopyField(item->path, sizeof(item->path), TakeField(&cursor));
    if (!cursor)
        return;
    item->flags |= OptionFlag(TakeField(&cursor));
}

void ParseShortcutItem(char* value, ShortcutItem* item) {
    memset(item, 0, sizeof(*item));
    item->flags = ITEM_SHORTCUT;
    if (!FindChar(value, ';'))
        return;
    char* cursor = value;
    CopyField(item->path, sizeof(item->path), TakeField(&cursor));
    item->iconIndex = ReadDecimal(TakeField(&cursor));
    if (!cursor)
        return;
    CopyField(item->arguments, sizeof(item->arguments), TakeField(&cursor));
    if (!cursor)
        return;
    CopyField(item->linkName, sizeof(item->linkName), TakeField(&cursor));
    if (!cursor)
        return;
    item->flags |= OptionFlag(TakeField(&cursor));
}
