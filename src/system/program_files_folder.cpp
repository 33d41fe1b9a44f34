#include <string.h>
#include <windows.h>
#include <shlobj.h>

#include "system/macro_expansion.h"
#include "system/module_path.h"
#include "system/path_macros.h"
#include "system/path_macros_testing.h"
#include "system/registry.h"
#include "system/shell_folder_binding.h"
#include "system/text.h"

namespace {
const size_t CACHE_SIZE = 128;
char programFilesCache[CACHE_SIZE] = "";

// A guess is taken only when it names an existing folder; one longer than the cache is rejected
// rather than cut, as a cut path could name some other, existing folder.
bool Accept(const char* folder) {
    if (folder[0] == '\0' || strlen(folder) >= CACHE_SIZE)
        return false;
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    CopyText(programFilesCache, sizeof(programFilesCache), folder);
    return true;
}
} // namespace

const char* PathMacros::ProgramFilesFolder() {
    if (programFilesCache[0] != '\0')
        return programFilesCache;

    char guess[MAX_PATH];
    if (ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                           "ProgramFilesDir", guess, sizeof(guess)) &&
        Accept(guess))
        return programFilesCache;

    guess[0] = '\0';
    if (GetShellFolder(CSIDL_PROGRAM_FILES, guess, sizeof(guess)) && Accept(guess))
        return programFilesCache;

    DWORD length = GetEnvironmentVariableA("PROGRAMFILES", guess, sizeof(guess));
    if (length > 0 && length < sizeof(guess) && Accept(guess))
        return programFilesCache;

    if (GetModulePath(nullptr, guess, sizeof(guess)) && CutToFirstFolder(guess) && Accept(guess))
        return programFilesCache;

    char windowsFolder[MAX_PATH];
    length = GetWindowsDirectoryA(windowsFolder, sizeof(windowsFolder));
    if (length == 0 || length >= sizeof(windowsFolder))
        windowsFolder[0] = '\0';
    ProgramFilesBesideWindows(windowsFolder, programFilesCache, sizeof(programFilesCache));
    return programFilesCache;
}

void ForgetProgramFilesFolder() {
    programFilesCache[0] = '\0';
}
