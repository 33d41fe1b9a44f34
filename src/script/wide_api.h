#pragma once
#include <windows.h>

// A way for tests to stand in for the system behind HasWideApi.

// Replaces the system probe (null restores it) and forgets the cached answer.
using WideApiProbe = bool (*)();
void SetWideApiProbe(WideApiProbe probe);
