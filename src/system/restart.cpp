#include "system/restart.h"

#include "system/system_libraries.h"
#include "system/win_handles.h"

namespace {
bool EnablePrivilegeWith(const TokenFunctions* api) {
    KernelHandle token;
    if (!api->OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                               token.Receive()))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!api->LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        return false;
    // AdjustTokenPrivileges succeeds even when the privilege wasn't granted; only the last
    // error tells.
    SetLastError(ERROR_SUCCESS);
    api->AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
    return GetLastError() == ERROR_SUCCESS;
}

// Windows 95, 98 and Me have no security model and lack the privilege functions.
void RestartWith(UINT flags, SystemTable<TokenFunctions>* table, ExitWindowsFn exitWindows) {
    bool requested = false;
    {
        FunctionsUse<TokenFunctions> api(table);
        if (api && EnablePrivilegeWith(api.Get())) {
            exitWindows(flags, 0);
            requested = true;
        }
    }
    if (!requested)
        exitWindows(flags, 0);
}
} // namespace

bool EnableShutdownPrivilege(HMODULE securityLibrary) {
    TokenFunctions api;
    return BindTableFrom(securityLibrary, tokenTable, &api) && EnablePrivilegeWith(&api);
}

void RestartComputerUsing(UINT flags, const char* securityLibrary, ExitWindowsFn exitWindows) {
    SystemLibrary library = {securityLibrary, nullptr, 0, false, 0};
    SystemTable<TokenFunctions> table = {{&library, tokenTable.binding.names, 0, false}, {}};
    RestartWith(flags, &table, exitWindows);
}

void RestartComputer(UINT flags) {
    RestartWith(flags, &tokenTable, ExitWindowsEx);
}
