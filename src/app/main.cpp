#include <windows.h>

#include "app/command_line.h"
#include "app/modes.h"
#include "resources/resource_ids.h"
#include "system/exit_codes.h"
#include "system/full_path.h"
#include "system/message_box.h"
#include "system/module.h"
#include "system/path_macros.h"
#include "system/process_account.h"
#include "system/run_record.h"
#include "system/text.h"

namespace {
int ShowHelp() {
    char text[2048];
    FormatCommandLineHelp(text, sizeof(text));
    ShowMessage(nullptr, text, IDS_INSTALLATION, MB_ICONINFORMATION, IDOK, false);
    return 0;
}

int RunChosenMode(const CommandLine& line) {
    if (line.wrongAt) {
        char text[1024];
        FormatText(text, sizeof(text), "Wrong command line at: %.*s (%s)",
                   static_cast<int>(line.wrongLength), line.wrongAt, line.wrongWhy);
        WriteRunRecord(text);
        // The wizard leaves out what it cannot apply; a silent run does nothing.
        if (line.Silent())
            return EXIT_WRONG_COMMAND;
    }
    if (line.given & SWITCH_HELP)
        return ShowHelp();
    switch (line.mode) {
    case MODE_UNINSTALL:
        return RunUninstall(moduleInstance, line.argument, line.Silent(),
                            (line.given & SWITCH_NORESTART) != 0);
    case MODE_REGISTER:
        return RunRegisterMode(moduleInstance, line.argument);
    case MODE_INSTALL:
        break;
    }
    if (ShortcutsForAllUsers(line, ProcessIsLocalSystem)) {
        SetShortcutsForAllUsers(true);
        WriteRunRecord("Start-menu and desktop shortcuts for all users");
    }
    return RunInstallMode(moduleInstance, line);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    moduleInstance = instance;
    static CommandLine line;
    ParseCommandLine(commandLine, &line);
    // The record is opened before anything is checked, so that whatever is wrong is in it.
    // Without /S an unusable record is left out like any other switch the wizard cannot apply. A
    // record that cannot take even its first line is as unusable as one that cannot be opened; so
    // is a relative path, which would land wherever the program happened to be started.
    if ((line.given & SWITCH_LOG) &&
        !(IsFullPath(line.logPath) && OpenRunRecord(line.logPath) &&
          WriteRunRecord("Setup started: ", commandLine)) &&
        line.Silent())
        return EXIT_WRONG_COMMAND;
    int exitCode = RunChosenMode(line);
    WriteRunResult(exitCode, line.Silent());
    CloseRunRecord();
    return exitCode;
}
