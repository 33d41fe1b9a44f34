#pragma once

enum InstallResult : int {
    RESULT_OK = 0,
    // The run could not allocate its item list or context; nothing was done.
    RESULT_NOT_STARTED = -1,
    // Everything else was done, but a line of the install log was lost.
    RESULT_LOG_INCOMPLETE = -2,
    RESULT_SERVICE_REGISTER_FAILED = -6,
    RESULT_SOURCE_MISSING = -7,
    RESULT_COPY_FAILED = -8,
    RESULT_DEVICE_FILE_FAILED = -9,
};
