#pragma once

#include "ui/wizard_frame.h"

enum InstallResult : int {
    RESULT_OK = 0,
    // The run could not allocate its item list or context; nothing was done.
    RESULT_NOT_STARTED = -1,
    // A line of the install log could not be written: the run stopped there.
    RESULT_LOG_INCOMPLETE = -2,
    // The uninstall entry could not be written: the run stopped before its first action.
    RESULT_ENTRY_FAILED = -3,
    // The earlier installation in another folder could not be removed whole: nothing was done.
    RESULT_EARLIER_NOT_REMOVED = -4,
    // The log the run would remove or add to was changed after a run wrote it: nothing was done.
    RESULT_LOG_CHANGED = -14,
    // The destination is a drive's root or a folder of Windows itself: nothing was done.
    RESULT_DEST_RESERVED = -13,
    // Another install or removal is running: nothing was done, and the wizard stays where it is.
    RESULT_BUSY = INSTALL_RUN_BUSY,
    // The user cancelled while a file was in use: nothing was done, the wizard stays open.
    RESULT_CANCELLED = INSTALL_RUN_CANCELLED,
    RESULT_SERVICE_REGISTER_FAILED = -6,
    RESULT_SOURCE_MISSING = -7,
    RESULT_COPY_FAILED = -8,
    RESULT_DEVICE_FILE_FAILED = -9,
};
