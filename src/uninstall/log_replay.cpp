#include "uninstall/log_replay.h"

#include <string.h>

#include "log/log_format.h"
#include "system/external_programs.h"
#include "system/registry.h"
#include "system/serving_wait.h"
#include "system/staging_path.h"
#include "system/text.h"

const char REPLAY_STAGE_SERVICES[] = "Unregisterring services...";
const char REPLAY_STAGE_FILES[] = "Deleting Files...";
const char REPLAY_STAGE_FOLDERS[] = "Deleting Folder...";
const char REPLAY_STAGE_FINISHING[] = "Finishing...";

void PauseFor(DWORD ms) {
    if (ms > 0)
        WaitServingMessages(nullptr, ms);
}

static bool PathExists(const char* path) {
    return path[0] != '\0' && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// True when folder lies above path: the product's parent folders that the run made hold the log
// until the finishing step deletes it.
static bool HoldsPath(const char* folder, const char* path) {
    size_t length = strlen(folder);
    return length > 0 && StartsWithNoCase(path, folder) && path[length] == '\\';
}

void UndoEntry(LogEntry* entry, UninstallLog* log, DWORD pauseMs, PauseFn pause) {
    int32_t kind = entry->kind;
    entry->kind = LOG_NONE;
    if (kind == LOG_STOP_ACTIVESYNC) {
        // Only the first of several such entries finds ActiveSync believed running.
        if (activeSyncRunning == 1)
            ControlActiveSync(nullptr, false, true);
        return;
    }
    if (kind != LOG_REGSVR32 && kind != LOG_FILE_COPY && kind != LOG_SHELL_LINK &&
        kind != LOG_MADE_DIR)
        return;
    // A registration deferred to the next start of Windows would bring the file back.
    if (kind == LOG_REGSVR32)
        CancelDeferredRegistration(entry->path);
    if (!PathExists(entry->path))
        return;
    switch (kind) {
    case LOG_REGSVR32:
        RunRegSvr32(nullptr, entry->path, false);
        break;
    case LOG_FILE_COPY:
    case LOG_SHELL_LINK:
        if (!DeleteFileA(entry->path))
            log->deleteFailed = true;
        break;
    case LOG_MADE_DIR:
        // Fails while the folder still holds something; it then stays.
        if (!RemoveDirectoryA(entry->path) && HoldsPath(entry->path, log->sourceFolder))
            entry->kind = LOG_HELD_FOLDER;
        break;
    default:
        break;
    }
    if (pause)
        pause(pauseMs);
}

static void RunStage(ReplayProgress* progress, UninstallLog* log, const char* label, int32_t kindA,
                     int32_t kindB, const ReplayPauses& pauses) {
    progress->ShowStage(label);
    for (int32_t index = log->EntryCount() - 1; index >= 0; --index) {
        LogEntry* entry = log->Entry(index);
        if (entry->kind != kindA && entry->kind != kindB)
            continue;
        UndoEntry(entry, log, pauses.entryMs, pauses.pause);
        progress->Step();
    }
}

void ReplayLog(ReplayProgress* progress, UninstallLog* log, const ReplayPauses& pauses) {
    RunStage(progress, log, REPLAY_STAGE_SERVICES, LOG_STOP_ACTIVESYNC, LOG_REGSVR32, pauses);
    RunStage(progress, log, REPLAY_STAGE_FILES, LOG_FILE_COPY, LOG_SHELL_LINK, pauses);
    // "Made Dir:" lines are written outermost first, so walking backwards empties inner
    // folders before their parents.
    RunStage(progress, log, REPLAY_STAGE_FOLDERS, LOG_MADE_DIR, LOG_MADE_DIR, pauses);
    progress->ShowStage(REPLAY_STAGE_FINISHING);
    FinishUninstall(log, pauses.finishMs, pauses.pause);
}

void FinishUninstall(UninstallLog* log, DWORD pauseMs, PauseFn pause) {
    if (log->logPath[0] != '\0')
        DeleteFileA(log->logPath);
    // An empty key name would make RegDeleteKeyA delete the parent key itself.
    if (log->title[0] != '\0')
        DeleteRegistryKey(HKEY_LOCAL_MACHINE, UNINSTALL_KEY_PARENT, log->title);
    if (pause)
        pause(pauseMs);
    if (log->sourceFolder[0] == '\0' ||
        (!RemoveDirectoryA(log->sourceFolder) &&
         GetFileAttributesA(log->sourceFolder) != INVALID_FILE_ATTRIBUTES))
        return;
    // Inner folders were logged after their parents.
    for (int32_t index = log->EntryCount() - 1; index >= 0; --index) {
        LogEntry* entry = log->Entry(index);
        if (entry->kind != LOG_HELD_FOLDER)
            continue;
        entry->kind = LOG_NONE;
        RemoveDirectoryA(entry->path);
    }
}
