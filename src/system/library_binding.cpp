#include "system/library_binding.h"

#include "system/system_folder.h"

HMODULE LoadSystemLibrary(const char* fileName) {
    char path[MAX_PATH];
    if (!SystemFilePath(fileName, path, sizeof(path)))
        return nullptr;
    return LoadLibraryA(path);
}
