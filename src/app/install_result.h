#pragma once

enum InstallResult : int {
    RESULT_OK = 0,
    RESULT_SERVICE_REGISTER_FAILED = -6,
    RESULT_SOURCE_MISSING = -7,
    RESULT_COPY_FAILED = -8,
    RESULT_DEVICE_FILE_FAILED = -9,
};
