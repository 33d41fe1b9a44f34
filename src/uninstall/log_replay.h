#pragma once
#include <windows.h>

#include "uninstall/uninstall_log.h"

// What the replay shows while it runs: the uninstall progress window, or a test's recorder.
class ReplayProgress {
  public:
    virtual ~ReplayProgress() = default;
    virtual void ShowStage(const char* label) = 0;
    // One entry of the current stage was handled.
    virtual void Step() = 0;
};

extern const char REPLAY_STAGE_SERVICES[];  // "Unregisterring services..."
extern const char REPLAY_STAGE_FILES[];     // "Deleting Files..."
extern const char REPLAY_STAGE_FOLDERS[];   // "Deleting Folder..."
extern const char REPLAY_STAGE_FINISHING[]; // "Finishing..."

const DWORD UNDO_PAUSE_MS = 200;
const DWORD FINISH_PAUSE_MS = 1000;

using PauseFn = void (*)(DWORD ms);
// Waits for ms milliseconds, serving the thread's windows meanwhile.
void PauseFor(DWORD ms);

struct ReplayPauses {
    DWORD entryMs = UNDO_PAUSE_MS;
    DWORD finishMs = FINISH_PAUSE_MS;
    PauseFn pause = PauseFor;
};

// Services, then files and links, then folders, each stage newest entry first; then the
// finishing step.
void ReplayLog(ReplayProgress* progress, UninstallLog* log,
               const ReplayPauses& pauses = ReplayPauses());
// Works out, for each shared file the log copied and that has a count, what the count will be
// after this removal. ReplayLog does this first; a file still counted then stays, registered.
void PlanSharedCounts(UninstallLog* log);
// Undoes one entry and marks it done (kind LOG_NONE). The pause follows only an entry whose path
// existed.
void UndoEntry(LogEntry* entry, UninstallLog* log, DWORD pauseMs, PauseFn pause = PauseFor);
// Removes the log file (and, once it is gone, sets the counts the replay planned), the product's
// uninstall key and the destination folder when it is empty; then the logged parent folders that
// held it, when they are empty too.
void FinishUninstall(UninstallLog* log, DWORD pauseMs = FINISH_PAUSE_MS, PauseFn pause = PauseFor);
// Names in the run record the destination folder and the logged folders holding it that stay
// after FinishUninstall for a file that could not be deleted; the replay names those files and
// the other folders that stay for them.
void RecordFoldersLeft(const UninstallLog* log);
