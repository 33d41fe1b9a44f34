#include "app/install_context.h"

#include <string.h>

#include "app/desktop_actions.h"
#include "log/log_format.h"
#include "system/text.h"

InstallContext::InstallContext(const char* installer, const char* destFolder,
                               const char* productName, HWND owner)
    : PathMacros(destFolder), InstallLog("") {
    CopyText(productTitle, sizeof(productTitle), productName);
    failedFileName[0] = '\0';
    CopyText(installerFolder, sizeof(installerFolder), installer);
    sourcePath[0] = '\0';
    targetPath[0] = '\0';
    ownerWindow = owner;

    if (productTitle[0] == '\0' || destPath[0] == '\0')
        return;
    char logPath[MAX_PATH];
    if (!FormLogPath(destPath, logPath, sizeof(logPath)))
        return;
    CopyText(fileName, sizeof(fileName), logPath);
    title = productTitle;
    source = destPath;
}

InstallContext::~InstallContext() = default;

bool InstallContext::MakeLogFolder() {
    return MakeDirectoryPath(*this, fileName, true);
}
