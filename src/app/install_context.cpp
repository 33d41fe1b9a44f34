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
    // A destination such as C:\ already ends in the separator.
    size_t length = strlen(destPath);
    const char* separator = FindLastChar(destPath, '\\') == destPath + length - 1 ? "" : "\\";
    char logPath[MAX_PATH];
    size_t written =
        FormatText(logPath, sizeof(logPath), "%s%s%s", destPath, separator, LOG_FILE_NAME);
    // A cut name would be some other file.
    if (written != length + strlen(separator) + strlen(LOG_FILE_NAME))
        return;
    CopyText(fileName, sizeof(fileName), logPath);
    title = productTitle;
    source = destPath;
}

InstallContext::~InstallContext() = default;

bool InstallContext::MakeLogFolder() {
    return MakeDirectoryPath(*this, fileName, true);
}
