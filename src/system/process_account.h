#pragma once
// Whether the installer runs as the LocalSystem account, as management tools run it.

// True when the SID (a SID structure) is LocalSystem's, S-1-5-18.
bool IsLocalSystemSid(const void* sid);
// False where Windows has no accounts (95, 98, Me) or the token cannot be read.
bool ProcessIsLocalSystem();
