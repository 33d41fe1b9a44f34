#pragma once
// Process-wide state behind PathMacros, opened up for tests only.
#include <windows.h>

struct ShellFolderBindingState {
    int liveObjects;
    HMODULE library;
    bool hasSpecialFolderPath; // SHGetSpecialFolderPathA
    bool hasFolderPath;        // SHGetFolderPathA
    unsigned libraryLoads;     // times a library was loaded since the process started
    unsigned libraryFrees;
};
ShellFolderBindingState InspectShellFolderBinding();
// Forgets the functions of the current binding, as on a system whose shell has none; the next
// first binding finds them again.
void DropShellFolderFunctions();

// Empties the Program Files cache.
void ForgetProgramFilesFolder();
