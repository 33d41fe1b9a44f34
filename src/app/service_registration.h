#pragma once
#include <stdint.h>

#include "app/install_context.h"

// COM server files (REGSERVICE / ACTIVESYNC items): the pre-pass removal of an old differing
// copy, registration with regsvr32, and deferral to the next start of Windows.

bool RemoveOldService(InstallContext& context, const char* itemPath);
bool RemoveOldActiveSyncService(InstallContext& context, const char* itemPath);
int RegisterService(InstallContext& context, const char* itemPath, int32_t* restartNeeded);
int RegisterActiveSyncService(InstallContext& context, const char* itemPath,
                              int32_t* restartNeeded);
// Stages the source beside the target and leaves the RunOnce command that swaps it in. Any other
// result than RESULT_OK (the source's name noted) means nothing was deferred.
int DeferRegistration(InstallContext& context, const char* sourcePath, const char* targetPath);
