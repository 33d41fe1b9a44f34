#include "system/shared_count.h"

#include <string.h>

#include "system/registry.h"
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

bool ReadSharedCount(const char* path, DWORD* count) {
    return ReadRegistryNumber(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY_PATH, path, count);
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

void WriteSharedCount(const char* path, DWORD count) {
    WriteRegistryNumber(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY_PATH, path, count);
}

void RemoveSharedCount(const char* path) {
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
