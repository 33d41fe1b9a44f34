#include "app/modes.h"

int RunUninstall(HINSTANCE, const char*) { return 0; }
