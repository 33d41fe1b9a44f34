#include "system/path_macros.h"

#include "system/macro_expansion.h"
#include "system/registry.h"
#include "system/shell_folder_binding.h"
#include "system/text.h"

namespace {
bool shortcutsForAllUsers = false;

void ResolveThroughObject(const void* owner, const char* name, char* out, size_t outSize) {
    static_cast<const PathMacros*>(owner)->ResolveToken(name, out, outSize);
}

void WindowsFolder(char* out, size_t outSize) {
    char folder[MAX_PATH];
    UINT length = GetWindowsDirectoryA(folder, sizeof(folder));
    CopyText(out, outSize, length > 0 && length < sizeof(folder) ? folder : "");
}

void SystemFolder(char* out, size_t outSize) {
    char folder[MAX_PATH];
    UINT length = GetSystemDirectoryA(folder, sizeof(folder));
    CopyText(out, outSize, length > 0 && length < sizeof(folder) ? folder : "");
}

// The all-users folder as the shell or the machine's "Shell Folders" key names it; empty where
// Windows has none, as on Windows 95 and 98 without user profiles.
void ResolveCommonFolder(const ShellFolderRow& row, char* out, size_t outSize) {
    GetShellFolder(row.commonFolderNumber, out, outSize);
    if (out[0] != '\0')
        return;
    char folder[MAX_PATH];
    if (ReadRegistryString(HKEY_LOCAL_MACHINE, SHELL_FOLDERS_KEY, row.commonValueName, folder,
                           sizeof(folder)))
        CopyText(out, outSize, folder);
}

void ResolveShellFolder(const ShellFolderRow& row, char* out, size_t outSize) {
    if (shortcutsForAllUsers && row.commonValueName) {
        ResolveCommonFolder(row, out, outSize);
        // Without profiles the current user's folders are the only ones, shared by everyone.
        if (out[0] != '\0')
            return;
    }
    GetShellFolder(row.folderNumber, out, outSize);
    if (out[0] != '\0')
        return;
    char folder[MAX_PATH];
    if (ReadRegistryString(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, row.valueName, folder,
                           sizeof(folder)) &&
        folder[0] != '\0') {
        CopyText(out, outSize, folder);
        return;
    }
    char windowsFolder[MAX_PATH];
    WindowsFolder(windowsFolder, sizeof(windowsFolder));
    if (windowsFolder[0] != '\0')
        DefaultShellFolder(row.token, windowsFolder, out, outSize);
}
} // namespace

void SetShortcutsForAllUsers(bool allUsers) {
    shortcutsForAllUsers = allUsers;
}

bool ShortcutsGoToAllUsers() {
    return shortcutsForAllUsers;
}

PathMacros::PathMacros(const char* destFolder) {
    destPath[0] = '\0';
    AcquireShellFolderBinding();
    // destPath is still empty here, so a destination that uses DEST_PATH gets nothing for it.
    char expanded[MAX_PATH];
    Expand(destFolder, expanded, sizeof(expanded));
    CopyText(destPath, sizeof(destPath), expanded);
}

PathMacros::~PathMacros() {
    ReleaseShellFolderBinding();
}

void PathMacros::Expand(const char* source, char* out, size_t outSize) const {
    ExpandFirstMacro(source, out, outSize, ResolveThroughObject, this);
}

void PathMacros::ResolveToken(const char* name, char* out, size_t outSize) const {
    if (!out || outSize == 0)
        return;
    out[0] = '\0';
    MacroToken token = FindMacroToken(name);
    switch (token) {
    case TOKEN_DEST_PATH:
        CopyText(out, outSize, destPath);
        return;
    case TOKEN_WINDOWS:
        WindowsFolder(out, outSize);
        return;
    case TOKEN_SYSTEM:
        SystemFolder(out, outSize);
        return;
    case TOKEN_PROGRAM_FILES:
        CopyText(out, outSize, ProgramFilesFolder());
        return;
    default:
        break;
    }
    if (const ShellFolderRow* row = FindShellFolderRow(token))
        ResolveShellFolder(*row, out, outSize);
}
