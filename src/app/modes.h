#pragma once
#include <windows.h>

#include "app/command_line.h"

// The three modes of the executable; each returns the process exit code.
int RunInstallMode(HINSTANCE instance, const CommandLine& line);
// silent: no question, no window, and the exit codes of a silent run. noRestart: never a
// restart, nor the question.
int RunUninstall(HINSTANCE instance, const char* argument, bool silent, bool noRestart);
int RunRegisterMode(HINSTANCE instance, const char* argument);
