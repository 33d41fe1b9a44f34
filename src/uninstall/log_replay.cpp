#include "uninstall/log_replay.h"

#include <new>
#include <stdlib.h>
#include <string.h>

#include "log/log_format.h"
#include "system/external_programs.h"
#include "system/file_protection.h"
#include "system/registry.h"
#include "system/run_record.h"
#include "system/serving_wait.h"
#include "system/shared_count.h"
#include "system/staging_path.h"
#include "system/system_libraries.h"
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

// The log names folders that were there before the install too: only one that stays for a file
// the removal could not delete is named in the record.
static void RecordFolderLeft(const UninstallLog* log, const char* folder) {
    for (int32_t index = 0; log->deleteFailed && index < log->EntryCount(); ++index) {
        const LogEntry* entry = log->Entry(index);
        if (entry->kind == LOG_KEPT_FILE && HoldsPath(folder, entry->path)) {
            WriteRunRecord("Could not delete folder: ", folder);
            return;
        }
    }
}

// ASCII case only, as a log of a quarter million shared files is sorted in no time: a name the
// pass over the key misses in another case beyond ASCII is read by name, as the registry
// matches it.
static int ComparePlans(const void* a, const void* b) {
    return CompareNoCase(static_cast<const SharedCountPlan*>(a)->path,
                         static_cast<const SharedCountPlan*>(b)->path);
}

// The plans are sorted by path: a log of many thousand shared files is planned and replayed
// without a search through all of them per entry.
static SharedCountPlan* FindSharedCount(const UninstallLog* log, const char* path) {
    if (!log->sharedCounts)
        return nullptr;
    SharedCountPlan key = {path, 0, false, 0};
    return static_cast<SharedCountPlan*>(bsearch(&key, log->sharedCounts.get(),
                                                 log->sharedCountCount, sizeof(SharedCountPlan),
                                                 ComparePlans));
}

// A file that another product still counts stays, and so does its registration.
static bool StaysShared(const UninstallLog* log, const char* path) {
    const SharedCountPlan* plan = FindSharedCount(log, path);
    return plan && plan->remaining > 0;
}

// The server registered just before a "StopActiveSync:" entry: the item it was written for.
static const char* ServerBefore(const UninstallLog* log, const LogEntry* entry) {
    const LogEntry* first = log->entries.get();
    if (!first || entry < first || entry >= first + log->EntryCount())
        return nullptr;
    for (const LogEntry* earlier = entry - 1; earlier >= first; --earlier) {
        if (earlier->kind == LOG_REGSVR32)
            return earlier->path;
    }
    return nullptr;
}

static void SetRemaining(SharedCountPlan* plan, DWORD count) {
    plan->remaining = count > plan->copies ? count - plan->copies : 0;
    plan->settled = true;
}

// Marks the plan of a path that has a count. The SysWOW64 spelling, where the file really is,
// wins over the system folder's that earlier builds wrote.
static void TakeCount(const char* name, DWORD count, void* context) {
    UninstallLog* log = static_cast<UninstallLog*>(context);
    char logged[MAX_PATH];
    bool wow64 = LoggedSpelling(name, logged, sizeof(logged));
    SharedCountPlan* plan = FindSharedCount(log, wow64 ? logged : name);
    if (plan && (wow64 || !plan->settled))
        SetRemaining(plan, count);
}

void PlanSharedCounts(UninstallLog* log) {
    log->sharedCountCount = 0;
    log->sharedCounts.reset(new (std::nothrow) SharedCountPlan[log->EntryCount() + 1]);
    if (!log->sharedCounts)
        return;
    SharedCountPlan* plans = log->sharedCounts.get();
    int32_t count = 0;
    // A file in the product's folder is shared too when it has a count.
    for (int32_t index = 0; index < log->EntryCount(); ++index) {
        const LogEntry* entry = log->Entry(index);
        if (entry->kind == LOG_FILE_COPY)
            plans[count++] = SharedCountPlan{entry->path, 0, false, 1};
    }
    qsort(plans, count, sizeof(SharedCountPlan), ComparePlans);
    // One plan per path, holding the number of its copies.
    int32_t unique = 0;
    for (int32_t index = 0; index < count; ++index) {
        if (unique > 0 && ComparePlans(&plans[unique - 1], &plans[index]) == 0)
            ++plans[unique - 1].copies;
        else
            plans[unique++] = plans[index];
    }
    log->sharedCountCount = unique;
    // settled marks, for now, the paths that have a count. A file without one was logged before
    // counting began: it is removed as it always was. A shared target the one pass over the key
    // missed is asked for by name, as the registry matches it; a count that cannot be read keeps
    // the file, and is left as it is.
    ForEachSharedCount(TakeCount, log);
    int32_t kept = 0;
    for (int32_t index = 0; index < unique; ++index) {
        SharedCountPlan plan = plans[index];
        DWORD found = 0;
        SharedCountState state =
            plan.settled || !IsSharedTarget(log->sourceFolder, plan.path) || !PathExists(plan.path)
                ? COUNT_ABSENT
                : ReadSharedCountState(plan.path, &found);
        if (state == COUNT_READ)
            SetRemaining(&plan, found);
        if (state == COUNT_UNREADABLE)
            plans[kept++] = SharedCountPlan{plan.path, 1, true, plan.copies};
        else if (plan.settled)
            plans[kept++] = SharedCountPlan{plan.path, plan.remaining, false, plan.copies};
    }
    log->sharedCountCount = kept;
}

void UndoEntry(LogEntry* entry, UninstallLog* log, DWORD pauseMs, PauseFn pause) {
    int32_t kind = entry->kind;
    if (kind == LOG_STOP_ACTIVESYNC) {
        // Only the first of several such entries finds ActiveSync believed running.
        const char* server = ServerBefore(log, entry);
        entry->kind = LOG_NONE;
        if (activeSyncRunning == 1 && !(server && StaysShared(log, server)))
            ControlActiveSync(nullptr, false, true);
        return;
    }
    entry->kind = LOG_NONE;
    if (kind != LOG_REGSVR32 && kind != LOG_FILE_COPY && kind != LOG_SHELL_LINK &&
        kind != LOG_MADE_DIR)
        return;
    if ((kind == LOG_REGSVR32 || kind == LOG_FILE_COPY) && StaysShared(log, entry->path))
        return;
    // A registration deferred to the next start of Windows would bring the file back.
    if (kind == LOG_REGSVR32)
        CancelDeferredRegistration(entry->path);
    if (!PathExists(entry->path))
        return;
    // Windows' own files stay whatever their count (asked only of files that are there: the
    // question loads a library).
    if ((kind == LOG_REGSVR32 || kind == LOG_FILE_COPY) &&
        IsSharedTarget(log->sourceFolder, entry->path) && IsProtectedFile(entry->path))
        return;
    switch (kind) {
    case LOG_REGSVR32:
        RunRegSvr32(nullptr, entry->path, false);
        break;
    case LOG_FILE_COPY:
    case LOG_SHELL_LINK:
        if (!DeleteFileA(entry->path)) {
            log->deleteFailed = true;
            entry->kind = LOG_KEPT_FILE;
            WriteRunRecord("Could not delete file: ", entry->path);
        }
        break;
    case LOG_MADE_DIR:
        // Fails while the folder still holds something; it then stays.
        if (RemoveDirectoryA(entry->path))
            break;
        if (HoldsPath(entry->path, log->sourceFolder))
            entry->kind = LOG_HELD_FOLDER;
        else if (!EqualNoCase(entry->path, log->sourceFolder))
            RecordFolderLeft(log, entry->path);
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
    // The protection question of every shared file removed: one load of sfc.dll for the removal.
    SharedFileUse sharedFiles;
    PlanSharedCounts(log);
    RunStage(progress, log, REPLAY_STAGE_SERVICES, LOG_STOP_ACTIVESYNC, LOG_REGSVR32, pauses);
    RunStage(progress, log, REPLAY_STAGE_FILES, LOG_FILE_COPY, LOG_SHELL_LINK, pauses);
    // "Made Dir:" lines are written outermost first, so walking backwards empties inner
    // folders before their parents.
    RunStage(progress, log, REPLAY_STAGE_FOLDERS, LOG_MADE_DIR, LOG_MADE_DIR, pauses);
    progress->ShowStage(REPLAY_STAGE_FINISHING);
    FinishUninstall(log, pauses.finishMs, pauses.pause);
}

static void SettleSharedCounts(UninstallLog* log) {
    for (int32_t index = 0; index < log->sharedCountCount; ++index) {
        SharedCountPlan* plan = &log->sharedCounts[index];
        if (plan->settled)
            continue;
        plan->settled = true;
        if (plan->remaining > 0)
            WriteSharedCount(plan->path, plan->remaining);
        else
            RemoveSharedCount(plan->path);
    }
}

void FinishUninstall(UninstallLog* log, DWORD pauseMs, PauseFn pause) {
    if (log->logPath[0] != '\0')
        DeleteFileA(log->logPath);
    // While the log is there this removal can run again and would take its copies off twice.
    if (log->logPath[0] != '\0' && GetFileAttributesA(log->logPath) == INVALID_FILE_ATTRIBUTES)
        SettleSharedCounts(log);
    // An empty key name would make RegDeleteKeyA delete the parent key itself. The entry that
    // names the log is the log's own, whatever title the log holds.
    const char* entryKey = log->entryKey[0] != '\0' ? log->entryKey : log->title;
    if (entryKey[0] != '\0')
        DeleteRegistryKey(HKEY_LOCAL_MACHINE, UNINSTALL_KEY_PARENT, entryKey);
    if (pause)
        pause(pauseMs);
    if (log->sourceFolder[0] == '\0' ||
        (!RemoveDirectoryA(log->sourceFolder) &&
         GetFileAttributesA(log->sourceFolder) != INVALID_FILE_ATTRIBUTES))
        return;
    // Inner folders were logged after their parents.
    for (int32_t index = log->EntryCount() - 1; index >= 0; --index) {
        LogEntry* entry = log->Entry(index);
        if (entry->kind == LOG_HELD_FOLDER && RemoveDirectoryA(entry->path))
            entry->kind = LOG_NONE;
    }
}

void RecordFoldersLeft(const UninstallLog* log) {
    if (PathExists(log->sourceFolder))
        RecordFolderLeft(log, log->sourceFolder);
    for (int32_t index = log->EntryCount() - 1; index >= 0; --index) {
        const LogEntry* entry = log->Entry(index);
        if (entry->kind == LOG_HELD_FOLDER && PathExists(entry->path))
            RecordFolderLeft(log, entry->path);
    }
}
