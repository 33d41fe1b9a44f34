#pragma once
#include <windows.h>

// Writer of _Install.log. The install context derives from it and fills its fields.
class InstallLog {
  public:
    explicit InstallLog(const char* logFileName);
    virtual ~InstallLog();
    InstallLog(const InstallLog&) = delete;
    InstallLog& operator=(const InstallLog&) = delete;

    // keyword is one of the logKeywords texts; value may be null. Failures are silent.
    void WriteEntry(const char* keyword, const char* value);
    HANDLE OpenLog();
    void CloseLog();

    char fileName[MAX_PATH];
    const char* title = nullptr;
    const char* source = nullptr;
    HANDLE fileHandle = INVALID_HANDLE_VALUE;
};
