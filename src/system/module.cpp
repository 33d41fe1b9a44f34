#include "system/module.h"

// Tests link the program without its entry point; their own module then serves the resources.
HINSTANCE moduleInstance = GetModuleHandleA(nullptr);
