#pragma once

#include "log/log_format.h"

enum RunMode {
    MODE_INSTALL,
    MODE_UNINSTALL,
    MODE_REGISTER,
};

// Chooses the mode from the command line (without the program name). argument receives the
// text behind the keyword, unchanged; null for the install mode.
RunMode ChooseMode(const char* commandLine, const char** argument);
