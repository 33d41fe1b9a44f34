#include "system/library_binding.h"

#include "system/text.h"

HMODULE LoadSystemLibrary(const char* fileName) {
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return nullptr;
    if (path[length - 1] != '\\')
        AppendText(path, sizeof(path), "\\");
    AppendText(path, sizeof(path), fileName);
    return LoadLibraryA(path);
}
