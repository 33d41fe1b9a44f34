#include "app/uninstall_entry.h"

#include "app/desktop_actions.h"
#include "app/installer_path.h"
#include "resources/resource_ids.h"
#include "system/registry.h"
#include "system/text.h"

void WriteUninstallEntry(InstallContext& context) {
    // Without a title the key name would be the Uninstall key itself; without a log (no title,
    // or a destination that names no folder) the entry could only show the uninstaller's
    // refusal.
    if (context.productTitle[0] == '\0' || context.fileName[0] == '\0')
        return;
    char installerPath[MAX_PATH];
    if (!GetInstallerPath(nullptr, installerPath, sizeof(installerPath)))
        return;
    const char* slash = FindLastChar(installerPath, '\\');
    if (!slash)
        return;
    char copyItem[MAX_PATH];
    FormatText(copyItem, sizeof(copyItem), "%%WINDOWS%%%s", slash);
    PrepareItemPaths(context, copyItem, false);
    const char* copyPath = context.targetPath;
    if (copyPath[0] == '\0')
        return;
    // An installer started from the Windows folder is its own copy: deleting it would lose it.
    // A copy made from read-only media keeps the attribute, which would make the next run's
    // delete and copy fail.
    if (!EqualNoCase(installerPath, copyPath)) {
        if (ClearReadOnly(copyPath))
            DeleteFileA(copyPath);
        if (!CopyFileA(installerPath, copyPath, FALSE))
            return;
        ClearReadOnly(copyPath);
    }

    char key[MAX_PATH];
    FormatText(key, sizeof(key), "%s\\%s", UNINSTALL_KEY_PARENT, context.productTitle);
    char icon[MAX_PATH + 16];
    FormatText(icon, sizeof(icon), "%s;-%d", copyPath, IDI_UNINSTALL);
    char command[2 * MAX_PATH + 16];
    FormatText(command, sizeof(command), "%s -uninst%s", copyPath, context.fileName);
    WriteRegistryString(HKEY_LOCAL_MACHINE, key, "DisplayName", context.productTitle);
    WriteRegistryString(HKEY_LOCAL_MACHINE, key, "DisplayIcon", icon);
    WriteRegistryString(HKEY_LOCAL_MACHINE, key, "UninstallString", command);
}
