#include "system/common_controls.h"

#include <windows.h>

#include "system/system_libraries.h"

namespace {
bool tried = false;
const CommonControlsFunctions* comctl32 = nullptr;
} // namespace

bool EnsureCommonControls() {
    if (!tried) {
        tried = true;
        // A use never ended: the windows' classes live in the library.
        AcquireLibrary(&comctl32Library);
        comctl32 = TableFunctions(&commonControlsTable);
        if (comctl32)
            comctl32->InitCommonControls();
    }
    return comctl32 != nullptr;
}
