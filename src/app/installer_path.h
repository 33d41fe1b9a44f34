#pragma once
#include <windows.h>

// Full path of the running installer (GetModuleFileNameA of module; null: the process's
// executable). False, with out emptied, when it cannot be had whole.
bool GetInstallerPath(HMODULE module, char* out, DWORD size);
