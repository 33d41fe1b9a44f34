#include "app/earlier_installation.h"

#include <string.h>

#include "app/mode_dispatch.h"
#include "app/uninstall_entry.h"
#include "log/log_format.h"
#include "script/setup_script.h"
#include "system/exit_codes.h"
#include "system/macro_expansion.h"
#include "system/message_box.h"
#include "system/module.h"
#include "system/registry.h"
#include "system/run_record.h"
#include "system/text.h"
#include "system/win_handles.h"
#include "uninstall/uninstall_driver.h"
#include "uninstall/uninstall_log.h"

namespace {
// The removal drops the log and the entry even when a file stays: one that is open now would be
// left with nothing to remove it. A file that opens without sharing is held by no other program;
// opening it for writing also meets a running program's own file.
bool LoggedFileInUse(const char* logPath) {
    UninstallLog log;
    ReadUninstallLog(logPath, &log);
    for (int32_t index = 0; index < log.EntryCount(); ++index) {
        const LogEntry* entry = log.Entry(index);
        if (entry->kind != LOG_FILE_COPY && entry->kind != LOG_SHELL_LINK)
            continue;
        FileHandle file(CreateFileA(entry->path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && GetLastError() == ERROR_SHARING_VIOLATION)
            return true;
    }
    return false;
}
} // namespace

const char SHORTCUTS_VALUE[] = "ShortcutsForAllUsers";

bool FolderOf(const char* path, char* folder, size_t size) {
    const char* slash = FindLastChar(path, '\\');
    if (!slash || slash == path)
        return false;
    size_t length = static_cast<size_t>(slash - path);
    // "C:" alone would name the drive's current folder, not its root.
    if (length == 2 && path[1] == ':')
        ++length;
    if (length >= size)
        return false;
    CopyTextN(folder, size, path, length);
    return true;
}

bool FindEarlierInstallation(const char* productTitle, EarlierInstallation* earlier) {
    // An empty title would name the Uninstall key itself.
    if (!productTitle || productTitle[0] == '\0')
        return false;
    char key[MAX_PATH];
    FormUninstallKey(productTitle, key, sizeof(key));
    char command[2 * MAX_PATH + 16];
    if (!ReadRegistryString(HKEY_LOCAL_MACHINE, key, "UninstallString", command, sizeof(command)))
        return false;
    const char* log = UninstallLogOf(command);
    if (!log || strlen(log) >= sizeof(earlier->logPath) ||
        !FolderOf(log, earlier->folder, sizeof(earlier->folder)))
        return false;
    CopyText(earlier->logPath, sizeof(earlier->logPath), log);
    DWORD allUsers = 0;
    earlier->shortcutsForAllUsers =
        ReadRegistryNumber(HKEY_LOCAL_MACHINE, key, SHORTCUTS_VALUE, &allUsers) && allUsers != 0;
    DWORD attributes = GetFileAttributesA(log);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void FollowEarlierInstallation(SetupScript* script, const EarlierInstallation& earlier) {
    if (script->destGiven)
        return;
    // Without a resolver every %...% pair expands to nothing: a folder that comes through
    // unchanged holds no text the run's own expansion would take for a macro.
    char expanded[MAX_PATH];
    ExpandFirstMacro(earlier.folder, expanded, sizeof(expanded), nullptr, nullptr);
    if (strcmp(expanded, earlier.folder) == 0)
        CopyText(script->destFolder, sizeof(script->destFolder), earlier.folder);
}

bool RemoveEarlierInstallation(const EarlierInstallation& earlier) {
    // Reading the log names its product in the captions, and forgets it at the end.
    const char* caption = captionTitle;
    bool removed = !LoggedFileInUse(earlier.logPath) &&
                   RunUninstall(moduleInstance, earlier.logPath, true, false) == EXIT_COMPLETE;
    captionTitle = caption;
    if (!removed)
        return false;
    WriteRunRecord("Removed the earlier installation in ", earlier.folder);
    return true;
}
