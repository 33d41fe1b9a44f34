#pragma once
#include <windows.h>

#include "ui/wizard_frame.h"

// Creates the wizard frame on the script and install, runs the message loop until the wizard ends,
// destroys the wizard's windows and objects, and returns the quit message's exit code.
int RunWizard(SetupScript* script, HINSTANCE instance, InstallRun install);
