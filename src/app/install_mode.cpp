#include "app/modes.h"

int RunInstallMode(HINSTANCE) { return 0; }
