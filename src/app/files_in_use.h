#pragma once
// The earlier installation's files that another program holds, found before an install run
// changes anything.
#include "app/earlier_installation.h"
#include "app/install_context.h"
#include "script/ptr_array.h"
#include "uninstall/uninstall_log.h"

// Entry kinds the search leaves in the earlier installation's log.
const int32_t LOG_IN_USE = -3;
const int32_t LOG_RUN_TARGET = -4;

// Marks in log, after taking back earlier marks, the files that the run's items replace (their
// target there and different from the source; COM servers keep their own deferral) and that
// another program holds; when the run moves the product (moving), every other file of the
// earlier installation that is held as well. The first such path (or held link), or null.
const char* MarkFilesInUse(InstallContext& context, const PtrArray& items, UninstallLog* log,
                           bool moving);
bool MarkedInUse(const UninstallLog& log, const char* path);
// The marked entries are file copies again.
void UnmarkFilesInUse(UninstallLog* log);

// Asks about the earlier installation's log, already read, through the Retry/Cancel box until
// none of its files is held (unattended: never, those held stay marked). RESULT_CANCELLED when
// the user cancels; RESULT_EARLIER_NOT_REMOVED when the run moves the product and that log
// was not read whole.
int AwaitFilesInUse(InstallContext& context, const PtrArray& items, bool moving, bool unattended,
                    UninstallLog* log);
