#include "package/unpack_folder.h"

#include <string.h>

#include "system/system_libraries.h"
#include "system/text.h"

namespace {
// The ANSI form of a path, when every character has one: a best-fit look-alike would name
// another folder, a '?' none.
bool AnsiPath(const WCHAR* path, char* out, size_t size) {
    BOOL lossy = FALSE;
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, out, static_cast<int>(size),
                               nullptr, &lossy) > 0 &&
           !lossy;
}
} // namespace

bool UnpackParent(bool administrator, char* out, size_t size) {
    const Kernel32Functions& kernel = Kernel32();
    if (!administrator) {
        WCHAR wide[MAX_PATH], shortWide[MAX_PATH];
        // Windows 95, 98 and Me have only the ANSI path.
        DWORD length = kernel.GetTempPathW ? kernel.GetTempPathW(MAX_PATH, wide) : 0;
        if (length == 0 || length >= MAX_PATH) {
            length = GetTempPathA(static_cast<DWORD>(size), out);
            return length && length < size;
        }
        if (AnsiPath(wide, out, size))
            return true;
        length = kernel.GetShortPathNameW ? kernel.GetShortPathNameW(wide, shortWide, MAX_PATH) : 0;
        if (length && length < MAX_PATH && AnsiPath(shortWide, out, size))
            return true;
    }
    // Windows 2000 and later: the real Windows folder, not a Terminal Server user's own.
    UINT(WINAPI * windowsFolder)(LPSTR, UINT) = kernel.GetSystemWindowsDirectoryA;
    if (!windowsFolder)
        windowsFolder = GetWindowsDirectoryA;
    char windows[MAX_PATH];
    UINT length = windowsFolder(windows, sizeof(windows));
    if (length == 0 || length >= sizeof(windows))
        return false;
    // The folder's name as the disk holds it: where names are told apart by letter case (Wine's
    // Unix folders) a name in another case is found only by a search of the Windows folder, for
    // every file the package and then its installer open under it.
    WIN32_FIND_DATAA found;
    FormatText(out, size, "%s\\Temp", windows);
    HANDLE search = FindFirstFileA(out, &found);
    const char* name = "Temp";
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        if (EqualNoCase(found.cFileName, name))
            name = found.cFileName;
    }
    return FormatText(out, size, "%s\\%s\\", windows, name) < size - 1;
}

// Built as data, not through the security functions: nothing to bind, allocate or free. SIDs and
// the access mask little-endian, as Windows keeps them.
alignas(4) const BYTE UNPACK_FOLDER_DESCRIPTOR[72] = {
    SECURITY_DESCRIPTOR_REVISION, 0,
    // SE_DACL_PRESENT | SE_DACL_PROTECTED | SE_SELF_RELATIVE; no owner, group or system list.
    0x04, 0x90, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0, // the access list's offset
    ACL_REVISION, 0, 52, 0, 2, 0, 0, 0,
    // Allowed, inherited by files and folders, FILE_ALL_ACCESS: Administrators, S-1-5-32-544.
    ACCESS_ALLOWED_ACE_TYPE, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, 24, 0, 0xFF, 0x01, 0x1F, 0,
    SID_REVISION, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0,
    // The same for SYSTEM, S-1-5-18.
    ACCESS_ALLOWED_ACE_TYPE, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, 20, 0, 0xFF, 0x01, 0x1F, 0,
    SID_REVISION, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

HANDLE CreateHeldFolder(const char* path) {
    FunctionsUse<NtdllFunctions> ntdll(&ntdllTable);
    // CreateDirectory gives no handle. A drive path's NT path is the path behind "\\??\\".
    WCHAR name[4 + MAX_PATH];
    memcpy(name, L"\\??\\", 4 * sizeof(WCHAR));
    int length = MultiByteToWideChar(CP_ACP, 0, path, -1, name + 4, MAX_PATH);
    UNICODE_STRING unicode = {static_cast<USHORT>((length + 3) * sizeof(WCHAR)),
                              static_cast<USHORT>((length + 4) * sizeof(WCHAR)), name};
    OBJECT_ATTRIBUTES attributes = {sizeof(attributes),
                                    nullptr,
                                    &unicode,
                                    OBJ_CASE_INSENSITIVE,
                                    const_cast<BYTE*>(UNPACK_FOLDER_DESCRIPTOR),
                                    nullptr};
    IO_STATUS_BLOCK io;
    HANDLE folder;
    NTSTATUS status = ntdll && length > 1
                          ? ntdll->NtCreateFile(&folder, GENERIC_READ | SYNCHRONIZE, &attributes,
                                                &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE,
                                                FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT |
                                                    FILE_OPEN_FOR_BACKUP_INTENT,
                                                nullptr, 0)
                          : -1;
    if (status >= 0)
        return folder;
    const NTSTATUS nameTaken = static_cast<NTSTATUS>(0xC0000035);
    SetLastError(status == nameTaken ? ERROR_ALREADY_EXISTS : ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}

bool RunsAsAdministrator() {
    FunctionsUse<MembershipFunctions> membership(&membershipTable);
    BOOL member = FALSE;
    // The Administrators SID of the descriptor's first entry.
    return membership &&
           membership->CheckTokenMembership(
               nullptr, const_cast<BYTE*>(UNPACK_FOLDER_DESCRIPTOR + 36), &member) &&
           member;
}
