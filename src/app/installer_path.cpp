#include "app/installer_path.h"

#include <string.h>

#include "app/installer_path_hook.h"
#include "system/module_path.h"
#include "system/text.h"

const char* installerPathOverride = nullptr;

bool GetInstallerPath(HMODULE module, char* out, DWORD size) {
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    if (installerPathOverride) {
        if (CopyText(out, size, installerPathOverride) == strlen(installerPathOverride))
            return true;
        out[0] = '\0';
        return false;
    }
    return GetModulePath(module, out, size);
}
