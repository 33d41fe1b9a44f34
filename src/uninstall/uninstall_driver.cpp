#include "uninstall/uninstall_driver.h"

#include <new>

#include "resources/resource_ids.h"
#include "system/exit_codes.h"
#include "system/external_programs.h"
#include "system/language_choice.h"
#include "system/message_box.h"
#include "system/module.h"
#include "system/restart.h"
#include "system/run_lock.h"
#include "system/text.h"
#include "uninstall/log_replay.h"
#include "uninstall/log_trust.h"
#include "uninstall/uninstall_log.h"
#include "uninstall/uninstall_progress.h"

namespace {
const int EXIT_DONE = 0;
const int EXIT_DECLINED = 1;

// A silent removal that could not start has failed; the interactive one ends as after a removal.
int Refuse(UINT textId, bool silent) {
    ShowMessageId(nullptr, textId, IDS_UNINSTALLATION, MB_SYSTEMMODAL, IDOK, silent);
    return silent ? EXIT_FAILED : EXIT_DONE;
}

// A removal whose log was changed ends as one that could not start.
int RefuseChangedLog(const char* logPath, bool silent) {
    char format[256];
    LoadModuleString(IDS_LOG_CHANGED, format, sizeof(format));
    char text[1024];
    FormatText(text, sizeof(text), format, logPath);
    ShowMessage(nullptr, text, IDS_UNINSTALLATION, MB_SYSTEMMODAL, IDOK, silent);
    return silent ? EXIT_FAILED : EXIT_DONE;
}

bool Confirm(const UninstallLog& log) {
    char format[256];
    LoadModuleString(IDS_CONFIRM_UNINSTALL, format, sizeof(format));
    char text[1024];
    FormatText(text, sizeof(text), format, log.title);
    // Only an explicit Yes removes anything; a box that could not be shown counts as No.
    return ShowMessage(nullptr, text, IDS_UNINSTALLATION, MB_SYSTEMMODAL | MB_YESNO, IDNO, false) ==
           IDYES;
}

// Shows the replay in the progress window and serves it until the window asks to quit.
// False when the window could not be made.
bool ReplayUnderProgressWindow(UninstallProgressDialog* dialog) {
    if (!dialog || !dialog->Create())
        return false;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(dialog->hwnd, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return true;
}

// Used when there is no progress window.
class NoProgress : public ReplayProgress {
  public:
    void ShowStage(const char*) override {}
    void Step() override {}
};
} // namespace

UninstallOptions DefaultUninstallOptions() {
    UninstallOptions options;
    options.restartComputer = RestartComputer;
    options.silent = false;
    options.noRestart = false;
    options.language = nullptr;
    return options;
}

int RunUninstallWith(HINSTANCE instance, const char* argument, const UninstallOptions& options) {
    bool silent = options.silent;
    if (!argument || !argument[0] || GetFileAttributesA(argument) == INVALID_FILE_ATTRIBUTES)
        return Refuse(IDS_BAD_UNINSTALL_ARGUMENTS, silent);

    UninstallLog log;
    // The title the log holds is not trusted before its bytes are: no caption names it.
    if (!ReadTrustedUninstallLog(argument, &log)) {
        captionTitle = nullptr;
        return RefuseChangedLog(argument, silent);
    }
    // Undoing part of it and then removing the log and the uninstall entry would leave the rest
    // of the product with no means of removal: everything stays for a later try.
    if (log.incomplete)
        return Refuse(IDS_LOG_NOT_READ, silent);
    // A log without a readable header names no product: there is nothing to confirm by name,
    // and the caption names none either.
    if (!log.title[0]) {
        captionTitle = nullptr;
        return Refuse(IDS_BAD_UNINSTALL_ARGUMENTS, silent);
    }
    if (options.language)
        ChooseRemovalLanguage(argument, options.language);
    if (!silent && !Confirm(log))
        return EXIT_DECLINED;
    RunLock lock;
    if (!lock.Take()) {
        Refuse(IDS_ANOTHER_RUN, silent);
        return silent ? EXIT_ALREADY_RUNNING : EXIT_DONE;
    }

    UninstallProgressDialog* dialog =
        silent ? nullptr
               : new (std::nothrow) UninstallProgressDialog(&log, instance, options.pauses);
    // The pause after each entry lets the progress window be followed; with no window it would
    // only make a large removal take minutes. The finishing step keeps its waits.
    ReplayPauses pauses = options.pauses;
    if (silent)
        pauses.entryMs = 0;
    // When the window cannot be made, the user has still asked for the removal: the entries are
    // undone all the same rather than the log and the uninstall entry dropped with every
    // installed file left behind.
    if (silent || !ReplayUnderProgressWindow(dialog)) {
        NoProgress none;
        ReplayLog(&none, &log, pauses);
    }
    // The replay ran it already; the folder may have emptied since.
    FinishUninstall(&log, options.pauses.finishMs, options.pauses.pause);
    RecordFoldersLeft(&log);

    // A silent removal never restarts the computer, nor one told not to: the exit code reports
    // the restart instead, and no question goes to the record.
    if (log.deleteFailed && !options.noRestart && !silent &&
        ShowMessageId(nullptr, IDS_RESTART_AFTER_UNINSTALL, IDS_UNINSTALLATION,
                      MB_SYSTEMMODAL | MB_YESNO, IDNO, false) == IDYES) {
        options.restartComputer(EWX_REBOOT);
        delete dialog;
        return EXIT_DONE;
    }
    if (activeSyncRunning == 0)
        ControlActiveSync(nullptr, true, false);
    delete dialog;
    return (silent || options.noRestart) && log.deleteFailed ? EXIT_RESTART_NEEDED : EXIT_DONE;
}

int RunUninstall(HINSTANCE instance, const char* argument, bool silent, bool noRestart,
                 const char* language) {
    UninstallOptions options = DefaultUninstallOptions();
    options.language = language;
    options.silent = silent;
    options.noRestart = noRestart;
    return RunUninstallWith(instance, argument, options);
}
