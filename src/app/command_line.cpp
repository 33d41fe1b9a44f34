#include "app/command_line.h"

#include <string.h>

#include "system/text.h"

namespace {
struct SwitchName {
    const char* name;
    uint32_t bit;
};

const SwitchName switchNames[] = {
    {"S", SWITCH_SILENT},  {"D", SWITCH_DEST},  {"COMPONENTS", SWITCH_COMPONENTS},
    {"USER", SWITCH_USER}, {"LOG", SWITCH_LOG},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char* ValueField(CommandLine* line, uint32_t bit, size_t* size) {
    switch (bit) {
    case SWITCH_DEST:
        *size = sizeof(line->destFolder);
        return line->destFolder;
    case SWITCH_COMPONENTS:
        *size = sizeof(line->components);
        return line->components;
    case SWITCH_USER:
        *size = sizeof(line->user);
        return line->user;
    case SWITCH_LOG:
        *size = sizeof(line->logPath);
        return line->logPath;
    default:
        *size = 0;
        return nullptr;
    }
}

// Reads one "/NAME" or "/NAME=value" token at *cursor and moves past it. Returns the switch's bit
// when the token is a usable switch (its value stored), 0 otherwise; *known tells whether the
// name was one of the switches at all.
uint32_t ReadSwitch(const char** cursor, CommandLine* line, bool* known) {
    const char* start = *cursor + 1;
    const char* end = start;
    while (*end && !IsBlank(*end) && *end != '=')
        ++end;
    uint32_t bit = 0;
    for (const SwitchName& entry : switchNames) {
        if (strlen(entry.name) == static_cast<size_t>(end - start) &&
            StartsWithNoCase(start, entry.name))
            bit = entry.bit;
    }
    *known = bit != 0;
    const char* value = end;
    const char* valueEnd = end;
    bool hasEquals = *end == '=';
    bool usable = true;
    if (hasEquals) {
        value = end + 1;
        if (*value == '"') {
            ++value;
            const char* quote = FindChar(value, '"');
            valueEnd = quote ? quote : value + strlen(value);
            end = quote ? quote + 1 : valueEnd;
            usable = quote && (!*end || IsBlank(*end));
        } else {
            // Blanks and quotes never occur as the second byte of a double-byte character.
            valueEnd = value;
            while (*valueEnd && !IsBlank(*valueEnd))
                ++valueEnd;
            end = valueEnd;
        }
    }
    while (*end && !IsBlank(*end))
        ++end;
    *cursor = end;

    size_t size = 0;
    char* field = ValueField(line, bit, &size);
    size_t length = static_cast<size_t>(valueEnd - value);
    if (!usable || bit == 0 || (line->given & bit) || hasEquals != (field != nullptr) ||
        (field && (length == 0 || length >= size)))
        return 0;
    if (field)
        CopyTextN(field, size, value, length);
    return bit;
}
} // namespace

void ParseCommandLine(const char* text, CommandLine* line) {
    memset(line, 0, sizeof(*line));
    const char* cursor = text ? text : "";
    while (IsBlank(*cursor))
        ++cursor;
    bool anyKnown = false;
    while (*cursor == '/') {
        const char* token = cursor;
        bool known = false;
        uint32_t bit = ReadSwitch(&cursor, line, &known);
        anyKnown = anyKnown || known;
        line->given |= bit;
        if (!bit && !line->wrongAt)
            line->wrongAt = token;
        while (IsBlank(*cursor))
            ++cursor;
    }
    if (!anyKnown) {
        memset(line, 0, sizeof(*line));
        line->mode = ChooseMode(text, &line->argument);
        return;
    }
    line->mode = MODE_INSTALL;
    if (*cursor) {
        line->mode = ChooseMode(cursor, &line->argument);
        if (line->mode == MODE_INSTALL && !line->wrongAt)
            line->wrongAt = cursor;
    }
}
