#include "system/process_account.h"

#include <string.h>
#include <windows.h>

#include "system/library_binding.h"
#include "system/win_handles.h"

namespace {
// Bound at run time: Windows 95, 98 and Me have no security model and lack them.
struct TokenApi {
    BOOL(WINAPI* OpenProcessToken)(HANDLE, DWORD, HANDLE*);
    BOOL(WINAPI* GetTokenInformation)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
};
} // namespace

bool IsLocalSystemSid(const void* sid) {
    const SID* account = static_cast<const SID*>(sid);
    const SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    return account && account->Revision == SID_REVISION && account->SubAuthorityCount == 1 &&
           memcmp(&account->IdentifierAuthority, &ntAuthority, sizeof(ntAuthority)) == 0 &&
           account->SubAuthority[0] == SECURITY_LOCAL_SYSTEM_RID;
}

bool ProcessIsLocalSystem() {
    Library library(LoadSystemLibrary("advapi32.dll"));
    TokenApi api;
    if (!BindProc(library.Get(), "OpenProcessToken", api.OpenProcessToken) ||
        !BindProc(library.Get(), "GetTokenInformation", api.GetTokenInformation))
        return false;
    KernelHandle token;
    if (!api.OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()))
        return false;
    // TOKEN_USER is followed by the SID it points to.
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    DWORD size = 0;
    if (!api.GetTokenInformation(token.Get(), TokenUser, &info, sizeof(info), &size))
        return false;
    return IsLocalSystemSid(info.user.User.Sid);
}
