#include <objbase.h>
#include <shlobj.h>
#include <string.h>

#include "app/desktop_actions.h"
#include "log/log_format.h"
#include "script/link_folder.h"
#include "system/com_binding.h"
#include "system/shell_link_ids.h"
#include "system/text.h"

namespace {

const char LINK_EXTENSION[] = ".lnk";

// Puts the link's folder into targetPath: a folder given as a macro is used as it is; any other
// is a group under the Start menu, made on demand. False when the folder is unknown or its path
// does not fit.
bool PlaceLinkFolder(InstallContext& context, const char* folder) {
    char group[MAX_PATH];
    bool isGroup = LinkFolderPath(folder, group, sizeof(group));
    if (strlen(group) + 1 >= sizeof(group))
        return false;
    char expanded[MACRO_EXPANSION_ROOM];
    context.Expand(group, expanded, sizeof(expanded));
    if (expanded[0] == '\0' || strlen(expanded) >= sizeof(context.targetPath))
        return false;
    CopyText(context.targetPath, sizeof(context.targetPath), expanded);
    if (isGroup)
        MakeDirectoryPath(context, context.targetPath, false);
    // The link is logged before it is saved: into a folder that is not there it would only be
    // logged.
    DWORD attributes = GetFileAttributesA(context.targetPath);
    return !context.Stopped() && attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Saves the configured link under linkName in the folder named by targetPath.
bool SaveLink(InstallContext& context, IPersistFile* persist, const char* linkName) {
    char* path = context.targetPath;
    size_t size = sizeof(context.targetPath);
    size_t length = strlen(path);
    // A cut name would save the link under another name, or not as a link at all.
    if (length + 1 + strlen(linkName) + strlen(LINK_EXTENSION) >= size)
        return false;
    AppendText(path, size, "\\");
    AppendText(path, size, linkName);
    AppendText(path, size, LINK_EXTENSION);
    WCHAR widePath[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH))
        return false;
    // The line comes before the link, so that a run ended in between leaves no link its log does
    // not name; a line for a link that then cannot be saved costs the removal nothing.
    if (!context.WriteEntry(LogKeywordText(LOG_SHELL_LINK), path))
        return false;
    return SUCCEEDED(persist->Save(widePath, TRUE));
}

bool ConfigureAndSave(InstallContext& context, IShellLinkA* link, IPersistFile* persist,
                      const char* linkName, const char* folder, const char* target,
                      const char* arguments, int iconIndex) {
    char expanded[MACRO_EXPANSION_ROOM];
    context.Expand(target ? target : "", expanded, sizeof(expanded));
    if (strlen(expanded) >= sizeof(context.targetPath))
        return false;
    CopyText(context.targetPath, sizeof(context.targetPath), expanded);
    if (FAILED(link->SetPath(context.targetPath)))
        return false;
    if (iconIndex != 0)
        link->SetIconLocation(context.targetPath, iconIndex);
    if (arguments && *arguments) {
        char expandedArguments[MAX_PATH];
        context.Expand(arguments, expandedArguments, sizeof(expandedArguments));
        link->SetArguments(expandedArguments);
    }
    if (FAILED(link->SetDescription(linkName)))
        return false;
    if (!PlaceLinkFolder(context, folder))
        return false;
    return SaveLink(context, persist, linkName);
}

} // namespace

bool CreateShortcut(InstallContext& context, const char* linkName, const char* folder,
                    const char* target, const char* arguments, int iconIndex) {
    if (!linkName)
        return false;
    IShellLinkA* link = nullptr;
    if (FAILED(CreateComObject(shellLinkClass, CLSCTX_INPROC_SERVER, shellLinkInterface,
                               reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* persist = nullptr;
    if (FAILED(link->QueryInterface(persistFileInterface, reinterpret_cast<void**>(&persist)))) {
        link->Release();
        return false;
    }
    bool saved =
        ConfigureAndSave(context, link, persist, linkName, folder, target, arguments, iconIndex);
    persist->Release();
    link->Release();
    return saved;
}

bool CreateDesktopShortcut(InstallContext& context, const char* linkName, const char* target,
                           const char* arguments, int iconIndex) {
    return CreateShortcut(context, linkName, "%DESKTOP%", target, arguments, iconIndex);
}

bool CreateSendToShortcut(InstallContext& context, const char* linkName, const char* target,
                          const char* arguments, int iconIndex) {
    return CreateShortcut(context, linkName, "%SENDTO%", target, arguments, iconIndex);
}
