#include "system/library_binding.h"

#include "system/system_folder.h"

HMODULE LoadSystemLibrary(const char* fileName) {
    char path[MAX_PATH];
    if (!SystemFilePath(fileName, path, sizeof(path)))
        return nullptr;
    return LoadLibraryA(path);
}

namespace {
// Windows 8, and Windows 7 and Vista with KB2533623.
BOOL(WINAPI* SearchFunction())(DWORD) {
    BOOL(WINAPI * setDefault)(DWORD);
    BindProc(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories", setDefault);
    return setDefault;
}
} // namespace

void RestrictLibrarySearch() {
    BOOL(WINAPI * setDirectory)(LPCSTR);
    if (BOOL(WINAPI * setDefault)(DWORD) = SearchFunction())
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows XP SP1 and later: "" takes the current folder out of the search.
    else if (BindProc(GetModuleHandleA("kernel32.dll"), "SetDllDirectoryA", setDirectory))
        setDirectory("");
}

HMODULE LoadLibraryWithItsFolder(const char* path) {
    return LoadLibraryExA(path, nullptr,
                          SearchFunction()
                              ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
                              : LOAD_WITH_ALTERED_SEARCH_PATH);
}
