#pragma once
#include <windows.h>

// The key below HKEY_LOCAL_MACHINE that holds one key per installed program, named by its title.
extern const char UNINSTALL_KEY_PARENT[];
// The key below HKEY_LOCAL_MACHINE whose values Windows runs once at its next start.
extern const char RUN_ONCE_KEY_PATH[];

// valueName null reads the key's default value. Fails when the value does not fit in size - 1.
bool ReadRegistryString(HKEY root, const char* subKey, const char* valueName, char* buffer,
                        DWORD size);
// False unless the value is there as a REG_DWORD.
bool ReadRegistryNumber(HKEY root, const char* subKey, const char* valueName, DWORD* number);
// True when the value was set (the key is created when missing).
bool WriteRegistryString(HKEY root, const char* subKey, const char* valueName, const char* text);
// The same for a REG_DWORD value.
bool WriteRegistryNumber(HKEY root, const char* subKey, const char* valueName, DWORD number);
// Deletes the value when the key and the value are there.
void RemoveRegistryValue(HKEY root, const char* subKey, const char* valueName);
// True when the parent could be opened; the deletion's own outcome is not reported.
bool DeleteRegistryKey(HKEY root, const char* parentPath, const char* keyName);
