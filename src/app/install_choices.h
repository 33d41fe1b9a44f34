#pragma once
// The choices a command line makes in place of the wizard's: the destination, the components and
// the HotSync user. Each leaves the script as it was when the value cannot be applied.
#include <stddef.h>

struct SetupScript;

// The destination instead of the script's DestFolder. False when it expands (a macro at its start
// as DestFolder's does) to no full path, or to one whose install log path would pass 259
// characters, or to a folder no product may take (reserved then set, when given). An earlier
// installation in another folder is then removed by the run.
bool ApplyDestination(SetupScript* script, const char* folder, bool* reserved = nullptr);

// Selects exactly the components of the named sections (";"-separated, any case) and the parents
// of each; every other component is cleared. False for an unknown section or a selection that
// installs nothing.
bool ApplyComponents(SetupScript* script, const char* sections);

// True when the selected components hold Palm files; items is their count when not null.
bool SelectionHasPalmFiles(const SetupScript* script, int* items = nullptr);
