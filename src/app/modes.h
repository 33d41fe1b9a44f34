#pragma once
#include <windows.h>

// The three modes of the executable; each returns the process exit code.
int RunInstallMode(HINSTANCE instance);
int RunUninstall(HINSTANCE instance, const char* argument);
int RunRegisterMode(HINSTANCE instance, const char* argument);
