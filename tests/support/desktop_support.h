#pragma once
// Helpers for the tests of the desktop actions, the service registration and the uninstall
// entry: log lines, held files, file times and saved shortcuts.
#include <windows.h>

#include <string>
#include <vector>

#include "support/test_support.h"

// The entry lines of an install log, without the three header lines and line feeds.
std::vector<std::string> LogEntries(const std::string& logPath);
// The three header lines of an install log.
std::vector<std::string> LogHeader(const std::string& logPath);

// Waits until another process holds the file open without sharing.
bool WaitUntilHeld(const std::string& path, DWORD timeoutMs);

// holdfile.exe holding a file open with share mode 0; ends (killed) at destruction.
class HeldFile {
  public:
    // False when the stand-in did not start or did not take the file in time.
    bool Hold(const std::string& path);
    void Release();

  private:
    ChildProcess holder_;
};

bool SetLastWriteTime(const std::string& path, const FILETIME& time);
bool GetLastWriteTime(const std::string& path, FILETIME* time);
DWORD Attributes(const std::string& path);

struct SavedShortcut {
    std::string path;
    std::string arguments;
    std::string description;
    std::string iconPath;
    int iconIndex = 0;
};
// Loads a saved link through the shell link object; false when it cannot be loaded.
bool ReadShortcut(const std::string& linkPath, SavedShortcut* link);

// Waits for this process's child processes to end; those still running after timeoutMs are
// ended. False when any had to be ended.
bool EndChildProcesses(DWORD timeoutMs);

// Deletes one value of a registry key (a RunOnce value, for instance).
void DeleteRegistryValue(HKEY root, const std::string& key, const char* name);
