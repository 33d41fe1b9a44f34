#pragma once
#include <windows.h>

// Hands a file, program or link to the shell with the verb "Open", shown normally. parameters
// and folder may be null. quiet: a failure raises no error box of the shell's own. True when the
// shell took it.
bool OpenWithShell(HWND owner, const char* file, const char* parameters, const char* folder,
                   bool quiet);
