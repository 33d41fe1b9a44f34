#include "support/test_support.h"

#include <stdio.h>
#include <shlobj.h>

#include "system/text.h"

std::string TestBinFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    char* slash = FindLastChar(path, '\\');
    if (slash)
        *slash = '\0';
    return path;
}

std::string BinPath(const char* relative) {
    return TestBinFolder() + "\\" + relative;
}

std::string WindowsFolder() {
    char folder[MAX_PATH] = "";
    GetWindowsDirectoryA(folder, sizeof(folder));
    return folder;
}

std::string SystemFolder() {
    char folder[MAX_PATH] = "";
    GetSystemDirectoryA(folder, sizeof(folder));
    return folder;
}

std::string ShellFolder(int folderNumber) {
    char folder[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, folder, folderNumber, FALSE);
    return folder;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

std::vector<std::string> SplitLines(const std::string& text, const std::string& separator) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + separator.size();
    }
    return lines;
}

void RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                RemoveTree(path + "\\" + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

TempFolder::TempFolder(const char* tag) {
    char base[MAX_PATH];
    GetTempPathA(sizeof(base), base);
    static unsigned counter = 0;
    char name[MAX_PATH];
    DWORD error = ERROR_ALREADY_EXISTS;
    // Only a name taken by a leftover folder is worth another try.
    for (int attempt = 0; attempt < 1000 && error == ERROR_ALREADY_EXISTS; ++attempt) {
        FormatText(name, sizeof(name), "%s%s-%lu-%u", base, tag, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
        error = GetLastError();
    }
    // Every test relies on its folder; without one the program cannot go on sensibly.
    fprintf(stderr, "cannot make a temporary folder %s (error %lu)\n", name, error);
    fflush(stderr);
    ExitProcess(3);
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

void DeleteRegistryTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        char name[256];
        std::string previous;
        for (;;) {
            DWORD length = sizeof(name);
            if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            // A subkey that would not go comes back first again: give up rather than spin.
            if (previous == name)
                break;
            previous = name;
            DeleteRegistryTree(key, name);
        }
        RegCloseKey(key);
    }
    RegDeleteKeyA(root, path.c_str());
}

bool ReadRegistryValue(HKEY root, const std::string& keyPath, const char* name,
                       std::string* value) {
    HKEY key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char data[4096];
    DWORD size = sizeof(data) - 1;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return false;
    data[size] = '\0';
    // Stored texts carry their terminator; the value itself ends before it.
    *value = std::string(data, (size > 0 && data[size - 1] == '\0') ? size - 1 : size);
    return true;
}

TempRegistryKey::TempRegistryKey(HKEY root, const std::string& path) : root_(root), path_(path) {
    DeleteRegistryTree(root_, path_);
}

TempRegistryKey::~TempRegistryKey() {
    DeleteRegistryTree(root_, path_);
}

EnvironmentValue::EnvironmentValue(const char* name, const std::string& value) : name_(name) {
    char old[MAX_PATH * 4];
    DWORD length = GetEnvironmentVariableA(name, old, sizeof(old));
    hadValue_ = length > 0 && length < sizeof(old);
    if (hadValue_)
        old_ = old;
    SetEnvironmentVariableA(name, value.c_str());
}

EnvironmentValue::~EnvironmentValue() {
    SetEnvironmentVariableA(name_, hadValue_ ? old_.c_str() : nullptr);
}

ChildProcess::~ChildProcess() {
    if (info_.hProcess) {
        if (Running())
            Kill();
        CloseHandle(info_.hProcess);
        if (info_.hThread)
            CloseHandle(info_.hThread);
    }
}

bool ChildProcess::Attach(DWORD processId) {
    if (info_.hProcess)
        return false;
    info_.hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
    info_.dwProcessId = processId;
    return info_.hProcess != nullptr;
}

bool ChildProcess::Start(const std::string& commandLine, const char* folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                          &startup, &info_) != FALSE;
}

bool ChildProcess::Wait(DWORD timeoutMs, DWORD* exitCode) {
    if (!info_.hProcess)
        return false;
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

bool ChildProcess::Running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void ChildProcess::Kill() {
    if (info_.hProcess) {
        TerminateProcess(info_.hProcess, 255);
        WaitForSingleObject(info_.hProcess, 10000);
    }
}

long RunAndWait(const std::string& commandLine, DWORD timeoutMs) {
    ChildProcess child;
    if (!child.Start(commandLine))
        return -1;
    DWORD code = 0;
    if (!child.Wait(timeoutMs, &code))
        return -1;
    return static_cast<long>(code);
}

namespace {
struct WindowSearch {
    DWORD processId;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((search->processId && owner != search->processId) || !IsWindowVisible(window))
        return TRUE;
    if (search->className) {
        char name[128];
        GetClassNameA(window, name, sizeof(name));
        if (lstrcmpiA(name, search->className) != 0)
            return TRUE;
    }
    search->found.push_back(window);
    return TRUE;
}
} // namespace

std::vector<HWND> TopWindowsOf(DWORD processId, const char* className) {
    WindowSearch search{processId, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopWindow(DWORD processId, const char* className, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> windows = TopWindowsOf(processId, className);
        if (!windows.empty())
            return windows.front();
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        SleepPumping(50);
    }
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND window : TopWindowsOf(processId, "#32770")) {
            if (GetDlgItem(window, 0xFFFF))
                return window;
        }
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        SleepPumping(50);
    }
}

std::string WindowText(HWND window) {
    char text[4096];
    text[0] = '\0';
    // WM_GETTEXT reaches controls of other processes, unlike GetWindowText.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    text[sizeof(text) - 1] = '\0';
    return text;
}

std::string ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::string();
}

std::string MessageBoxText(HWND box) {
    return ControlText(box, 0xFFFF);
}

bool PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button && PostMessageA(button, BM_CLICK, 0, 0);
}

bool WaitWindowGone(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        SleepPumping(50);
    }
    return true;
}

void SleepPumping(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < ms);
}
