#include "package/unpack_folder.h"

#include "system/library_binding.h"
#include "system/text.h"

namespace {
// The ANSI form of a path, when every character has one: a best-fit look-alike would name
// another folder, a '?' none.
bool AnsiPath(const WCHAR* path, char* out, size_t size) {
    BOOL lossy = FALSE;
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, out, static_cast<int>(size),
                               nullptr, &lossy) > 0 &&
           !lossy;
}
} // namespace

bool UnpackParent(bool administrator, char* out, size_t size) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!administrator) {
        DWORD(WINAPI * tempPath)(DWORD, LPWSTR);
        DWORD(WINAPI * shortPath)(LPCWSTR, LPWSTR, DWORD);
        WCHAR wide[MAX_PATH], shortWide[MAX_PATH];
        // Windows 95, 98 and Me have only the ANSI path.
        DWORD length = BindProc(kernel, "GetTempPathW", tempPath) ? tempPath(MAX_PATH, wide) : 0;
        if (length == 0 || length >= MAX_PATH) {
            length = GetTempPathA(static_cast<DWORD>(size), out);
            return length && length < size;
        }
        if (AnsiPath(wide, out, size))
            return true;
        length = BindProc(kernel, "GetShortPathNameW", shortPath)
                     ? shortPath(wide, shortWide, MAX_PATH)
                     : 0;
        if (length && length < MAX_PATH && AnsiPath(shortWide, out, size))
            return true;
    }
    // Windows 2000 and later: the real Windows folder, not a Terminal Server user's own.
    UINT(WINAPI * windowsFolder)(LPSTR, UINT);
    if (!BindProc(kernel, "GetSystemWindowsDirectoryA", windowsFolder))
        windowsFolder = GetWindowsDirectoryA;
    char windows[MAX_PATH];
    UINT length = windowsFolder(windows, sizeof(windows));
    if (length == 0 || length >= sizeof(windows))
        return false;
    return FormatText(out, size, "%s\\Temp\\", windows) < size - 1;
}

FolderSecurity::~FolderSecurity() {
    for (PSID sid : sids_) {
        if (sid)
            functions_.freeSid(sid);
    }
}

bool FolderSecurity::Build(SECURITY_ATTRIBUTES* attributes) {
    library_.Reset(LoadSystemLibrary("advapi32.dll"));
    HMODULE advapi = library_.Get();
    if (!BindProc(advapi, "AllocateAndInitializeSid", functions_.allocateSid) ||
        !BindProc(advapi, "FreeSid", functions_.freeSid) ||
        !BindProc(advapi, "InitializeAcl", functions_.initializeAcl) ||
        !BindProc(advapi, "AddAccessAllowedAce", functions_.addAce) ||
        !BindProc(advapi, "GetAce", functions_.getAce) ||
        !BindProc(advapi, "InitializeSecurityDescriptor", functions_.initializeDescriptor) ||
        !BindProc(advapi, "SetSecurityDescriptorDacl", functions_.setDacl))
        return false;
    BindProc(advapi, "SetSecurityDescriptorControl", functions_.setControl);
    BindProc(advapi, "CheckTokenMembership", functions_.checkMembership);
    SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
    if (!functions_.allocateSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                0, 0, 0, 0, &sids_[0]) ||
        !functions_.allocateSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0,
                                &sids_[1]) ||
        !functions_.initializeAcl(reinterpret_cast<PACL>(acl_), sizeof(acl_), ACL_REVISION))
        return false;
    for (DWORD i = 0; i < 2; ++i) {
        void* ace = nullptr;
        if (!functions_.addAce(reinterpret_cast<PACL>(acl_), ACL_REVISION, FILE_ALL_ACCESS,
                               sids_[i]) ||
            !functions_.getAce(reinterpret_cast<PACL>(acl_), i, &ace))
            return false;
        static_cast<ACE_HEADER*>(ace)->AceFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    }
    if (!functions_.initializeDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !functions_.setDacl(&descriptor_, TRUE, reinterpret_cast<PACL>(acl_), FALSE))
        return false;
    if (functions_.setControl)
        functions_.setControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    attributes->nLength = sizeof(*attributes);
    attributes->lpSecurityDescriptor = &descriptor_;
    attributes->bInheritHandle = FALSE;
    return true;
}

bool FolderSecurity::Administrator() {
    BOOL member = FALSE;
    // A token filtered by User Account Control holds Administrators for denying only: not a member.
    return functions_.checkMembership && functions_.checkMembership(nullptr, sids_[0], &member) &&
           member;
}
