#pragma once
#include <windows.h>

#include "log/install_log.h"
#include "system/path_macros.h"

// Working record of one install run: expands the run's paths and writes its log.
class InstallContext : public PathMacros, public InstallLog {
  public:
    // productTitle null (or none given) leaves the log without a file name: nothing is logged.
    InstallContext(const char* installerFolder, const char* destFolder, const char* productTitle,
                   HWND ownerWindow);
    ~InstallContext() override;

    char installerFolder[MAX_PATH];
    char sourcePath[MAX_PATH];
    char failedFileName[64];
    char targetPath[MAX_PATH];
    char productTitle[128];
    HWND ownerWindow;
};
