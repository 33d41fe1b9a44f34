#pragma once
// The install log lies in the product's folder, where users without administrator rights may be
// able to write; the uninstall entry lies where only administrators write. A run that closes the
// log keeps the log's digest in the entry, and what acts on the log checks it first.
#include <stddef.h>
#include <windows.h>

class UninstallLog;

extern const char LOG_DIGEST_VALUE[];   // "LogDigest"
extern const char LOG_DIGEST_PENDING[]; // "pending": a run is writing the log

// The log path of an uninstall command ("<program> -uninst<log path>"), or null.
const char* UninstallLogOf(const char* command);

// The name (below the Uninstall key) of the entry whose UninstallString or QuietUninstallString
// names logPath; false when none does. The title inside the log decides nothing: whoever can
// change the log can change it.
bool FindEntryOfLog(const char* logPath, char* keyName, size_t size);

// Reads the log as ReadUninstallLog does, after finding its entry (log->entryKey), and checks
// the bytes read against the entry's digest. False, with the log cleared, when they differ. A log
// whose entry holds no digest (written before digests were kept, or by a run that was
// interrupted), and every log on Windows 95/98/Me, which have no rights to defend, pass.
bool ReadTrustedUninstallLog(const char* logPath, UninstallLog* log,
                             HANDLE file = INVALID_HANDLE_VALUE);

// ReadTrustedUninstallLog that leaves the captions as they are, for an install run; file, when
// given, is the writer's handle on the log, which the run then appends to.
bool InstallLogUnchanged(const char* logPath, UninstallLog* log,
                         HANDLE file = INVALID_HANDLE_VALUE);
