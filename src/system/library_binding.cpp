#include "system/library_binding.h"

#include "system/system_folder.h"
#include "system/system_libraries.h"

HMODULE LoadSystemLibrary(const char* fileName) {
    char path[MAX_PATH];
    if (!SystemFilePath(fileName, path, sizeof(path)))
        return nullptr;
    return LoadLibraryA(path);
}

// SetDefaultDllDirectories: Windows 8, and Windows 7 and Vista with KB2533623.
void RestrictLibrarySearch() {
    const Kernel32Functions& kernel = Kernel32();
    if (kernel.SetDefaultDllDirectories)
        kernel.SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows XP SP1 and later: "" takes the current folder out of the search.
    else if (kernel.SetDllDirectoryA)
        kernel.SetDllDirectoryA("");
}

HMODULE LoadLibraryWithItsFolder(const char* path) {
    return LoadLibraryExA(path, nullptr,
                          Kernel32().SetDefaultDllDirectories
                              ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
                              : LOAD_WITH_ALTERED_SEARCH_PATH);
}
