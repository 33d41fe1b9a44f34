#pragma once
// Helpers for tests that run under Wine: scratch folders, files, child processes and the windows
// of other processes. Every wait is bounded.
#include <windows.h>

#include <string>
#include <vector>

// Folder of the running test program (the build's bin folder), without trailing backslash.
std::string TestBinFolder();
// Path of a file in the bin folder.
std::string BinPath(const char* relative);

// The Windows folder, the system folder and a shell folder (CSIDL_...); empty when unknown.
std::string WindowsFolder();
std::string SystemFolder();
std::string ShellFolder(int folderNumber);

bool FileExists(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
// The lines of a text, split at each separator; a last line without one counts too.
std::vector<std::string> SplitLines(const std::string& text, const std::string& separator);
// Removes a file or a whole folder tree, clearing read-only attributes on the way.
void RemoveTree(const std::string& path);

// A fresh folder under the temporary folder, removed with everything in it at destruction.
class TempFolder {
  public:
    explicit TempFolder(const char* tag = "orvex");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

// An environment variable for the programs started while the object lives; its old value comes
// back at the end.
class EnvironmentValue {
  public:
    EnvironmentValue(const char* name, const std::string& value);
    ~EnvironmentValue();
    EnvironmentValue(const EnvironmentValue&) = delete;
    EnvironmentValue& operator=(const EnvironmentValue&) = delete;

  private:
    const char* name_;
    bool hadValue_ = false;
    std::string old_;
};

// A file or folder at a fixed place outside the scratch folders (the system folder, the bin
// folder, Program Files): removed before use, if an earlier run left it, and at destruction, so
// that a failed test does not fail every later run too.
class FixedPlace {
  public:
    explicit FixedPlace(const std::string& path) : path_(path) { RemoveTree(path_); }
    ~FixedPlace() { RemoveTree(path_); }
    FixedPlace(const FixedPlace&) = delete;
    FixedPlace& operator=(const FixedPlace&) = delete;
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// Sets a test seam (a hook or a process-wide flag) for one scope and puts its earlier value back
// at destruction, so that a failed assertion cannot leave it set for later tests.
template <typename T> class SeamGuard {
  public:
    SeamGuard(T& seam, T value) : seam_(seam), saved_(seam) { seam_ = value; }
    ~SeamGuard() { seam_ = saved_; }
    SeamGuard(const SeamGuard&) = delete;
    SeamGuard& operator=(const SeamGuard&) = delete;

  private:
    T& seam_;
    T saved_;
};

// Makes a folder the current one and restores the previous one at destruction.
class CurrentFolder {
  public:
    explicit CurrentFolder(const std::string& path) {
        previous_[0] = '\0';
        GetCurrentDirectoryA(sizeof(previous_), previous_);
        SetCurrentDirectoryA(path.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryA(previous_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

  private:
    char previous_[MAX_PATH];
};

// A registry key removed with all its subkeys at destruction (and before use, if left over).
class TempRegistryKey {
  public:
    TempRegistryKey(HKEY root, const std::string& path);
    ~TempRegistryKey();
    TempRegistryKey(const TempRegistryKey&) = delete;
    TempRegistryKey& operator=(const TempRegistryKey&) = delete;
    const std::string& Path() const { return path_; }

  private:
    HKEY root_;
    std::string path_;
};
void DeleteRegistryTree(HKEY root, const std::string& path);
// Reads a string value; returns false when absent.
bool ReadRegistryValue(HKEY root, const std::string& key, const char* name, std::string* value);

// A child process that is killed at destruction if it still runs.
class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::string& commandLine, const char* folder = nullptr);
    // Takes a process this one did not start (a program a package started).
    bool Attach(DWORD processId);
    // True when the process ended within the time; exitCode receives its code.
    bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
    bool Running() const;
    void Kill();
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }

  private:
    PROCESS_INFORMATION info_{};
};

// Runs a command line and waits for it; returns its exit code, or -1 when it could not start or
// did not end within the time (it is then killed).
long RunAndWait(const std::string& commandLine, DWORD timeoutMs = 60000);

// Visible top-level windows of a process (0: of any process) whose class matches (null: any
// class).
std::vector<HWND> TopWindowsOf(DWORD processId, const char* className = nullptr);
// Waits until the process shows a visible top-level window of the class; null on time-out.
HWND WaitForTopWindow(DWORD processId, const char* className, DWORD timeoutMs);
// Waits for a message box (dialog class #32770 with a static 65535) of the process.
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs);
std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);
// The text of a message box.
std::string MessageBoxText(HWND box);
// Presses a button of a dialog (BM_CLICK posted, so a modal reaction cannot block the test).
bool PressButton(HWND dialog, int id);
// Waits until the window is gone.
bool WaitWindowGone(HWND window, DWORD timeoutMs);
// Pumps this thread's messages while sleeping.
void SleepPumping(DWORD ms);
