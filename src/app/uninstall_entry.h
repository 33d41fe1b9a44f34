#pragma once
#include <stddef.h>

#include "app/install_context.h"

// The product's uninstall entry key below HKEY_LOCAL_MACHINE.
void FormUninstallKey(const char* productTitle, char* key, size_t size);

// Copies the installer into the Windows folder and registers the product's uninstall entry
// from the context's script, which must be set. False when the copy or any value could not be
// written.
bool WriteUninstallEntry(InstallContext& context);
// Adds the size of the files that the log's "File Copy:" entries name and that exist now; the
// log must be closed.
void AddInstalledSize(InstallContext& context);
// A log that is added to stops matching its digest with its first new byte: an entry that keeps
// one says "pending" before the log is opened.
void MarkLogPending(const InstallContext& context);
// Keeps the digest of the whole log, as the run leaves it, in the entry; the log must be closed.
// Until then the entry says "pending".
void SealInstallLog(const InstallContext& context);
