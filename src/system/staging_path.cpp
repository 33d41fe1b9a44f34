#include "system/staging_path.h"

#include <string.h>

#include "system/registry.h"
#include "system/text.h"

bool FormStagingPath(const char* targetPath, char* out, size_t outSize) {
    if (!out || outSize == 0)
        return false;
    out[0] = '\0';
    if (!targetPath || !*targetPath)
        return false;
    size_t length = strlen(targetPath);
    if (length >= outSize)
        return false;
    // The last character may be a double-byte one; both of its bytes give way to the "_".
    size_t last = 0;
    for (size_t i = 0; i < length;) {
        last = i;
        i += (IsLeadByte(targetPath[i]) && i + 1 < length) ? 2 : 1;
    }
    if (targetPath[last] == '_' && last + 1 == length)
        return false;
    CopyTextN(out, outSize, targetPath, last);
    AppendText(out, outSize, "_");
    return true;
}

void FormRunOnceName(const char* targetPath, char* out, size_t outSize) {
    FormatText(out, outSize, "Install %s", FileNamePart(targetPath));
}

void FormRunOnceCommand(const char* installerPath, const char* targetPath, char* out,
                        size_t outSize) {
    FormatText(out, outSize, "\"%s\" -register%s", installerPath, targetPath);
}

namespace {
// Whether a RunOnce command is the one formed for targetPath, whichever installer formed it.
bool CommandRegisters(const char* command, const char* targetPath) {
    size_t length = strlen(command);
    size_t tail = strlen(targetPath);
    return length >= tail && EqualNoCase(command + length - tail, targetPath);
}
} // namespace

void CancelDeferredRegistration(const char* targetPath) {
    // An unusable target gives an empty staging path, which names no file.
    char path[MAX_PATH];
    FormStagingPath(targetPath, path, sizeof(path));
    DeleteFileA(path);
    char name[MAX_PATH + 16];
    FormRunOnceName(targetPath, name, sizeof(name));
    // Another product's server of the same file name may be waiting under the same name.
    char command[2 * MAX_PATH + 16];
    if (!ReadRegistryString(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY_PATH, name, command, sizeof(command)))
        return;
    if (CommandRegisters(command, targetPath))
        RemoveRegistryValue(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY_PATH, name);
}
