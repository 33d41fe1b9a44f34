#pragma once
#include "app/command_line.h"

struct SetupScript;

// Applies the choices of the command line's switches to the script. In a silent run (strict)
// the first that cannot be applied is written to the run record and the result is false; for
// the wizard each is left out, with a line in the record, and the script's own choice stays.
bool ApplyCommandLineChoices(SetupScript* script, const CommandLine& line, bool strict);

// The install without the wizard: the choices of the command line, the licence taken as
// accepted, no window, no read-me and no restart. Destroys the script; returns the exit code.
int RunUnattendedInstall(SetupScript* script, const CommandLine& line);
