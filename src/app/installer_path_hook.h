#pragma once
// For tests only: the test program stands in for the installer, so the path that the uninstall
// entry and the RunOnce command name can be pointed at a real Setup.exe instead.
extern const char* installerPathOverride;
