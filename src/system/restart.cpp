#include "system/restart.h"

#include "system/library_binding.h"
#include "system/win_handles.h"

namespace {
using OpenProcessTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE*);
using LookupPrivilegeValueFn = BOOL(WINAPI*)(const char*, const char*, LUID*);
using AdjustTokenPrivilegesFn = BOOL(WINAPI*)(HANDLE, BOOL, TOKEN_PRIVILEGES*, DWORD,
                                              TOKEN_PRIVILEGES*, DWORD*);
} // namespace

bool EnableShutdownPrivilege(HMODULE securityLibrary) {
    OpenProcessTokenFn openProcessToken;
    LookupPrivilegeValueFn lookupPrivilegeValue;
    AdjustTokenPrivilegesFn adjustTokenPrivileges;
    // Windows 95, 98 and Me have no security model and lack these functions.
    if (!BindProc(securityLibrary, "OpenProcessToken", openProcessToken) ||
        !BindProc(securityLibrary, "LookupPrivilegeValueA", lookupPrivilegeValue) ||
        !BindProc(securityLibrary, "AdjustTokenPrivileges", adjustTokenPrivileges))
        return false;
    KernelHandle token;
    if (!openProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token.Receive()))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!lookupPrivilegeValue(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        return false;
    // AdjustTokenPrivileges succeeds even when the privilege wasn't granted; only the last
    // error tells.
    SetLastError(ERROR_SUCCESS);
    adjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
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
