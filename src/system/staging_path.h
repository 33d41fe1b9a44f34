#pragma once
#include <stddef.h>

// Where a server file that is in use waits for the next start of Windows: the target path with
// its last character replaced by "_" (Acme.dll waits as Acme.dl_). False, with out emptied, when
// the target is empty, does not fit, or already ends in "_" (the staged file would be the target
// itself).
bool FormStagingPath(const char* targetPath, char* out, size_t outSize);

// The RunOnce value that swaps the staged file in ("Install Acme.dll"), for the target's file name.
void FormRunOnceName(const char* targetPath, char* out, size_t outSize);
// Its command: the installer in its register mode, "\"<installer>\" -register<target>".
void FormRunOnceCommand(const char* installerPath, const char* targetPath, char* out,
                        size_t outSize);
// Undoes a deferred registration of targetPath: deletes its staged file and its RunOnce value,
// the value only when its command names that target.
void CancelDeferredRegistration(const char* targetPath);
