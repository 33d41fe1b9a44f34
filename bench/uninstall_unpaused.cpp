// The product's uninstall mode without its mandated pauses (200 ms after each undone entry and
// 1 s in the finishing step), so that the benchmark measures its work. Takes the log path alone
// (the interactive removal) or "/S -uninst<log path>" (the silent one).
#include <windows.h>

#include "app/command_line.h"
#include "uninstall/uninstall_driver.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    static CommandLine line;
    ParseCommandLine(commandLine, &line);
    UninstallOptions options = DefaultUninstallOptions();
    options.pauses.pause = nullptr;
    options.silent = line.Silent();
    return RunUninstallWith(instance, line.Silent() ? line.argument : commandLine, options);
}
