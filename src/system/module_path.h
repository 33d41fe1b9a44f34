#pragma once
#include <stddef.h>
#include <windows.h>

// Full path of a module (null: the process's executable). False, with out emptied, when it
// cannot be had whole.
bool GetModulePath(HMODULE module, char* out, size_t size);

// Folder of the running executable, without trailing backslash. False (and the empty text) when
// the path can't be taken whole or doesn't fit.
bool GetExecutableFolder(char* folder, size_t size);
// The path of a file beside the executable; false (and the empty text) when it doesn't fit.
bool PathBesideExecutable(const char* fileName, char* path, size_t size);
