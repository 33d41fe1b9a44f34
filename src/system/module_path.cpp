#include "system/module_path.h"

#include <string.h>
#include <windows.h>

#include "system/text.h"

bool GetModulePath(HMODULE module, char* out, size_t size) {
    if (!out || size == 0)
        return false;
    // A path that fills the buffer was cut (and Windows XP leaves it unterminated then).
    DWORD length = GetModuleFileNameA(module, out, static_cast<DWORD>(size));
    if (length == 0 || length >= size) {
        out[0] = '\0';
        return false;
    }
    out[length] = '\0';
    return true;
}

bool GetExecutableFolder(char* folder, size_t size) {
    CopyText(folder, size, "");
    char path[MAX_PATH];
    if (!GetModulePath(nullptr, path, sizeof(path)))
        return false;
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
