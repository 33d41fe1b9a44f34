#pragma once

enum RunMode {
    MODE_INSTALL,
    MODE_UNINSTALL,
    MODE_REGISTER,
};

// The keyword of the uninstall mode, as the uninstall entry's commands carry it too.
extern const char UNINSTALL_KEYWORD[];

// Chooses the mode from the command line (without the program name). argument receives the
// text behind the keyword, unchanged; null for the install mode.
RunMode ChooseMode(const char* commandLine, const char** argument);
