#pragma once
#include <windows.h>

struct SetupScript;

// Creates the wizard frame on the script, runs the message loop until the wizard ends, destroys
// the wizard's windows and objects, and returns the quit message's exit code.
int RunWizard(SetupScript* script, HINSTANCE instance);
