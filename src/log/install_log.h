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

    // An entry that names an action: keyword is one of the logKeywords texts, value may be null.
    // The log's folder is made when it is missing. False when the line was not written whole, or
    // the run was stopped before: the action must then not be carried out (or, logged after it,
    // be undone), and the run stops.
    bool WriteEntry(const char* keyword, const char* value);
    // The "Made Dir:" entry of a folder: one this run is about to make (made set) or one that was
    // there already, which records no action and is left out while the log's folder does not
    // exist. A folder made while the log's own folder does not exist yet (the destination and its
    // new parents) is logged as soon as the log opens, so that the uninstall removes it too. False
    // as for WriteEntry: the caller then does not make the folder.
    bool WriteFolder(const char* folder, bool made);
    // The open file (created with its header if it did not exist, its folder made first when
    // makeFolder is set), or INVALID_HANDLE_VALUE.
    HANDLE OpenLog(bool makeFolder = false);
    // Opens an existing log, writing nothing, and holds it against other writers until the run
    // appends to it through this handle; INVALID_HANDLE_VALUE when there is none.
    HANDLE HoldLog();
    void CloseLog();
    bool Stopped() const { return stopped; }
    // For a run whose log never took a line (not even its header): closes it and takes back the
    // empty file this run created and the folders made for it, innermost first. Does nothing once
    // the log took a line.
    void TakeBackUnwrittenLog();

    char fileName[MAX_PATH];
    const char* title = nullptr;
    const char* source = nullptr;
    FileHandle fileHandle;
    // Set once an open log took a line (or its header) not whole, or an action's entry found no
    // log to go to; the run stops then.
    bool linesLost = false;

  protected:
    // Makes the log's folder; true when it exists afterwards.
    virtual bool MakeLogFolder() { return false; }

  private:
    bool Create();
    bool WriteHeader();
    bool ContinueLog();
    bool WritePendingFolders();
    bool Fail();
    PtrArray pendingFolders;
    bool stopped = false;
    bool createdFile = false;
    bool tookLine = false;
};

// One line of the log, each ending in a single line feed; they return the length written.
// A line that would not fit in size is cut before its line feed, never after it.
size_t FormatLogStartedLine(const SYSTEMTIME& utc, char* line, size_t size);
size_t FormatLogTitleLine(const char* title, char* line, size_t size);
size_t FormatLogSourceLine(const char* source, char* line, size_t size);
size_t FormatLogEntryLine(const char* keyword, const char* value, char* line, size_t size);
