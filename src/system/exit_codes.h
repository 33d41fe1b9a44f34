#pragma once

// Exit codes of a silent run, as Windows Installer uses them, so that deployment tools read them
// without a table of their own. When several apply, the first of 87, 1618, 1603, 3010, 0 is
// given.
enum UnattendedExitCode : int {
    EXIT_COMPLETE = 0,
    EXIT_RESTART_NEEDED = 3010,  // ERROR_SUCCESS_REBOOT_REQUIRED
    EXIT_FAILED = 1603,          // ERROR_INSTALL_FAILURE
    EXIT_WRONG_COMMAND = 87,     // ERROR_INVALID_PARAMETER
    EXIT_ALREADY_RUNNING = 1618, // ERROR_INSTALL_ALREADY_RUNNING
};

// What a silent run's exit code says, as the record and the help name it.
const char* ExitCodeMeaning(int code);
