#pragma once
#include <stddef.h>

// The full path of fileName in the Windows system folder. False, with out emptied, when the
// folder cannot be had or the path does not fit in size - 1 bytes.
bool SystemFilePath(const char* fileName, char* out, size_t size);
