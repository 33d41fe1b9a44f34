#pragma once
#include <stdint.h>
#include <windows.h>

#include "script/ptr_array.h"

// One line of _Install.log after the header.
struct LogEntry {
    char path[MAX_PATH];
    // A LogKeywordCode; LOG_NONE for a line without a keyword and for an entry already undone.
    int32_t kind;
};

// A log larger than this is not one the installer wrote (its lines hold at most 292 bytes) and
// is treated as unreadable rather than allocated whole.
const DWORD UNINSTALL_LOG_MAX_SIZE = 16 * 1024 * 1024;
// The progress bar's range is 16 bits wide; lines beyond this count are not read.
const int32_t UNINSTALL_LOG_MAX_ENTRIES = 65535;

// The install log read back for the uninstaller.
class UninstallLog {
  public:
    UninstallLog();
    ~UninstallLog();
    UninstallLog(const UninstallLog&) = delete;
    UninstallLog& operator=(const UninstallLog&) = delete;

    int32_t EntryCount() const { return entries.Count(); }
    LogEntry* Entry(int32_t index) const { return static_cast<LogEntry*>(entries.At(index)); }
    // Back to the state of a log that could not be read.
    void Clear();

    PtrArray entries;
    char logPath[MAX_PATH];
    char sourceFolder[MAX_PATH];
    char title[128];
    bool deleteFailed = false;
};

// Never fails: a log that cannot be read, or whose header does not match, leaves the title,
// folder and entries read up to that point (usually none). A title read becomes captionTitle.
void ReadUninstallLog(const char* path, UninstallLog* log);
// Recognises the keyword that begins line; the rest of the line is trimmed in place and becomes
// the entry's path.
void ParseLogEntry(char* line, LogEntry* entry);
