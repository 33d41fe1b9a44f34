#include "system/system_folder.h"

#include <string.h>
#include <windows.h>

#include "system/text.h"

bool SystemFilePath(const char* fileName, char* out, size_t size) {
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    char folder[MAX_PATH];
    UINT length = GetSystemDirectoryA(folder, sizeof(folder));
    if (length == 0 || length >= sizeof(folder))
        return false;
    // A root such as "C:\" already ends in the backslash.
    const char* separator = FindLastChar(folder, '\\') == folder + length - 1 ? "" : "\\";
    const char* name = fileName ? fileName : "";
    if (FormatText(out, size, "%s%s%s", folder, separator, name) !=
        length + strlen(separator) + strlen(name)) {
        out[0] = '\0';
        return false;
    }
    return true;
}
