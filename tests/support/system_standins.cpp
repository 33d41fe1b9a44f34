#include "support/system_standins.h"

#include <stdio.h>
#include <tlhelp32.h>

#include <thread>
#include <vector>

#include "support/test_support.h"

const char CEAPPMGR_APP_PATHS_KEY[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAppMgr.exe";
const char TEST_COM_MARKER_KEY[] = "Software\\OrvexTests\\Registered";

std::string StandInPath(const char* relative) {
    return BinPath("fakes") + "\\" + relative;
}

bool CopyActiveSyncStandIns(const std::string& folder) {
    return CopyFileA(StandInPath("activesync\\CEAppMgr.exe").c_str(),
                     (folder + "\\CEAppMgr.exe").c_str(), FALSE) &&
           CopyFileA(StandInPath("activesync\\wcesmgr.exe").c_str(),
                     (folder + "\\wcesmgr.exe").c_str(), FALSE);
}

std::string WcesmgrRecord(const std::string& folder) {
    return ReadFileBytes(folder + "\\wcesmgr.record");
}

bool WaitForWcesmgrRecord(const std::string& folder, const std::string& text, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (WcesmgrRecord(folder).find(text) == std::string::npos) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

std::string TestComServerPath() {
    return StandInPath("testcom\\OrvexTestCom.dll");
}

std::string NewerTestComServerPath() {
    return StandInPath("testcom\\OrvexTestCom2.dll");
}

bool TestComServerRegistered(const std::string& dllPath) {
    std::string value;
    return ReadRegistryValue(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY, dllPath.c_str(), &value);
}

std::vector<DWORD> ChildProcessIds(DWORD parentId) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return children;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        // Wine starts its desktop process (explorer.exe) from the first program that needs the
        // desktop window, which may be the test itself; it is no program the test started.
        if (entry.th32ParentProcessID == parentId && entry.th32ProcessID != parentId &&
            lstrcmpiA(entry.szExeFile, "explorer.exe") != 0)
            children.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return children;
}

namespace {
BOOL CALLBACK CloseOwnWindow(HWND window, LPARAM) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == GetCurrentProcessId() && IsWindowVisible(window))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}
} // namespace

bool CallWithDeadline(DWORD timeoutMs, const std::function<void()>& call) {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread worker([&call, done] {
        call();
        SetEvent(done);
    });
    bool inTime = WaitForSingleObject(done, timeoutMs) == WAIT_OBJECT_0;
    // Release the call: end the programs it waits for and close any box it shows.
    for (int round = 0; !inTime && round < 100; ++round) {
        for (DWORD id : ChildProcessIds(GetCurrentProcessId())) {
            HANDLE child = OpenProcess(PROCESS_TERMINATE, FALSE, id);
            if (child) {
                TerminateProcess(child, 255);
                CloseHandle(child);
            }
        }
        EnumWindows(CloseOwnWindow, 0);
        if (WaitForSingleObject(done, 100) == WAIT_OBJECT_0)
            break;
    }
    if (WaitForSingleObject(done, 0) == WAIT_OBJECT_0) {
        worker.join();
        CloseHandle(done);
    } else {
        // Still stuck, with the call's references into this frame: nothing after it in this
        // program could be trusted, so the program ends here with a clear message.
        fprintf(stderr, "a call did not end even after its programs and boxes were closed\n");
        fflush(stderr);
        ExitProcess(4);
    }
    return inTime;
}

bool WaitForChildProcessesGone(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!ChildProcessIds(GetCurrentProcessId()).empty()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

RegistryValueGuard::RegistryValueGuard(HKEY root, const std::string& key, const char* name)
    : root_(root), key_(key), name_(name ? name : ""), existed_(false) {
    existed_ = ReadRegistryValue(root_, key_, name, &saved_);
}

RegistryValueGuard::~RegistryValueGuard() {
    if (existed_)
        Set(saved_);
    else
        Remove();
}

bool RegistryValueGuard::Set(const std::string& text) {
    HKEY key;
    if (RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, name_.empty() ? nullptr : name_.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool RegistryValueGuard::Remove() {
    HKEY key;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return true;
    LONG status = RegDeleteValueA(key, name_.empty() ? nullptr : name_.c_str());
    RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}
