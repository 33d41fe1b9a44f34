#include "app/modes.h"

int RunRegisterMode(HINSTANCE, const char*) { return 0; }
