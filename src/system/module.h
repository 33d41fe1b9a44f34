#pragma once
#include <windows.h>

// The module handle Windows passed to WinMain: strings, dialogs and icons come from it.
extern HINSTANCE moduleInstance;
