#pragma once
#include <windows.h>

#include "log/install_log.h"
#include "system/path_macros.h"

struct SetupScript;
class UninstallLog;

// Working record of one install run: expands the run's paths and writes its log.
class InstallContext : public PathMacros, public InstallLog {
  public:
    // Without a title (null or empty) the log gets no file name and records nothing; so too when
    // the destination expands to nothing or the log's path would not fit in fileName.
    InstallContext(const char* installerFolder, const char* destFolder, const char* productTitle,
                   HWND ownerWindow);
    ~InstallContext() override;

    char installerFolder[MAX_PATH];
    char sourcePath[MAX_PATH];
    char failedFileName[64];
    char targetPath[MAX_PATH];
    char productTitle[128];
    HWND ownerWindow;
    // Set by the install run: the script whose uninstall entry the run writes.
    const SetupScript* script = nullptr;
    // The installer's copy that the uninstall entry names, once written: a deferred registration
    // runs it after the restart, when the running installer's CD or share may be gone.
    char installerCopy[MAX_PATH] = {};
    // The earlier installation's log, its files that another program holds marked LOG_IN_USE:
    // an unattended run replaces those at the next start of Windows.
    const UninstallLog* earlierLog = nullptr;
    bool replacedAtRestart = false;

  protected:
    bool MakeLogFolder() override;
};
