#pragma once
#include <stddef.h>
#include <windows.h>

// The module handle Windows passed to WinMain: strings, dialogs and icons come from it.
extern HINSTANCE moduleInstance;

// Loads a string of the module's string table into out; the empty text when it has none.
// Returns its length.
size_t LoadModuleString(unsigned id, char* out, size_t size);
