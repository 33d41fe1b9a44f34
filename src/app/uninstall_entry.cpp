#include "app/uninstall_entry.h"

#include <new>
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

namespace {

void FormEntryKey(const InstallContext& context, char* key, size_t size) {
    FormatText(key, size, "%s\\%s", UNINSTALL_KEY_PARENT, context.productTitle);
}

} // namespace

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
    FormEntryKey(context, key, sizeof(key));
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
        if (value.text[0] != '\0' &&
            !WriteRegistryString(HKEY_LOCAL_MACHINE, key, value.name, value.text))
            return false;
    }
    return WriteRegistryNumber(HKEY_LOCAL_MACHINE, key, "NoModify", 1) &&
           WriteRegistryNumber(HKEY_LOCAL_MACHINE, key, "NoRepair", 1);
}

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
        for (int32_t index = 0; index < log.EntryCount(); ++index) {
            const LogEntry* entry = log.Entry(index);
            // The attributes, times and size lead both records.
            WIN32_FIND_DATAA found;
            if (entry->kind != LOG_FILE_COPY ||
                !(attributesOf ? attributesOf(entry->path, GetFileExInfoStandard, &found)
                               : ProbeFile(entry->path, &found)))
                continue;
            // A file that later runs copied again counts once. Any earlier entry of the same path
            // is its copy: a registration is logged after the copy it registers.
            int32_t earlier = 0;
            while (earlier < index && strcmp(log.Entry(earlier)->path, entry->path) != 0)
                ++earlier;
            if (earlier == index)
                bytes += (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) |
                         found.nFileSizeLow;
        }
    }
    captionTitle = caption;
    char key[MAX_PATH];
    FormEntryKey(context, key, sizeof(key));
    // Windows reads the size in kilobytes.
    WriteRegistryNumber(HKEY_LOCAL_MACHINE, key, "EstimatedSize",
                        static_cast<DWORD>((bytes + 1023) / 1024));
}
