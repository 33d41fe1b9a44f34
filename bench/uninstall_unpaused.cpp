// The product's uninstall mode without its mandated pauses (200 ms after each undone entry and
// 1 s in the finishing step), so that the benchmark measures its work.
#include <windows.h>

#include "uninstall/uninstall_driver.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    UninstallOptions options = DefaultUninstallOptions();
    options.pauses.pause = nullptr;
    return RunUninstallWith(instance, commandLine, options);
}
