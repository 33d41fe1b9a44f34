#include "system/registry.h"

#include <string.h>

#include "system/win_handles.h"

const char UNINSTALL_KEY_PARENT[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool ReadRegistryString(HKEY root, const char* subKey, const char* valueName, char* buffer,
                        DWORD size) {
    if (!buffer || size == 0)
        return false;
    RegKey key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return false;
    DWORD length = size - 1;
    if (RegQueryValueExA(key.Get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                         &length) != ERROR_SUCCESS)
        return false;
    buffer[length < size ? length : size - 1] = '\0';
    return true;
}

bool WriteRegistryString(HKEY root, const char* subKey, const char* valueName, const char* text) {
    if (!text)
        return false;
    RegKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        key.Receive(), &disposition) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.Get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(strlen(text) + 1)) == ERROR_SUCCESS;
}

bool DeleteRegistryKey(HKEY root, const char* parentPath, const char* keyName) {
    RegKey parent;
    if (RegOpenKeyExA(root, parentPath, 0, KEY_ALL_ACCESS, parent.Receive()) != ERROR_SUCCESS)
        return false;
    RegDeleteKeyA(parent.Get(), keyName);
    return true;
}
