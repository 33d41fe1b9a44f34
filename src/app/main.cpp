#include <windows.h>

#include "app/command_line.h"
#include "app/exit_codes.h"
#include "app/modes.h"
#include "app/module.h"
#include "app/run_result.h"
#include "system/message_box.h"
#include "system/run_record.h"
#include "system/text.h"

namespace {
const uint32_t UNINSTALL_SWITCHES = SWITCH_SILENT | SWITCH_LOG;

int RunChosenMode(const CommandLine& line) {
    if (line.Silent() && line.wrongAt) {
        WriteRunRecord("Wrong command line at: ", line.wrongAt);
        return EXIT_WRONG_COMMAND;
    }
    if (line.Silent() && (line.mode == MODE_REGISTER ||
                          (line.mode == MODE_UNINSTALL && (line.given & ~UNINSTALL_SWITCHES)))) {
        WriteRunRecord("Wrong command line: -uninst takes only /S and /LOG, -register no switch");
        return EXIT_WRONG_COMMAND;
    }
    switch (line.mode) {
    case MODE_UNINSTALL:
        return RunUninstall(moduleInstance, line.argument, line.Silent());
    case MODE_REGISTER:
        return RunRegisterMode(moduleInstance, line.argument);
    case MODE_INSTALL:
        break;
    }
    return RunInstallMode(moduleInstance, line);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    moduleInstance = instance;
    static CommandLine line;
    ParseCommandLine(commandLine, &line);
    // Without /S an unusable record is left out like any other switch the wizard cannot apply.
    if ((line.given & SWITCH_LOG) && !OpenRunRecord(line.logPath) && line.Silent())
        return EXIT_WRONG_COMMAND;
    unattendedRun = line.Silent();
    WriteRunRecord("Setup started: ", commandLine);
    int exitCode = RunChosenMode(line);
    WriteRunResult(exitCode, line.Silent());
    CloseRunRecord();
    return exitCode;
}
