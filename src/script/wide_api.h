#pragma once
#include <windows.h>

// The answer behind HasWideApi, and a way for tests to stand in for the system.

// True when an error from a wide-character call says that the system lacks that API.
bool WideApiMissing(DWORD error);

// Replaces the system probe (null restores it) and forgets the cached answer.
using WideApiProbe = bool (*)();
void SetWideApiProbe(WideApiProbe probe);
