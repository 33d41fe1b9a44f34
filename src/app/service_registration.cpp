#include "app/service_registration.h"

#include "app/desktop_actions.h"
#include "app/install_result.h"
#include "app/installer_path.h"
#include "log/log_format.h"
#include "system/external_programs.h"
#include "system/module.h"
#include "system/registry.h"
#include "system/shared_count.h"
#include "system/staging_path.h"
#include "system/text.h"

namespace {

bool RemoveOldServiceFile(InstallContext& context, const char* itemPath, bool activeSync) {
    PrepareItemPaths(context, itemPath, true);
    if (context.targetPath[0] == '\0' || context.sourcePath[0] == '\0' || context.Stopped())
        return false;
    // A package that lacks the new file must not cost the user the working installed one.
    if (GetFileAttributesA(context.sourcePath) == INVALID_FILE_ATTRIBUTES)
        return true;
    if (FilesMatch(context.sourcePath, context.targetPath) ||
        GetFileAttributesA(context.targetPath) == INVALID_FILE_ATTRIBUTES ||
        KeepsSharedTarget(context, context.sourcePath, context.targetPath))
        return true;
    // Its earlier owner's count must outlive the delete, after which the main pass no longer
    // sees that the file was there.
    if (CountsAsShared(context.destPath, context.targetPath))
        SeedSharedCount(context.targetPath);
    if (activeSync && IsActiveSyncRunning())
        ControlActiveSync(context.ownerWindow, false, true);
    RunRegSvr32(context.ownerWindow, context.targetPath, false);
    return DeleteFileA(context.targetPath) != FALSE;
}

} // namespace

bool RemoveOldService(InstallContext& context, const char* itemPath) {
    return RemoveOldServiceFile(context, itemPath, false);
}

bool RemoveOldActiveSyncService(InstallContext& context, const char* itemPath) {
    return RemoveOldServiceFile(context, itemPath, true);
}

int RegisterService(InstallContext& context, const char* itemPath, int32_t* restartNeeded) {
    int copied = CopyDesktopFile(context, itemPath);
    // Without a usable target there is nothing to register now or later.
    if (context.targetPath[0] == '\0' || copied == RESULT_LOG_INCOMPLETE)
        return copied;
    if (!context.WriteEntry(LogKeywordText(LOG_REGSVR32), context.targetPath))
        return RESULT_LOG_INCOMPLETE;
    if (copied != RESULT_OK) {
        if (restartNeeded)
            *restartNeeded = 1;
        // A deferral that staged nothing would register nothing at the restart: the copy's own
        // failure is reported instead.
        if (DeferRegistration(context, context.sourcePath, context.targetPath) != RESULT_OK)
            return copied;
        return RESULT_OK;
    }
    if (RunRegSvr32(context.ownerWindow, context.targetPath, true))
        return RESULT_OK;
    CopyText(context.failedFileName, sizeof(context.failedFileName),
             FileNamePart(context.targetPath));
    return RESULT_SERVICE_REGISTER_FAILED;
}

int RegisterActiveSyncService(InstallContext& context, const char* itemPath,
                              int32_t* restartNeeded) {
    int result = RegisterService(context, itemPath, restartNeeded);
    // Only beside the item's "RegSvr32:" entry: without one the uninstaller would stop
    // ActiveSync for nothing.
    if (context.targetPath[0] != '\0')
        context.WriteEntry(LogKeywordText(LOG_STOP_ACTIVESYNC), nullptr);
    return result;
}

int DeferRegistration(InstallContext& context, const char* sourcePath, const char* targetPath) {
    CopyText(context.failedFileName, sizeof(context.failedFileName), FileNamePart(sourcePath));
    char stagingPath[MAX_PATH];
    char installerPath[MAX_PATH];
    if (context.installerCopy[0] != '\0')
        CopyText(installerPath, sizeof(installerPath), context.installerCopy);
    else if (!GetInstallerPath(moduleInstance, installerPath, sizeof(installerPath)))
        return RESULT_COPY_FAILED;
    if (!FormStagingPath(targetPath, stagingPath, sizeof(stagingPath)))
        return RESULT_COPY_FAILED;
    // A stale staged file that cannot be deleted cannot be overwritten either: the copy's result
    // covers both.
    DeleteFileA(stagingPath);
    if (!CopyFileA(sourcePath, stagingPath, FALSE))
        return RESULT_COPY_FAILED;

    char valueName[MAX_PATH + 16];
    FormRunOnceName(targetPath, valueName, sizeof(valueName));
    char command[2 * MAX_PATH + 16];
    FormRunOnceCommand(installerPath, targetPath, command, sizeof(command));
    if (!WriteRegistryString(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY_PATH, valueName, command)) {
        DeleteFileA(stagingPath);
        return RESULT_COPY_FAILED;
    }
    return RESULT_OK;
}
