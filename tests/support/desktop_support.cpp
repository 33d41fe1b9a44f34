#include "support/desktop_support.h"

#include <objbase.h>
#include <shlobj.h>

#include "support/system_standins.h"
#include "system/shell_link_ids.h"

namespace {

std::vector<std::string> LogLines(const std::string& logPath) {
    return SplitLines(ReadFileBytes(logPath), "\n");
}

} // namespace

std::vector<std::string> LogEntries(const std::string& logPath) {
    std::vector<std::string> lines = LogLines(logPath);
    if (lines.size() <= 3)
        return {};
    return std::vector<std::string>(lines.begin() + 3, lines.end());
}

std::vector<std::string> LogHeader(const std::string& logPath) {
    std::vector<std::string> lines = LogLines(logPath);
    if (lines.size() > 3)
        lines.resize(3);
    return lines;
}

bool WaitUntilHeld(const std::string& path, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
            return true;
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
}

bool HeldFile::Hold(const std::string& path) {
    if (!holder_.Start("\"" + BinPath("holdfile.exe") + "\" 300 " + path))
        return false;
    return WaitUntilHeld(path, 20000);
}

void HeldFile::Release() {
    holder_.Kill();
}

bool SetLastWriteTime(const std::string& path, const FILETIME& time) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BOOL ok = SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return ok != FALSE;
}

bool GetLastWriteTime(const std::string& path, FILETIME* time) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    *time = found.ftLastWriteTime;
    return true;
}

DWORD Attributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

bool ReadShortcut(const std::string& linkPath, SavedShortcut* link) {
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(shellLinkClass, nullptr, CLSCTX_INPROC_SERVER, shellLinkInterface,
                                reinterpret_cast<void**>(&shellLink))))
        return false;
    IPersistFile* persist = nullptr;
    bool loaded = false;
    if (SUCCEEDED(
            shellLink->QueryInterface(persistFileInterface, reinterpret_cast<void**>(&persist)))) {
        WCHAR widePath[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH);
        if (SUCCEEDED(persist->Load(widePath, STGM_READ))) {
            char text[1024];
            text[0] = '\0';
            shellLink->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
            link->path = text;
            text[0] = '\0';
            shellLink->GetArguments(text, sizeof(text));
            link->arguments = text;
            text[0] = '\0';
            shellLink->GetDescription(text, sizeof(text));
            link->description = text;
            text[0] = '\0';
            int index = 0;
            shellLink->GetIconLocation(text, MAX_PATH, &index);
            link->iconPath = text;
            link->iconIndex = index;
            loaded = true;
        }
        persist->Release();
    }
    shellLink->Release();
    return loaded;
}

void DeleteRegistryValue(HKEY root, const std::string& key, const char* name) {
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(opened, name);
    RegCloseKey(opened);
}

bool EndChildProcesses(DWORD timeoutMs) {
    // The deadline ends every child still running, which lets the inner wait return.
    return CallWithDeadline(timeoutMs, [] { WaitForChildProcessesGone(600000); });
}
