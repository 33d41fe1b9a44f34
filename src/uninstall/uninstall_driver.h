#pragma once
#include <windows.h>

#include "uninstall/log_replay.h"

// What an uninstall run calls on the outside world, so that tests can stand in for it.
struct UninstallOptions {
    ReplayPauses pauses;
    void (*restartComputer)(UINT flags);
    // No question and no window; exit code 1603 when it cannot start, 3010 when a file stays.
    bool silent;
    // /NORESTART: a file that stays is not followed by the restart question; the exit code is
    // 3010 then, so that the caller knows to restart.
    bool noRestart;
    // /LANG's tag, empty when not given; null keeps the run's language (a removal inside an
    // install).
    const char* language;
};
UninstallOptions DefaultUninstallOptions();

// The uninstall mode of the executable; returns the process exit code. silent: no question, no
// window, and the exit codes of a silent run. noRestart: never a restart, nor the question.
int RunUninstall(HINSTANCE instance, const char* argument, bool silent, bool noRestart,
                 const char* language = nullptr);

// RunUninstall with its pauses and restart taken from options. instance supplies the progress
// window and its icons.
int RunUninstallWith(HINSTANCE instance, const char* argument, const UninstallOptions& options);
