#include <windows.h>

#include "app/mode_dispatch.h"
#include "app/modes.h"
#include "app/module.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    moduleInstance = instance;
    const char* argument = nullptr;
    switch (ChooseMode(commandLine, &argument)) {
    case MODE_UNINSTALL:
        return RunUninstall(moduleInstance, argument);
    case MODE_REGISTER:
        return RunRegisterMode(moduleInstance, argument);
    case MODE_INSTALL:
        break;
    }
    return RunInstallMode(moduleInstance);
}
