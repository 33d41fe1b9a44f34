#include "system/registry.h"

#include <string.h>

#include "system/registry_hook.h"
#include "system/win_handles.h"

LONG(WINAPI* setRegistryValue)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) = RegSetValueExA;

const char UNINSTALL_KEY_PARENT[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char RUN_ONCE_KEY_PATH[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

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

bool ReadRegistryNumber(HKEY root, const char* subKey, const char* valueName, DWORD* number) {
    RegKey key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = sizeof(*number);
    return RegQueryValueExA(key.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(number),
                            &size) == ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof(*number);
}

namespace {
bool WriteRegistryValue(HKEY root, const char* subKey, const char* valueName, DWORD type,
                        const void* data, DWORD size) {
    RegKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        key.Receive(), &disposition) != ERROR_SUCCESS)
        return false;
    return setRegistryValue(key.Get(), valueName, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}
} // namespace

bool WriteRegistryString(HKEY root, const char* subKey, const char* valueName, const char* text) {
    return text && WriteRegistryValue(root, subKey, valueName, REG_SZ, text,
                                      static_cast<DWORD>(strlen(text) + 1));
}

bool WriteRegistryNumber(HKEY root, const char* subKey, const char* valueName, DWORD number) {
    return WriteRegistryValue(root, subKey, valueName, REG_DWORD, &number, sizeof(number));
}

void RemoveRegistryValue(HKEY root, const char* subKey, const char* valueName) {
    RegKey key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_SET_VALUE, key.Receive()) == ERROR_SUCCESS)
        RegDeleteValueA(key.Get(), valueName);
}

bool DeleteRegistryKey(HKEY root, const char* parentPath, const char* keyName) {
    RegKey parent;
    if (RegOpenKeyExA(root, parentPath, 0, KEY_ALL_ACCESS, parent.Receive()) != ERROR_SUCCESS)
        return false;
    RegDeleteKeyA(parent.Get(), keyName);
    return true;
}
