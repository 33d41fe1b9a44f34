#pragma once
// Helpers around the stand-ins under tests/fakes (ActiveSync's programs, the test COM server)
// and around calls that start programs and wait for them without a time limit.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Path of a stand-in built into bin\fakes, e.g. StandInPath("activesync\\wcesmgr.exe").
std::string StandInPath(const char* relative);

// Copies CEAppMgr.exe and wcesmgr.exe into folder (which must exist).
bool CopyActiveSyncStandIns(const std::string& folder);
extern const char CEAPPMGR_APP_PATHS_KEY[]; // under HKEY_LOCAL_MACHINE
// What wcesmgr.exe recorded in folder: "start <args>\n" and "end <args>\n" per run.
std::string WcesmgrRecord(const std::string& folder);
// Waits until the record in folder contains text; false on time-out.
bool WaitForWcesmgrRecord(const std::string& folder, const std::string& text, DWORD timeoutMs);

// The processes that the given one started and that still run, but Wine's desktop process.
std::vector<DWORD> ChildProcessIds(DWORD parentId);

// The test COM server and the marker its DllRegisterServer writes for its own path.
std::string TestComServerPath();
// The same server with a newer version resource (2.0.0.0 against 1.0.0.0).
std::string NewerTestComServerPath();
extern const char TEST_COM_MARKER_KEY[]; // under HKEY_CURRENT_USER
bool TestComServerRegistered(const std::string& dllPath);

// Runs call on a helper thread. When it has not returned after timeoutMs, the result is false
// and the call is released: every child process of this test process is ended and every window
// of this process is asked to close, for up to ten seconds; a call still stuck ends the test
// program with a message, since it still refers to the caller's frame.
bool CallWithDeadline(DWORD timeoutMs, const std::function<void()>& call);
// Waits until this process has no child processes left; false on time-out.
bool WaitForChildProcessesGone(DWORD timeoutMs);

// Saves a string value at construction and puts it back (or removes it, when there was none)
// at destruction.
class RegistryValueGuard {
  public:
    RegistryValueGuard(HKEY root, const std::string& key, const char* name);
    ~RegistryValueGuard();
    RegistryValueGuard(const RegistryValueGuard&) = delete;
    RegistryValueGuard& operator=(const RegistryValueGuard&) = delete;
    bool Set(const std::string& text);
    bool Remove();

  private:
    HKEY root_;
    std::string key_;
    std::string name_;
    bool existed_;
    std::string saved_;
};
