#include "system/common_controls.h"

#include <windows.h>

#include "system/library_binding.h"

namespace {
typedef void(WINAPI* InitCommonControlsFn)();

struct Comctl32Table {
    bool tried;
    InitCommonControlsFn initCommonControls;
};
Comctl32Table comctl32 = {false, nullptr};
} // namespace

bool EnsureCommonControls() {
    if (!comctl32.tried) {
        comctl32.tried = true;
        if (BindProc(LoadSystemLibrary("comctl32.dll"), "InitCommonControls",
                     comctl32.initCommonControls))
            comctl32.initCommonControls();
    }
    return comctl32.initCommonControls != nullptr;
}
