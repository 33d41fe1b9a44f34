#pragma once
// Where the package's starter unpacks, and the access list of the folder it makes there.
#include <stddef.h>
#include <windows.h>

#include "system/win_handles.h"

// The folder a package unpacks under, with its trailing backslash. A run with administrator rights
// takes the Windows folder's Temp, which users without them can neither rename nor empty; others
// take %TEMP%, in its short form when its ANSI form cannot name it, or the Windows folder's Temp
// when even the short form cannot. False when the path does not fit in size - 1 bytes.
bool UnpackParent(bool administrator, char* out, size_t size);

// The access list of the unpacking folder on the NT family: Administrators and SYSTEM alone, so
// that no process without administrator rights puts a file beside the Setup.exe that runs with
// them. The files unpacked into the folder inherit it.
class FolderSecurity {
  public:
    FolderSecurity() = default;
    ~FolderSecurity();
    FolderSecurity(const FolderSecurity&) = delete;
    FolderSecurity& operator=(const FolderSecurity&) = delete;

    // Fills attributes with the descriptor, which lives as long as this object.
    bool Build(SECURITY_ATTRIBUTES* attributes);
    // After Build: whether the process runs with the Administrators group enabled in its token
    // (false before Windows 2000, which cannot tell).
    bool Administrator();

  private:
    struct Functions {
        BOOL(WINAPI* allocateSid)
        (PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
         PSID*);
        PVOID(WINAPI* freeSid)(PSID);
        BOOL(WINAPI* initializeAcl)(PACL, DWORD, DWORD);
        BOOL(WINAPI* addAce)(PACL, DWORD, DWORD, PSID);
        BOOL(WINAPI* getAce)(PACL, DWORD, LPVOID*);
        BOOL(WINAPI* initializeDescriptor)(PSECURITY_DESCRIPTOR, DWORD);
        BOOL(WINAPI* setDacl)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL);
        // Windows 2000 and later; without it NT 4 merges the parent's inheritable entries.
        BOOL(WINAPI* setControl)
        (PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL, SECURITY_DESCRIPTOR_CONTROL);
        BOOL(WINAPI* checkMembership)(HANDLE, PSID, PBOOL); // Windows 2000 and later
    };
    Library library_;
    Functions functions_ = {};
    PSID sids_[2] = {}; // Administrators, SYSTEM
    DWORD acl_[64] = {};
    SECURITY_DESCRIPTOR descriptor_ = {};
};
