#include "uninstall/log_trust.h"

#include <string.h>
#include <windows.h>

#include "log/log_format.h"
#include "system/message_box.h"
#include "system/registry.h"
#include "system/text.h"
#include "system/win_handles.h"
#include "uninstall/uninstall_log.h"

const char LOG_DIGEST_VALUE[] = "LogDigest";
const char LOG_DIGEST_PENDING[] = "pending";

const char* UninstallLogOf(const char* command) {
    // The keyword stands behind the program's path and a blank.
    const char* keyword = command ? FindText(command, UNINSTALL_KEYWORD) : nullptr;
    while (keyword && (keyword == command || keyword[-1] != ' '))
        keyword = FindText(keyword + 1, UNINSTALL_KEYWORD);
    if (!keyword || keyword[strlen(UNINSTALL_KEYWORD)] == '\0')
        return nullptr;
    return keyword + strlen(UNINSTALL_KEYWORD);
}

bool FindEntryOfLog(const char* logPath, char* keyName, size_t size) {
    RegKey parent;
    if (!logPath || RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY_PARENT, 0, KEY_READ,
                                  parent.Receive()) != ERROR_SUCCESS)
        return false;
    char name[128];
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof(name);
        LONG status =
            RegEnumKeyExA(parent.Get(), index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return false;
        if (status != ERROR_SUCCESS)
            continue;
        char key[MAX_PATH];
        FormatText(key, sizeof(key), "%s\\%s", UNINSTALL_KEY_PARENT, name);
        static const char* const commands[] = {"UninstallString", "QuietUninstallString"};
        for (const char* value : commands) {
            char command[2 * MAX_PATH + 16];
            const char* named =
                ReadRegistryString(HKEY_LOCAL_MACHINE, key, value, command, sizeof(command))
                    ? UninstallLogOf(command)
                    : nullptr;
            if (named && lstrcmpiA(named, logPath) == 0)
                return CopyText(keyName, size, name) == strlen(name);
        }
    }
}

bool ReadTrustedUninstallLog(const char* logPath, UninstallLog* log, HANDLE file) {
    char key[128];
    char digest[80] = "";
    bool found = FindEntryOfLog(logPath, key, sizeof(key));
    // Windows 95/98/Me keep no rights: whoever reaches the log reaches everything else as well.
    if (found && GetVersion() < 0x80000000u) {
        char entry[MAX_PATH];
        FormatText(entry, sizeof(entry), "%s\\%s", UNINSTALL_KEY_PARENT, key);
        if (!ReadRegistryString(HKEY_LOCAL_MACHINE, entry, LOG_DIGEST_VALUE, digest,
                                sizeof(digest)) ||
            strcmp(digest, LOG_DIGEST_PENDING) == 0)
            digest[0] = '\0';
    }
    ReadUninstallLog(logPath, log, digest, file);
    if (found && !log->changed)
        CopyText(log->entryKey, sizeof(log->entryKey), key);
    return !log->changed;
}

bool InstallLogUnchanged(const char* logPath, UninstallLog* log, HANDLE file) {
    // Reading a log names its product in the captions: the caller's stay.
    const char* caption = captionTitle;
    bool unchanged = ReadTrustedUninstallLog(logPath, log, file);
    captionTitle = caption;
    return unchanged;
}
