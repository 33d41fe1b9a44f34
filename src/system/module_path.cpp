#include "system/module_path.h"

#include <string.h>
#include <windows.h>

#include "system/text.h"

bool GetExecutableFolder(char* folder, size_t size) {
    CopyText(folder, size, "");
    char path[MAX_PATH];
    // A path cut to the buffer comes back without a terminator on some systems.
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return false;
    path[length] = '\0';
    char* slash = FindLastChar(path, '\\');
    if (!slash)
        return false;
    *slash = '\0';
    if (static_cast<size_t>(slash - path) >= size)
        return false;
    CopyText(folder, size, path);
    return true;
}

bool PathBesideExecutable(const char* fileName, char* path, size_t size) {
    char folder[MAX_PATH];
    if (!GetExecutableFolder(folder, sizeof(folder)) ||
        FormatText(path, size, "%s\\%s", folder, fileName) !=
            strlen(folder) + 1 + strlen(fileName)) {
        CopyText(path, size, "");
        return false;
    }
    return true;
}
