#pragma once
#include <stdint.h>
#include <windows.h>

#include <memory>

// One line of _Install.log after the header.
struct LogEntry {
    // Points into the log's text, which the UninstallLog keeps; "" when the line names no path.
    const char* path;
    // A LogKeywordCode; LOG_NONE for a line without a keyword and for an entry already undone.
    int32_t kind;
};

// A "Made Dir:" entry whose folder still held the log's folder when the replay reached it; the
// finishing step tries it again once the log is gone.
const int32_t LOG_HELD_FOLDER = -1;
// A file the replay could not delete.
const int32_t LOG_KEPT_FILE = -2;

// A shared file's count in SharedDLLs as this removal leaves it: the count found less one for
// each "File Copy:" entry of the path.
struct SharedCountPlan {
    const char* path; // points into the log's text
    DWORD remaining;
    bool settled; // written to the registry, or deleted at 0; or a count that cannot be read
    DWORD copies;
};

// The install log read back for the uninstaller. The whole file is kept as text and the entries
// point into it, so a log of any length costs its own size and a few bytes per line.
class UninstallLog {
  public:
    UninstallLog();
    ~UninstallLog();
    UninstallLog(const UninstallLog&) = delete;
    UninstallLog& operator=(const UninstallLog&) = delete;

    int32_t EntryCount() const { return entryCount; }
    LogEntry* Entry(int32_t index) const { return &entries[index]; }
    // Back to the state of a log that could not be read.
    void Clear();

    char logPath[MAX_PATH];
    char sourceFolder[MAX_PATH];
    char title[128];
    bool deleteFailed = false;
    // The file exists but could not be read and held whole: none of it may be undone, or part of
    // the product would go together with the log and the uninstall entry that remove the rest.
    bool incomplete = false;
    // The bytes read are not those whose digest the uninstall entry keeps: nothing was taken.
    bool changed = false;
    // The uninstall entry that names this log, when one was looked for and found.
    char entryKey[128];

    // Filled by the replay before its first stage; only files that have a count.
    std::unique_ptr<SharedCountPlan[]> sharedCounts;
    int32_t sharedCountCount = 0;

    std::unique_ptr<char[]> text;
    std::unique_ptr<LogEntry[]> entries;
    int32_t entryCount = 0;
};

// Never fails: a log that cannot be read, or whose header does not match, leaves the title,
// folder and entries read up to that point (usually none). A title read becomes captionTitle.
// With a digest (64 or 40 hexadecimal digits, any other text never matches) the bytes read are
// checked against it before anything is taken from them; "" or null checks nothing. A log its
// writer holds is read through the writer's handle, file.
void ReadUninstallLog(const char* path, UninstallLog* log, const char* digest = nullptr,
                      HANDLE file = INVALID_HANDLE_VALUE);
// Recognises the keyword that begins line; the rest of the line is trimmed in place and becomes
// the entry's path. A value too long for a path names no file the installer wrote, and a cut
// one could name another: such a line is left alone like one without a keyword.
void ParseLogEntry(char* line, LogEntry* entry);
