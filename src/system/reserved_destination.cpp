#include "system/reserved_destination.h"

#include <string.h>
#include <windows.h>

#include "system/registry.h"
#include "system/system_libraries.h"
#include "system/text.h"

namespace {
// Full, in one spelling of each name where the folder exists, without a closing backslash ("C:\"
// gives "C:"). The short (8.3) form serves as well as the long one, and Windows 95 has it.
bool Normalise(const char* path, char* out, DWORD size) {
    char* filePart = nullptr;
    DWORD length = GetFullPathNameA(path, size, out, &filePart);
    if (length == 0 || length >= size)
        return false;
    char shortForm[MAX_PATH];
    length = GetShortPathNameA(out, shortForm, sizeof(shortForm));
    if (length > 0 && length < sizeof(shortForm) && length < size)
        CopyText(out, size, shortForm);
    length = static_cast<DWORD>(strlen(out));
    while (length > 0 && FindLastChar(out, '\\') == out + length - 1)
        out[--length] = '\0';
    return length > 0;
}

bool IsRoot(const char* folder) {
    if (folder[1] == ':' && folder[2] == '\0')
        return true;
    if (folder[0] != '\\' || folder[1] != '\\')
        return false;
    // "\\server\share": one backslash after the server's name, none after the share's.
    const char* share = FindChar(folder + 2, '\\');
    return share && share[1] != '\0' && !FindChar(share + 1, '\\');
}

bool Matches(const char* normalised, const char* folder) {
    char other[MAX_PATH];
    return folder[0] != '\0' && Normalise(folder, other, sizeof(other)) &&
           lstrcmpiA(normalised, other) == 0;
}
} // namespace

bool IsReservedDestination(const char* folder) {
    if (!folder || folder[0] == '\0')
        return false;
    // "C:" alone would otherwise name the drive's current folder.
    char normalised[MAX_PATH];
    if ((folder[1] == ':' && folder[2] == '\0') ||
        !Normalise(folder, normalised, sizeof(normalised)) || IsRoot(normalised))
        return true;
    char known[MAX_PATH];
    UINT(WINAPI* const folderQueries[])(LPSTR, UINT) = {GetWindowsDirectoryA, GetSystemDirectoryA};
    for (auto query : folderQueries) {
        UINT length = query(known, sizeof(known));
        if (length > 0 && length < sizeof(known) && Matches(normalised, known))
            return true;
    }
    if (Kernel32().GetSystemWow64DirectoryA) {
        UINT length = Kernel32().GetSystemWow64DirectoryA(known, sizeof(known));
        if (length > 0 && length < sizeof(known) && Matches(normalised, known))
            return true;
    }
    static const char* const registryNames[] = {"ProgramFilesDir", "CommonFilesDir"};
    for (const char* name : registryNames) {
        if (ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                               name, known, sizeof(known)) &&
            Matches(normalised, known))
            return true;
    }
    // The 64-bit view's folders reach a 32-bit program only through these.
    static const char* const environmentNames[] = {"ProgramFiles", "CommonProgramFiles",
                                                   "ProgramW6432", "CommonProgramW6432"};
    for (const char* name : environmentNames) {
        DWORD length = GetEnvironmentVariableA(name, known, sizeof(known));
        if (length > 0 && length < sizeof(known) && Matches(normalised, known))
            return true;
    }
    return false;
}
