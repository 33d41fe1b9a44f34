#include "system/shared_count.h"

#include <string.h>

#include "system/registry.h"
#include "system/shared_count_hook.h"
#include "system/system_libraries.h"
#include "system/text.h"
#include "system/win_handles.h"

const char SHARED_DLLS_KEY_PATH[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

bool IsSharedTarget(const char* destFolder, const char* path) {
    size_t length = strlen(destFolder);
    if (length == 0 || !StartsWithNoCase(path, destFolder))
        return true;
    // A folder such as C:\ already ends in the separator.
    bool endsInSeparator = FindLastChar(destFolder, '\\') == destFolder + length - 1;
    return !endsInSeparator && path[length] != '\\';
}

namespace {
UINT AskWow64SystemFolder(char* folder, UINT size) {
    const Kernel32Functions& kernel = Kernel32();
    BOOL wow64 = FALSE;
    if (!kernel.IsWow64Process || !kernel.GetSystemWow64DirectoryA ||
        !kernel.IsWow64Process(GetCurrentProcess(), &wow64) || !wow64)
        return 0;
    UINT length = kernel.GetSystemWow64DirectoryA(folder, size);
    return length < size ? length : 0;
}

// path with the folder from replaced by to; false when path does not lie inside from.
bool Respell(const char* path, bool toWow64, char* out, size_t size) {
    char system[MAX_PATH];
    char wow64[MAX_PATH];
    UINT systemLength = GetSystemDirectoryA(system, sizeof(system));
    if (systemLength == 0 || systemLength >= sizeof(system) ||
        wow64SystemFolder(wow64, sizeof(wow64)) == 0)
        return false;
    const char* from = toWow64 ? system : wow64;
    size_t length = strlen(from);
    if (!StartsWithNoCase(path, from) || path[length] != '\\')
        return false;
    const char* to = toWow64 ? wow64 : system;
    return FormatText(out, size, "%s%s", to, path + length) == strlen(to) + strlen(path + length);
}

SharedCountState ReadCountValue(const char* name, DWORD* count) {
    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY_PATH, 0, KEY_READ, key.Receive()) !=
        ERROR_SUCCESS)
        return COUNT_ABSENT;
    DWORD type = 0;
    DWORD size = sizeof(*count);
    LONG status =
        RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(count), &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return COUNT_ABSENT;
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(*count)
               ? COUNT_READ
               : COUNT_UNREADABLE;
}
} // namespace

UINT (*wow64SystemFolder)(char* folder, UINT size) = AskWow64SystemFolder;

bool CountsAsShared(const char* destFolder, const char* path) {
    DWORD count = 0;
    return IsSharedTarget(destFolder, path) || ReadSharedCountState(path, &count) != COUNT_ABSENT;
}

void CountedPath(const char* path, char* out, size_t size) {
    if (!Respell(path, true, out, size))
        CopyText(out, size, path);
}

bool LoggedSpelling(const char* name, char* out, size_t size) {
    return Respell(name, false, out, size);
}

SharedCountState ReadSharedCountState(const char* path, DWORD* count) {
    char counted[MAX_PATH];
    CountedPath(path, counted, sizeof(counted));
    SharedCountState state = ReadCountValue(counted, count);
    if (state == COUNT_ABSENT && strcmp(counted, path) != 0)
        state = ReadCountValue(path, count);
    return state;
}

bool ReadSharedCount(const char* path, DWORD* count) {
    return ReadSharedCountState(path, count) == COUNT_READ;
}

void ForEachSharedCount(void (*visit)(const char* path, DWORD count, void* context),
                        void* context) {
    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY_PATH, 0, KEY_READ, key.Receive()) !=
        ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        // A longer name is no path an install logs.
        char name[MAX_PATH];
        DWORD nameSize = sizeof(name);
        DWORD type = 0;
        DWORD count = 0;
        DWORD size = sizeof(count);
        LONG status = RegEnumValueA(key.Get(), index, name, &nameSize, nullptr, &type,
                                    reinterpret_cast<BYTE*>(&count), &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(count))
            visit(name, count, context);
    }
}

// A count an earlier build kept under the system folder's spelling moves to the counted name.
void WriteSharedCount(const char* path, DWORD count) {
    char counted[MAX_PATH];
    CountedPath(path, counted, sizeof(counted));
    if (WriteRegistryNumber(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY_PATH, counted, count) &&
        strcmp(counted, path) != 0)
        RemoveRegistryValue(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY_PATH, path);
}

void RemoveSharedCount(const char* path) {
    char counted[MAX_PATH];
    CountedPath(path, counted, sizeof(counted));
    RemoveRegistryValue(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY_PATH, counted);
    RemoveRegistryValue(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY_PATH, path);
}

void CountSharedFile(const char* path) {
    DWORD count = 0;
    if (!ReadSharedCount(path, &count) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        count = 1;
    if (count < 0xFFFFFFFF)
        ++count;
    WriteSharedCount(path, count);
}

void SeedSharedCount(const char* path) {
    DWORD count = 0;
    if (!ReadSharedCount(path, &count) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        WriteSharedCount(path, 1);
}
