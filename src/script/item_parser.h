#pragma once
#include <stdint.h>

#include "script/setup_script.h"

// Parsers of one item line. The value is cut up in place; the record is filled from scratch.

// A desktop or Palm file line: size; path; option. kind is ITEM_COPYFILE or ITEM_PALMFILE.
void ParseFileItem(char* value, uint32_t kind, InstallItem* item);
// A shortcut line: target; icon; arguments; name; option.
void ParseShortcutItem(char* value, ShortcutItem* item);
// The option keywords of item lines.
const int OPTION_COUNT = 4;
extern const char* const optionKeywords[OPTION_COUNT];
// The flag bit of an option keyword (any case), or 0 for an unknown one.
uint32_t OptionFlag(const char* keyword);
