#pragma once
#include <windows.h>

#include "app/command_line.h"
#include "uninstall/uninstall_driver.h"

// The three modes of the executable; each returns the process exit code.
int RunInstallMode(HINSTANCE instance, const CommandLine& line);
int RunRegisterMode(HINSTANCE instance, const char* argument);
