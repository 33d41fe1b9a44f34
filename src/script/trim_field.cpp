#include "script/trim_field.h"

#include <string.h>

#include "system/text.h"

static bool IsBlank(char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

char* TrimField(char* text) {
    while (IsBlank(*text))
        ++text;
    size_t length = strlen(text);
    while (length > 0 && IsBlank(text[length - 1]))
        text[--length] = '\0';
    return text;
}

char* NextField(char** cursor) {
    char* field = *cursor;
    char* separator = FindChar(field, ';');
    if (separator)
        *separator = '\0';
    *cursor = separator ? separator + 1 : nullptr;
    return TrimField(field);
}
