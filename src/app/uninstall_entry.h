#pragma once
#include <stddef.h>

#include <memory>

#include "app/install_context.h"

// The product's uninstall entry key below HKEY_LOCAL_MACHINE.
void FormUninstallKey(const char* productTitle, char* key, size_t size);

// Copies the installer into the Windows folder and registers the product's uninstall entry
// from the context's script, which must be set. False when the copy or any value could not be
// written.
bool WriteUninstallEntry(InstallContext& context);
// Adds the size of the files that the log's "File Copy:" entries name and that exist now; the
// log must still be open.
void AddInstalledSize(InstallContext& context);
// A log that is added to stops matching its digest with its first new byte: an entry that keeps
// one says "pending" before the log is opened.
void MarkLogPending(const InstallContext& context);
// Keeps the digest of the whole log, read back through the writer's handle before it is closed
// (so no other writer can slip a line in between), in the entry. Until then it says "pending".
void SealInstallLog(const InstallContext& context);

// The entry's values (names, types, data) as they were before a run wrote them, so that a
// failed run can put them back exactly.
class SavedEntry {
  public:
    // False when the product has no entry or it could not be read whole.
    bool Save(const char* productTitle);
    // Deletes every value the entry has now and writes the saved ones; the key stays.
    void Restore() const;

  private:
    char key[MAX_PATH] = {};
    std::unique_ptr<BYTE[]> data;
    DWORD size = 0;
};
