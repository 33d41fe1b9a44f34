#pragma once
// The programs that hold a file open, as Restart Manager (Windows Vista and later) names them.
#include <stddef.h>
#include <windows.h>

#include "system/system_libraries.h"

// The application names, comma-separated; after five, others ("and others") ends the list.
// False, with names empty, when none can be named.
bool NameFileHolders(const RestartManagerFunctions& calls, const char* path, const char* others,
                     char* names, size_t size);
// The same through rstrtmgr.dll; false where Windows has none.
bool NameFileHolders(const char* path, const char* others, char* names, size_t size);
