#include "app/earlier_installation.h"

#include <string.h>

#include "app/mode_dispatch.h"
#include "app/uninstall_entry.h"
#include "log/log_format.h"
#include "script/setup_script.h"
#include "system/external_programs.h"
#include "system/macro_expansion.h"
#include "system/message_box.h"
#include "system/registry.h"
#include "system/run_record.h"
#include "system/text.h"
#include "system/shared_count.h"
#include "uninstall/log_replay.h"
#include "uninstall/uninstall_log.h"

namespace {
class NoProgress : public ReplayProgress {
  public:
    void ShowStage(const char*) override {}
    void Step() override {}
};

bool LogNames(const UninstallLog& log, const char* path) {
    for (int32_t index = 0; index < log.EntryCount(); ++index) {
        if (log.Entry(index)->path[0] != '\0' && EqualNoCase(log.Entry(index)->path, path))
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

bool RemoveLoggedInstallation(const char* logPath, const UninstallLog* kept, bool* unregistered) {
    const char* caption = captionTitle;
    UninstallLog log;
    ReadUninstallLog(logPath, &log);
    captionTitle = caption;
    // The uninstall entry now names the installation that stays.
    log.title[0] = '\0';
    for (int32_t index = 0; index < log.EntryCount(); ++index) {
        LogEntry* entry = log.Entry(index);
        // A shared file keeps its entry: the count this removal takes off still leaves the one
        // the new installation added.
        bool counted = (entry->kind == LOG_FILE_COPY || entry->kind == LOG_REGSVR32) &&
                       IsSharedTarget(log.sourceFolder, entry->path);
        if (kept && !counted && LogNames(*kept, entry->path))
            entry->kind = LOG_NONE;
        if (unregistered && entry->kind == LOG_REGSVR32)
            *unregistered = true;
    }
    NoProgress none;
    ReplayLog(&none, &log, ReplayPauses{0, 0, nullptr});
    RecordFoldersLeft(&log);
    return !log.deleteFailed;
}

bool RemoveEarlierInstallation(const EarlierInstallation& earlier, const char* newLogPath) {
    const char* caption = captionTitle;
    UninstallLog kept;
    ReadUninstallLog(newLogPath, &kept);
    captionTitle = caption;
    bool unregistered = false;
    bool whole = RemoveLoggedInstallation(earlier.logPath, &kept, &unregistered);
    WriteRunRecord("Removed the earlier installation in ", earlier.folder);
    // Unregistering the earlier copy of a server takes its classes away from the new copy too.
    for (int32_t index = 0; unregistered && index < kept.EntryCount(); ++index) {
        const LogEntry* entry = kept.Entry(index);
        if (entry->kind == LOG_REGSVR32 &&
            GetFileAttributesA(entry->path) != INVALID_FILE_ATTRIBUTES)
            RunRegSvr32(nullptr, entry->path, true);
    }
    return whole;
}
