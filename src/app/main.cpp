#include <windows.h>

#include "app/command_line.h"
#include "app/modes.h"
#include "resources/resource_ids.h"
#include "system/exit_codes.h"
#include "system/full_path.h"
#include "system/language_choice.h"
#include "system/library_binding.h"
#include "system/message_box.h"
#include "system/module.h"
#include "system/run_record.h"
#include "system/text.h"

namespace {
int ShowHelp() {
    char text[2048];
    FormatCommandLineHelp(text, sizeof(text));
    ShowMessage(nullptr, text, IDS_HELP_CAPTION, MB_ICONINFORMATION, IDOK, false);
    return 0;
}

// The wizard leaves out what it cannot apply; a silent run does nothing. Either way the record
// names every argument that was not taken.
void RecordWrongArguments(const CommandLine& line) {
    for (int i = 0; i < line.wrongCount && i < CommandLine::WRONG_NAMED; ++i) {
        char text[1024];
        FormatText(text, sizeof(text), "%s%.*s (%s)",
                   line.Silent() ? "Wrong command line at: " : "Left out: ",
                   static_cast<int>(line.wrong[i].length), line.wrong[i].at, line.wrong[i].why);
        WriteRunRecord(text);
    }
    if (line.wrongCount > CommandLine::WRONG_NAMED) {
        char text[64];
        FormatText(text, sizeof(text), "%d more wrong arguments",
                   line.wrongCount - CommandLine::WRONG_NAMED);
        WriteRunRecord(text);
    }
}

int RunChosenMode(const CommandLine& line) {
    RecordWrongArguments(line);
    if (line.wrongCount > 0 && line.Silent())
        return EXIT_WRONG_COMMAND;
    if (line.mode == MODE_INSTALL) {
        if (int refused = ChooseInstallLanguage(line.language))
            return refused;
    }
    if (line.given & SWITCH_HELP)
        return ShowHelp();
    switch (line.mode) {
    case MODE_UNINSTALL:
        return RunUninstall(moduleInstance, line.argument, line.Silent(),
                            (line.given & SWITCH_NORESTART) != 0, line.language);
    case MODE_REGISTER:
        return RunRegisterMode(moduleInstance, line.argument);
    case MODE_INSTALL:
        break;
    }
    return RunInstallMode(moduleInstance, line);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    RestrictLibrarySearch();
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
