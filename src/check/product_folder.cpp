#include "check/product_folder.h"

#include <string.h>

#include "system/text.h"

void NormalFolder(const char* folder, char* out, size_t size) {
    CopyText(out, size, folder && *folder ? folder : ".");
    size_t length = strlen(out);
    if (length > 1 && FindLastChar(out, '\\') == out + length - 1)
        out[length - 1] = '\0';
}
