#include "system/file_protection.h"

#include <windows.h>

#include "system/file_protection_hook.h"
#include "system/library_binding.h"
#include "system/shared_count.h"
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

// Asked under the name the file's count goes under: where the file really is.
bool IsProtectedFile(const char* path) {
    char counted[MAX_PATH];
    if (!path || !*path)
        return false;
    CountedPath(path, counted, sizeof(counted));
    return askFileProtected(counted);
}
