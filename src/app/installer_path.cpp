#include "app/installer_path.h"

#include <string.h>

#include "app/installer_path_hook.h"
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
    // A path that fills the buffer was cut (and Windows XP leaves it unterminated then).
    DWORD length = GetModuleFileNameA(module, out, size);
    if (length == 0 || length >= size) {
        out[0] = '\0';
        return false;
    }
    out[length] = '\0';
    return true;
}
