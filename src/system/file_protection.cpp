#include "system/file_protection.h"

#include <windows.h>

#include "system/file_protection_hook.h"
#include "system/library_binding.h"
#include "system/win_handles.h"

namespace {
bool AskWindows(const char* path) {
    Library library(LoadSystemLibrary("sfc.dll"));
    BOOL(WINAPI * isProtected)(HANDLE, LPCWSTR);
    if (!BindProc(library.Get(), "SfcIsFileProtected", isProtected))
        return false;
    // The function takes only a wide path.
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) == 0)
        return false;
    return isProtected(nullptr, wide) != FALSE;
}
} // namespace

bool (*askFileProtected)(const char* path) = AskWindows;

bool IsProtectedFile(const char* path) {
    return path && *path && askFileProtected(path);
}
