#include "system/process_account.h"

#include <string.h>
#include <windows.h>

#include "system/system_libraries.h"
#include "system/win_handles.h"

bool IsLocalSystemSid(const void* sid) {
    const SID* account = static_cast<const SID*>(sid);
    const SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    return account && account->Revision == SID_REVISION && account->SubAuthorityCount == 1 &&
           memcmp(&account->IdentifierAuthority, &ntAuthority, sizeof(ntAuthority)) == 0 &&
           account->SubAuthority[0] == SECURITY_LOCAL_SYSTEM_RID;
}

bool ProcessIsLocalSystem() {
    // Windows 95, 98 and Me have no security model and lack the token functions.
    FunctionsUse<TokenFunctions> api(&tokenTable);
    if (!api)
        return false;
    KernelHandle token;
    if (!api->OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()))
        return false;
    // TOKEN_USER is followed by the SID it points to.
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    DWORD size = 0;
    if (!api->GetTokenInformation(token.Get(), TokenUser, &info, sizeof(info), &size))
        return false;
    return IsLocalSystemSid(info.user.User.Sid);
}
