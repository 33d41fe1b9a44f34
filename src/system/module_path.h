#pragma once
#include <stddef.h>

// Folder of the running executable, without trailing backslash. False (and the empty text) when
// the path can't be taken whole or doesn't fit.
bool GetExecutableFolder(char* folder, size_t size);
// The path of a file beside the executable; false (and the empty text) when it doesn't fit.
bool PathBesideExecutable(const char* fileName, char* path, size_t size);
