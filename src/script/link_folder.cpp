#include "script/link_folder.h"

#include "script/setup_script.h"
#include "system/text.h"

const char* ShortcutFolder(uint32_t itemFlags, const char* startMenuFolder) {
    if (itemFlags & ITEM_DESKTOP)
        return "%DESKTOP%";
    if (itemFlags & ITEM_SENDTO)
        return "%SENDTO%";
    return startMenuFolder;
}

bool LinkFolderPath(const char* folder, char* out, size_t size) {
    if (folder && folder[0] == '%') {
        CopyText(out, size, folder);
        return false;
    }
    if (folder && *folder)
        FormatText(out, size, "%%STARTMENU%%\\%s", folder);
    else
        CopyText(out, size, "%STARTMENU%");
    return true;
}
