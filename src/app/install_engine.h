#pragma once
#include <stddef.h>
#include <windows.h>

#include "app/install_result.h"

struct SetupScript;

// Carries out the selected components; 0 lets the wizard show its finish page. reportErrors: a
// failure is reported in a message box; unattended: no box or cursor is shown, each box takes
// its unattended answer (the messages still reach the run record).
int RunInstall(SetupScript* script, HWND owner, bool reportErrors, bool unattended);
// Fills buffer with the message for result; null (and an empty buffer) for an unknown code.
char* ComposeErrorText(int result, const char* failedFileName, char* buffer, size_t size);
