#include "app/mode_dispatch.h"

#include <string.h>

#include "system/text.h"

static const char REGISTER_SWITCH[] = "-register";

RunMode ChooseMode(const char* commandLine, const char** argument) {
    *argument = nullptr;
    if (!commandLine || !*commandLine)
        return MODE_INSTALL;
    if (StartsWithNoCase(commandLine, UNINSTALL_KEYWORD)) {
        *argument = commandLine + strlen(UNINSTALL_KEYWORD);
        return MODE_UNINSTALL;
    }
    if (StartsWithNoCase(commandLine, REGISTER_SWITCH)) {
        *argument = commandLine + strlen(REGISTER_SWITCH);
        return MODE_REGISTER;
    }
    return MODE_INSTALL;
}
