#pragma once
#include <windows.h>

// Asks Windows to end the session with the given ExitWindowsEx flags, after enabling the
// shutdown privilege where the system has one. ExitWindowsEx is called exactly once; its
// outcome is not reported.
void RestartComputer(UINT flags);

// The same with the privilege functions taken from the named system library and the session
// ended through exitWindows, so that a system without them can be reproduced.
using ExitWindowsFn = BOOL(WINAPI*)(UINT flags, DWORD reason);
void RestartComputerUsing(UINT flags, const char* securityLibrary, ExitWindowsFn exitWindows);
// Enables the shutdown privilege through the library's functions; false when one of them is
// missing or the privilege could not be enabled.
bool EnableShutdownPrivilege(HMODULE securityLibrary);
