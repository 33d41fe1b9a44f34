#include "app/uninstall_entry.h"

#include <new>
#include <stdlib.h>
#include <string.h>

#include <memory>

#include "app/earlier_installation.h"
#include "app/installer_path.h"
#include "log/log_format.h"
#include "resources/resource_ids.h"
#include "script/setup_script.h"
#include "system/digest.h"
#include "system/file_probe.h"
#include "system/system_libraries.h"
#include "system/message_box.h"
#include "system/path_macros.h"
#include "system/registry.h"
#include "system/text.h"
#include "system/whole_file.h"
#include "uninstall/log_trust.h"
#include "system/win_handles.h"
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
    if (!PlaceInstallerCopy(installerPath, copyPath, sizeof(copyPath)))
        return false;
    CopyText(context.installerCopy, sizeof(context.installerCopy), copyPath);

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
        {"DisplayName", context.productTitle},  {"DisplayIcon", icon},
        {"UninstallString", command},           {"QuietUninstallString", quietCommand},
        {"Publisher", script->company},         {"InstallLocation", context.destPath},
        {"URLInfoAbout", script->webPage},      {"DisplayVersion", script->version},
        {LOG_DIGEST_VALUE, LOG_DIGEST_PENDING},
    };
    for (const auto& value : values) {
        // A later run into the same entry may have dropped a value: the old one would be stale.
        if (value.text[0] == '\0')
            RemoveRegistryValue(HKEY_LOCAL_MACHINE, key, value.name);
        else if (!WriteRegistryString(HKEY_LOCAL_MACHINE, key, value.name, value.text))
            return false;
    }
    return WriteRegistryNumber(HKEY_LOCAL_MACHINE, key, "NoModify", 1) &&
           WriteRegistryNumber(HKEY_LOCAL_MACHINE, key, "NoRepair", 1) &&
           WriteRegistryNumber(HKEY_LOCAL_MACHINE, key, SHORTCUTS_VALUE, ShortcutsGoToAllUsers());
}

namespace {
// One question per file where Windows can answer it (not Windows 95): a search for each of a
// thousand files costs the install a tenth of a second under Wine.
typedef decltype(Kernel32Functions::GetFileAttributesExA) AttributesQuery;

// The reader names its product in the captions: this run's captions stay as they are.
void ReadRunLog(const InstallContext& context, UninstallLog* log) {
    const char* caption = captionTitle;
    ReadUninstallLog(context.fileName, log, nullptr, context.fileHandle.Get());
    captionTitle = caption;
}

int ComparePaths(const void* a, const void* b) {
    return strcmp(*static_cast<const char* const*>(a), *static_cast<const char* const*>(b));
}

// The paths of the log's copied files, sorted: a file that later runs copied again stands next
// to its earlier copies, however long the log. Null when memory ran out.
const char** SortCopiedPaths(const UninstallLog& log, int32_t* count) {
    *count = 0;
    const char** paths = new (std::nothrow) const char*[log.EntryCount() + 1];
    for (int32_t index = 0; paths && index < log.EntryCount(); ++index) {
        if (log.Entry(index)->kind == LOG_FILE_COPY)
            paths[(*count)++] = log.Entry(index)->path;
    }
    if (paths)
        qsort(paths, *count, sizeof(const char*), ComparePaths);
    return paths;
}

// The bytes of the sorted paths' files, each counted once.
unsigned long long MeasureFiles(const char* const* paths, int32_t count, AttributesQuery query) {
    unsigned long long bytes = 0;
    for (int32_t index = 0; index < count; ++index) {
        if (index > 0 && strcmp(paths[index - 1], paths[index]) == 0)
            continue;
        DWORD high = 0;
        DWORD low = 0;
        if (query) {
            WIN32_FILE_ATTRIBUTE_DATA attributes;
            if (!query(paths[index], GetFileExInfoStandard, &attributes))
                continue;
            high = attributes.nFileSizeHigh;
            low = attributes.nFileSizeLow;
        } else {
            WIN32_FIND_DATAA found;
            if (!ProbeFile(paths[index], &found))
                continue;
            high = found.nFileSizeHigh;
            low = found.nFileSizeLow;
        }
        bytes += (static_cast<unsigned long long>(high) << 32) | low;
    }
    return bytes;
}

void WriteEstimatedSize(const InstallContext& context, unsigned long long bytes) {
    char key[MAX_PATH];
    FormUninstallKey(context.productTitle, key, sizeof(key));
    // Windows reads the size in kilobytes.
    WriteRegistryNumber(HKEY_LOCAL_MACHINE, key, "EstimatedSize",
                        static_cast<DWORD>((bytes + 1023) / 1024));
}
} // namespace

void AddInstalledSize(InstallContext& context) {
    AttributesQuery query = Kernel32().GetFileAttributesExA;
    UninstallLog log;
    ReadRunLog(context, &log);
    int32_t count = 0;
    std::unique_ptr<const char*[]> paths(SortCopiedPaths(log, &count));
    WriteEstimatedSize(context, MeasureFiles(paths.get(), count, query));
}

void MarkLogPending(const InstallContext& context) {
    char key[MAX_PATH];
    FormUninstallKey(context.productTitle, key, sizeof(key));
    // ReadRegistryString keeps a byte back: a digest and its zero must fit beside it.
    char digest[DIGEST_TEXT_SIZE + 1];
    if (ReadRegistryString(HKEY_LOCAL_MACHINE, key, LOG_DIGEST_VALUE, digest, sizeof(digest)))
        WriteRegistryString(HKEY_LOCAL_MACHINE, key, LOG_DIGEST_VALUE, LOG_DIGEST_PENDING);
}

void SealInstallLog(const InstallContext& context) {
    std::unique_ptr<char[]> bytes;
    DWORD size = 0;
    char digest[DIGEST_TEXT_SIZE];
    // Without a digest the entry keeps "pending", which the removal trusts as an interrupted run.
    if (ReadWholeHandle(context.fileHandle.Get(), 0, &bytes, &size) != WHOLE_FILE_READ ||
        !DigestText(bytes.get(), size, 0, digest, sizeof(digest)))
        return;
    char key[MAX_PATH];
    FormUninstallKey(context.productTitle, key, sizeof(key));
    WriteRegistryString(HKEY_LOCAL_MACHINE, key, LOG_DIGEST_VALUE, digest);
}

namespace {
// A saved value: its name's length and the name with its zero, the type, the data's length, the
// data.
struct SavedValueHead {
    DWORD nameLength;
    DWORD type;
    DWORD dataLength;
};
} // namespace

bool SavedEntry::Save(const char* productTitle) {
    FormUninstallKey(productTitle, key, sizeof(key));
    data.reset();
    size = 0;
    RegKey opened;
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, opened.Receive()) != ERROR_SUCCESS ||
        RegQueryInfoKeyA(opened.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    DWORD room = count * (sizeof(SavedValueHead) + longestName + 1 + longestData);
    data.reset(new (std::nothrow) BYTE[room + 1]);
    if (!data)
        return false;
    for (DWORD index = 0; index < count; ++index) {
        SavedValueHead head;
        BYTE* at = data.get() + size;
        char* name = reinterpret_cast<char*>(at + sizeof(head));
        head.nameLength = longestName + 1;
        head.dataLength = longestData;
        BYTE* value = at + sizeof(head) + longestName + 1;
        if (RegEnumValueA(opened.Get(), index, name, &head.nameLength, nullptr, &head.type, value,
                          &head.dataLength) != ERROR_SUCCESS)
            return false;
        // Packed: the data follows the name directly.
        memmove(name + head.nameLength + 1, value, head.dataLength);
        memcpy(at, &head, sizeof(head));
        size += sizeof(head) + head.nameLength + 1 + head.dataLength;
    }
    return true;
}

void SavedEntry::Restore() const {
    RegKey opened;
    if (!data ||
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, opened.Receive(), nullptr) != ERROR_SUCCESS)
        return;
    char name[MAX_PATH];
    DWORD length = sizeof(name);
    while (RegEnumValueA(opened.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS &&
           RegDeleteValueA(opened.Get(), name) == ERROR_SUCCESS)
        length = sizeof(name);
    for (DWORD at = 0; at < size;) {
        SavedValueHead head;
        memcpy(&head, data.get() + at, sizeof(head));
        const char* valueName = reinterpret_cast<const char*>(data.get() + at + sizeof(head));
        RegSetValueExA(opened.Get(), valueName, 0, head.type,
                       data.get() + at + sizeof(head) + head.nameLength + 1, head.dataLength);
        at += sizeof(head) + head.nameLength + 1 + head.dataLength;
    }
}
