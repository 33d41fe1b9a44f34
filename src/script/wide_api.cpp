#include "script/wide_api.h"

#include "script/setup_script.h"

namespace {
enum WideApiState { WIDE_UNKNOWN, WIDE_ABSENT, WIDE_PRESENT };

WideApiState wideApiState = WIDE_UNKNOWN;
WideApiProbe wideApiProbe = nullptr;

bool WideApiMissing(DWORD error) {
    return error == ERROR_CALL_NOT_IMPLEMENTED || error == static_cast<DWORD>(E_NOTIMPL);
}

// Windows 95, 98 and Me export the wide functions as stubs that only set an error.
bool ProbeSystem() {
    WCHAR path[MAX_PATH];
    SetLastError(ERROR_SUCCESS);
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return !WideApiMissing(GetLastError());
}
} // namespace

void SetWideApiProbe(WideApiProbe probe) {
    wideApiProbe = probe;
    wideApiState = WIDE_UNKNOWN;
}

bool HasWideApi() {
    if (wideApiState == WIDE_UNKNOWN) {
        bool present = wideApiProbe ? wideApiProbe() : ProbeSystem();
        wideApiState = present ? WIDE_PRESENT : WIDE_ABSENT;
    }
    return wideApiState == WIDE_PRESENT;
}
