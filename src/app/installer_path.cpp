#include "app/installer_path.h"

#include <string.h>

#include "app/desktop_actions.h"
#include "app/installer_path_hook.h"
#include "system/file_version.h"
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

namespace {
const char PRODUCT_NAME[] = "Orvex Install Wizard";
const int LAST_NUMBERED_COPY = 99;

enum CopySlot { SLOT_FREE, SLOT_OURS, SLOT_OURS_NEWER, SLOT_FOREIGN };

CopySlot JudgeSlot(const char* path, uint64_t ownVersion) {
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return SLOT_FREE;
    // Builds of ours from before the version resource cannot be told from other programs.
    FileVersionInfo info;
    if (!ReadFileVersion(path, &info) || strcmp(info.productName, PRODUCT_NAME) != 0)
        return SLOT_FOREIGN;
    return info.version > ownVersion ? SLOT_OURS_NEWER : SLOT_OURS;
}

bool ReplaceCopy(const char* installerPath, const char* copyPath) {
    // A copy made from read-only media keeps the attribute, which would make the next run's
    // delete and copy fail.
    if (ClearReadOnly(copyPath))
        DeleteFileA(copyPath);
    if (!CopyFileA(installerPath, copyPath, FALSE))
        return false;
    ClearReadOnly(copyPath);
    return true;
}
} // namespace

bool PlaceInstallerCopy(const char* installerPath, char* copyPath, size_t size) {
    const char* name = FileNamePart(copyPath);
    const char* dot = FindLastChar(name, '.');
    size_t stem = dot ? static_cast<size_t>(dot - copyPath) : strlen(copyPath);
    FileVersionInfo own;
    ReadFileVersion(installerPath, &own);
    char candidate[MAX_PATH];
    for (int number = 0; number <= LAST_NUMBERED_COPY; ++number) {
        if (number == 0) {
            CopyText(candidate, sizeof(candidate), copyPath);
        } else {
            char suffix[16];
            FormatText(suffix, sizeof(suffix), "%d.exe", number);
            if (stem + strlen(suffix) >= sizeof(candidate))
                return false;
            CopyTextN(candidate, sizeof(candidate), copyPath, stem);
            AppendText(candidate, sizeof(candidate), suffix);
        }
        // An installer started from its copy would delete itself.
        bool itself = EqualNoCase(installerPath, candidate);
        CopySlot slot = itself ? SLOT_OURS_NEWER : JudgeSlot(candidate, own.version);
        if (slot == SLOT_FOREIGN)
            continue;
        if (slot != SLOT_OURS_NEWER && !ReplaceCopy(installerPath, candidate))
            return false;
        return CopyText(copyPath, size, candidate) == strlen(candidate);
    }
    return false;
}
