#include "system/file_protection.h"

#include <windows.h>

#include "system/file_protection_hook.h"
#include "system/shared_count.h"
#include "system/system_libraries.h"

namespace {
bool AskWindows(const char* path) {
    FunctionsUse<SfcFunctions> sfc(&sfcTable);
    if (!sfc)
        return false;
    // The function takes only a wide path.
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) == 0)
        return false;
    return sfc->SfcIsFileProtected(nullptr, wide) != FALSE;
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
