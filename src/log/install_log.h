#pragma once
#include <stddef.h>
#include <windows.h>

#include "script/ptr_array.h"
#include "system/win_handles.h"

// Writer of _Install.log. The install context derives from it and fills its fields.
class InstallLog {
  public:
    explicit InstallLog(const char* logFileName);
    virtual ~InstallLog();
    InstallLog(const InstallLog&) = delete;
    InstallLog& operator=(const InstallLog&) = delete;

    // keyword is one of the logKeywords texts; value may be null. A line that could not be
    // written whole sets linesLost.
    void WriteEntry(const char* keyword, const char* value);
    // The "Made Dir:" entry of a folder this run made. A folder made before the log's own folder
    // exists (a new parent of the destination) is logged as soon as the log opens, ahead of the
    // entry that opens it, so that the uninstall removes it too.
    void WriteMadeFolder(const char* folder);
    // The open file (created with its header if it did not exist), or INVALID_HANDLE_VALUE.
    HANDLE OpenLog();
    void CloseLog();

    char fileName[MAX_PATH];
    const char* title = nullptr;
    const char* source = nullptr;
    FileHandle fileHandle;
    // Set once an open log took a line (or its header) not whole.
    bool linesLost = false;

  private:
    void WritePendingFolders();
    PtrArray pendingFolders;
};

// One line of the log, each ending in a single line feed; they return the length written.
// A line that would not fit in size is cut before its line feed, never after it.
size_t FormatLogStartedLine(const SYSTEMTIME& utc, char* line, size_t size);
size_t FormatLogTitleLine(const char* title, char* line, size_t size);
size_t FormatLogSourceLine(const char* source, char* line, size_t size);
size_t FormatLogEntryLine(const char* keyword, const char* value, char* line, size_t size);
