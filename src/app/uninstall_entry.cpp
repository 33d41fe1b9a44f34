#include "app/uninstall_entry.h"

#include <new>
#include <stdlib.h>
#include <string.h>

#include <memory>

#include "app/desktop_actions.h"
#include "app/installer_path.h"
#include "log/log_format.h"
#include "resources/resource_ids.h"
#include "script/setup_script.h"
#include "system/file_probe.h"
#include "system/library_binding.h"
#include "system/message_box.h"
#include "system/registry.h"
#include "system/text.h"
#include "uninstall/uninstall_log.h"

void FormUninstallKey(const char* productTitle, char* key, size_t size) {
    FormatText(key, size, "%s\\%s", UNINSTALL_KEY_PARENT, productTitle);
}

bool WriteUninstallEntry(InstallContext& context) {
    const SetupScript* script = context.script;
    // Without a log (no title, whose key name would be the Uninstall key itself, or a
    // destination that names no folder) the entry could only show the uninstaller's refusal.
    if (context.fileName[0] == '\0')
        return false;
    char installerPath[MAX_PATH];
    if (!GetInstallerPath(nullptr, installerPath, sizeof(installerPath)))
        return false;
    const char* slash = FindLastChar(installerPath, '\\');
    if (!slash)
        return false;
    // The run's scratch paths belong to the action whose entry opened the log: not touched here.
    char copyItem[MAX_PATH];
    FormatText(copyItem, sizeof(copyItem), "%%WINDOWS%%%s", slash);
    char copyPath[MACRO_EXPANSION_ROOM];
    context.Expand(copyItem, copyPath, sizeof(copyPath));
    // An empty copy path fails the copy below.
    if (strlen(copyPath) >= MAX_PATH)
        return false;
    // An installer started from the Windows folder is its own copy: deleting it would lose it.
    // A copy made from read-only media keeps the attribute, which would make the next run's
    // delete and copy fail.
    if (!EqualNoCase(installerPath, copyPath)) {
        if (ClearReadOnly(copyPath))
            DeleteFileA(copyPath);
        if (!CopyFileA(installerPath, copyPath, FALSE))
            return false;
        ClearReadOnly(copyPath);
    }

    char key[MAX_PATH];
    FormUninstallKey(context.productTitle, key, sizeof(key));
    char icon[MAX_PATH + 16];
    FormatText(icon, sizeof(icon), "%s,-%d", copyPath, IDI_UNINSTALL);
    char command[2 * MAX_PATH + 16];
    FormatText(command, sizeof(command), "%s -uninst%s", copyPath, context.fileName);
    char quietCommand[2 * MAX_PATH + 16];
    FormatText(quietCommand, sizeof(quietCommand), "%s /S -uninst%s", copyPath, context.fileName);
    const struct {
        const char* name;
        const char* text;
    } values[] = {
        {"DisplayName", context.productTitle}, {"DisplayIcon", icon},
        {"UninstallString", command},          {"QuietUninstallString", quietCommand},
        {"Publisher", script->company},        {"InstallLocation", context.destPath},
        {"URLInfoAbout", script->webPage},     {"DisplayVersion", script->version},
    };
    for (const auto& value : values) {
        // A later run into the same entry may have dropped a value: the old one would be stale.
        if (value.text[0] == '\0')
            RemoveRegistryValue(HKEY_LOCAL_MACHINE, key, value.name);
        else if (!WriteRegistryString(HKEY_LOCAL_MACHINE, key, value.name, value.text))
            return false;
    }
    return WriteRegistryNumber(HKEY_LOCAL_MACHINE, key, "NoModify", 1) &&
           WriteRegistryNumber(HKEY_LOCAL_MACHINE, key, "NoRepair", 1);
}

namespace {
int ComparePaths(const void* a, const void* b) {
    return strcmp(*static_cast<const char* const*>(a), *static_cast<const char* const*>(b));
}
} // namespace

void AddInstalledSize(InstallContext& context) {
    // One question per file where Windows can answer it (not Windows 95): a search for each of
    // a thousand files costs the install a tenth of a second under Wine.
    BOOL(WINAPI * attributesOf)(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
    BindProc(GetModuleHandleA("kernel32.dll"), "GetFileAttributesExA", attributesOf);
    unsigned long long bytes = 0;
    // The reader names its product in the captions: this run's captions stay as they are.
    const char* caption = captionTitle;
    {
        UninstallLog log;
        ReadUninstallLog(context.fileName, &log);
        // Sorted, a file that later runs copied again stands next to its earlier copies and
        // counts once, however long the log.
        std::unique_ptr<const char*[]> paths(new (std::nothrow) const char*[log.EntryCount() + 1]);
        int32_t count = 0;
        for (int32_t index = 0; paths && index < log.EntryCount(); ++index) {
            if (log.Entry(index)->kind == LOG_FILE_COPY)
                paths[count++] = log.Entry(index)->path;
        }
        qsort(paths.get(), count, sizeof(const char*), ComparePaths);
        for (int32_t index = 0; index < count; ++index) {
            // The attributes, times and size lead both records.
            WIN32_FIND_DATAA found;
            if ((index > 0 && strcmp(paths[index - 1], paths[index]) == 0) ||
                !(attributesOf ? attributesOf(paths[index], GetFileExInfoStandard, &found)
                               : ProbeFile(paths[index], &found)))
                continue;
            bytes +=
                (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        }
    }
    captionTitle = caption;
    char key[MAX_PATH];
    FormUninstallKey(context.productTitle, key, sizeof(key));
    // Windows reads the size in kilobytes.
    WriteRegistryNumber(HKEY_LOCAL_MACHINE, key, "EstimatedSize",
                        static_cast<DWORD>((bytes + 1023) / 1024));
}
