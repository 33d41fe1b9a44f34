#pragma once
#include <stddef.h>
#include <windows.h>

// Full path of the running installer (GetModuleFileNameA of module; null: the process's
// executable). False, with out emptied, when it cannot be had whole.
bool GetInstallerPath(HMODULE module, char* out, DWORD size);

// Puts the installer's copy for the uninstall entry at copyPath, or beside it when that file is
// another program: the first of <name>1.exe to <name>99.exe that is free or a copy of this
// installer. A copy of this installer that is newer is kept, any other replaced. On success
// copyPath names the copy; false when none could be made.
bool PlaceInstallerCopy(const char* installerPath, char* copyPath, size_t size);
