#include "system/restart.h"

#include "system/library_binding.h"
#include "system/win_handles.h"

namespace {
// The privilege functions of advapi32, bound at run time: Windows 95, 98 and Me have no
// security model and lack them.
struct SecurityApi {
    BOOL(WINAPI* OpenProcessToken)(HANDLE, DWORD, HANDLE*);
    BOOL(WINAPI* LookupPrivilegeValueA)(const char*, const char*, LUID*);
    BOOL(WINAPI* AdjustTokenPrivileges)
    (HANDLE, BOOL, TOKEN_PRIVILEGES*, DWORD, TOKEN_PRIVILEGES*, DWORD*);
};

bool BindSecurityApi(HMODULE library, SecurityApi& api) {
    bool bound = BindProc(library, "OpenProcessToken", api.OpenProcessToken);
    bound &= BindProc(library, "LookupPrivilegeValueA", api.LookupPrivilegeValueA);
    bound &= BindProc(library, "AdjustTokenPrivileges", api.AdjustTokenPrivileges);
    return bound;
}
} // namespace

bool EnableShutdownPrivilege(HMODULE securityLibrary) {
    SecurityApi api;
    if (!BindSecurityApi(securityLibrary, api))
        return false;
    KernelHandle token;
    if (!api.OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                              token.Receive()))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!api.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        return false;
    // AdjustTokenPrivileges succeeds even when the privilege wasn't granted; only the last
    // error tells.
    SetLastError(ERROR_SUCCESS);
    api.AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
    return GetLastError() == ERROR_SUCCESS;
}

void RestartComputerUsing(UINT flags, const char* securityLibrary, ExitWindowsFn exitWindows) {
    bool requested = false;
    {
        Library library(LoadSystemLibrary(securityLibrary));
        if (library && EnableShutdownPrivilege(library.Get())) {
            exitWindows(flags, 0);
            requested = true;
        }
    }
    if (!requested)
        exitWindows(flags, 0);
}

void RestartComputer(UINT flags) {
    RestartComputerUsing(flags, "advapi32.dll", ExitWindowsEx);
}
