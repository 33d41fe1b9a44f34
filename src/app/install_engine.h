#pragma once
#include <stddef.h>
#include <windows.h>

#include "app/install_result.h"

struct SetupScript;

// Carries out the selected components; 0 lets the wizard show its finish page.
int RunInstall(SetupScript* script, HWND owner, bool reportErrors);
// Fills buffer with the message for result; null (and an empty buffer) for an unknown code.
char* ComposeErrorText(int result, const char* failedFileName, char* buffer, size_t size);
