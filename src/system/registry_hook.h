#pragma once
// For tests only: the call behind every registry value the installer writes (RegSetValueExA), so
// that a computer that refuses the writes can be staged (Wine lets every program write anywhere).
#include <windows.h>

extern LONG(WINAPI* setRegistryValue)(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                                      const BYTE* data, DWORD size);
