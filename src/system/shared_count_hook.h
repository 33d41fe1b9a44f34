#pragma once
// For tests only: the SysWOW64 folder of a 32-bit run on 64-bit Windows (its length), or 0 for
// a run that is not under WOW64. A 32-bit prefix has none, so a test puts a stand-in here.
#include <windows.h>

extern UINT (*wow64SystemFolder)(char* folder, UINT size);
