#pragma once
#include <windows.h>

// The key below HKEY_LOCAL_MACHINE that holds one key per installed program, named by its title.
extern const char UNINSTALL_KEY_PARENT[];

// valueName null reads the key's default value. Fails when the value does not fit in size - 1.
bool ReadRegistryString(HKEY root, const char* subKey, const char* valueName, char* buffer,
                        DWORD size);
// True when the value was set (the key is created when missing).
bool WriteRegistryString(HKEY root, const char* subKey, const char* valueName, const char* text);
// True when the parent could be opened; the deletion's own outcome is not reported.
bool DeleteRegistryKey(HKEY root, const char* parentPath, const char* keyName);
