#pragma once
// The one home of the system libraries' functions that the programs bind at run time (as not
// every Windows has them): a typed table per group of exports, each member typed by the Windows
// headers' own declaration. A table is bound whole or not at all, from its library loaded by its
// full path in the system folder. kernel32 is mapped in every process: its optional functions
// are bound once, each on its own. Every other library is loaded once for a use and freed after
// it. (The Palm libraries keep their own binding in palm/.)
//
// Every declaration a table names is visible at the build's _WIN32_WINNT 0x0400 with the headers
// below; one that is not would be typed here by hand and checked against its declaration in
// system_libraries.cpp under a higher _WIN32_WINNT.
#include <stddef.h>
#include <windows.h>

#include <commctrl.h>
#include <restartmanager.h>
#include <sfc.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wincrypt.h>
#include <winternl.h>

// The tables, one list of export names each: X(name) for every export.
#define ORVEX_KERNEL32_FUNCTIONS(X)                                                                \
    X(MoveFileExA)                                                                                 \
    X(GetDiskFreeSpaceExA)                                                                         \
    X(GetFileAttributesExA)                                                                        \
    X(BeginUpdateResourceA)                                                                        \
    X(UpdateResourceA)                                                                             \
    X(EndUpdateResourceA)                                                                          \
    X(SetDefaultDllDirectories)                                                                    \
    X(SetDllDirectoryA)                                                                            \
    X(GetUserDefaultUILanguage)                                                                    \
    X(GetShortPathNameW)                                                                           \
    X(GetTempPathW)                                                                                \
    X(GetSystemWindowsDirectoryA)                                                                  \
    X(GetSystemWow64DirectoryA)                                                                    \
    X(IsWow64Process)
// advapi32: the process token and its privileges (the NT family only).
#define ORVEX_TOKEN_FUNCTIONS(X)                                                                   \
    X(OpenProcessToken) X(GetTokenInformation) X(LookupPrivilegeValueA) X(AdjustTokenPrivileges)
// advapi32, Windows 2000 and later: whether the process's token holds a group enabled.
#define ORVEX_MEMBERSHIP_FUNCTIONS(X) X(CheckTokenMembership)
// advapi32: CryptoAPI's hashes (Windows 95 gains them with Internet Explorer 3.02).
#define ORVEX_CRYPT_FUNCTIONS(X)                                                                   \
    X(CryptAcquireContextA)                                                                        \
    X(CryptCreateHash)                                                                             \
    X(CryptHashData)                                                                               \
    X(CryptGetHashParam)                                                                           \
    X(CryptDestroyHash)                                                                            \
    X(CryptReleaseContext)
#define ORVEX_VERSION_FUNCTIONS(X)                                                                 \
    X(GetFileVersionInfoSizeA) X(GetFileVersionInfoA) X(VerQueryValueA)
#define ORVEX_SFC_FUNCTIONS(X) X(SfcIsFileProtected)
// rstrtmgr.dll, Windows Vista and later.
#define ORVEX_RESTART_MANAGER_FUNCTIONS(X)                                                         \
    X(RmStartSession) X(RmRegisterResources) X(RmGetList) X(RmEndSession)
// user32 for the starter's window and box (Setup.exe imports user32).
#define ORVEX_USER32_FUNCTIONS(X)                                                                  \
    X(RegisterClassA)                                                                              \
    X(CreateWindowExA)                                                                             \
    X(DestroyWindow)                                                                               \
    X(GetSystemMetrics)                                                                            \
    X(LoadIconA)                                                                                   \
    X(LoadCursorA)                                                                                 \
    X(GetSysColorBrush)                                                                            \
    X(InvalidateRect)                                                                              \
    X(PeekMessageA)                                                                                \
    X(TranslateMessage)                                                                            \
    X(DispatchMessageA)                                                                            \
    X(DefWindowProcA)                                                                              \
    X(BeginPaint)                                                                                  \
    X(EndPaint)                                                                                    \
    X(GetClientRect)                                                                               \
    X(FrameRect)                                                                                   \
    X(FillRect)                                                                                    \
    X(MessageBoxA)
// ntdll of the NT family: a folder made and opened in one step.
#define ORVEX_NTDLL_FUNCTIONS(X) X(NtCreateFile)
#define ORVEX_OLE32_FUNCTIONS(X) X(CoInitialize) X(CoCreateInstance)
#define ORVEX_SHELL_EXECUTE_FUNCTIONS(X) X(ShellExecuteExA)
#define ORVEX_COMMON_CONTROLS_FUNCTIONS(X) X(InitCommonControls)
// Shell32 of Windows 98, 2000 and later (or 95 with the desktop update).
#define ORVEX_SPECIAL_FOLDER_FUNCTIONS(X) X(SHGetSpecialFolderPathA)
// Shell32 of Windows Me, 2000 and later, or the redistributable SHFolder.dll.
#define ORVEX_FOLDER_PATH_FUNCTIONS(X) X(SHGetFolderPathA)

#define ORVEX_TABLE_MEMBER(name) decltype(&::name) name;
// The names of a list as one text: each ends with a '\0', the list with an empty one.
#define ORVEX_TABLE_NAME(name) #name "\0"
#define ORVEX_TABLE_NAMES(LIST) LIST(ORVEX_TABLE_NAME)

struct Kernel32Functions {
    ORVEX_KERNEL32_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct TokenFunctions {
    ORVEX_TOKEN_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct MembershipFunctions {
    ORVEX_MEMBERSHIP_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct CryptFunctions {
    ORVEX_CRYPT_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct VersionFunctions {
    ORVEX_VERSION_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct SfcFunctions {
    ORVEX_SFC_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct RestartManagerFunctions {
    ORVEX_RESTART_MANAGER_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct User32Functions {
    ORVEX_USER32_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct NtdllFunctions {
    ORVEX_NTDLL_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct Ole32Functions {
    ORVEX_OLE32_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct ShellExecuteFunctions {
    ORVEX_SHELL_EXECUTE_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct CommonControlsFunctions {
    ORVEX_COMMON_CONTROLS_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct SpecialFolderFunctions {
    ORVEX_SPECIAL_FOLDER_FUNCTIONS(ORVEX_TABLE_MEMBER)
};
struct FolderPathFunctions {
    ORVEX_FOLDER_PATH_FUNCTIONS(ORVEX_TABLE_MEMBER)
};

// kernel32's optional functions, bound on the first call; each is null where this Windows lacks
// it.
const Kernel32Functions& Kernel32();

// A library of the system folder and its uses. Plain data, so that it needs no constructor (the
// starter runs none): the first use loads it, the last frees it.
struct SystemLibrary {
    const char* fileName;
    HMODULE module;
    int users;
    bool tried;     // this use asked for it already (a missing library is asked for once)
    unsigned loads; // how often it was loaded (and so bound); for tests
};
extern SystemLibrary advapi32Library;
extern SystemLibrary versionLibrary;
extern SystemLibrary sfcLibrary;
extern SystemLibrary restartManagerLibrary;
extern SystemLibrary user32Library;
extern SystemLibrary ntdllLibrary;
extern SystemLibrary ole32Library;
extern SystemLibrary shell32Library;
extern SystemLibrary shfolderLibrary;
extern SystemLibrary comctl32Library;

// Takes a use of the library without loading it; the library is loaded when a table is first
// bound during the use. ReleaseLibrary ends the use: the last frees the library.
void AcquireLibrary(SystemLibrary* library);
void ReleaseLibrary(SystemLibrary* library);
// The library's module during a use, loaded on the first call; null when it cannot be loaded.
HMODULE LibraryModule(SystemLibrary* library);

// Binds every name of names ("A\0B\0\0") into the consecutive function pointers at functions, all
// or none: when one is missing (or module is null) all are left null and it returns false.
bool BindFunctions(HMODULE module, const char* names, void* functions, size_t count);

// A table of one library: its names and its functions, bound at most once per load.
struct TableBinding {
    SystemLibrary* library;
    const char* names;
    unsigned boundAt; // the library's load the functions were bound from; 0: none
    bool bound;
};
template <typename Functions> struct SystemTable {
    TableBinding binding;
    Functions functions;
};
const void* BindTable(TableBinding* binding, void* functions, size_t size);

// The table's names bound from another module, all or none (for a library given by a test).
template <typename Functions>
bool BindTableFrom(HMODULE module, const SystemTable<Functions>& table, Functions* functions) {
    return BindFunctions(module, table.binding.names, functions,
                         sizeof(Functions) / sizeof(FARPROC));
}

// The table's functions during a use of its library; null when the library or one of the
// table's exports is missing.
template <typename Functions> const Functions* TableFunctions(SystemTable<Functions>* table) {
    return static_cast<const Functions*>(
        BindTable(&table->binding, &table->functions, sizeof(Functions)));
}

extern SystemTable<TokenFunctions> tokenTable;
extern SystemTable<MembershipFunctions> membershipTable;
extern SystemTable<CryptFunctions> cryptTable;
extern SystemTable<VersionFunctions> versionTable;
extern SystemTable<SfcFunctions> sfcTable;
extern SystemTable<RestartManagerFunctions> restartManagerTable;
extern SystemTable<User32Functions> user32Table;
extern SystemTable<NtdllFunctions> ntdllTable;
extern SystemTable<Ole32Functions> ole32Table;
extern SystemTable<ShellExecuteFunctions> shellExecuteTable;
extern SystemTable<CommonControlsFunctions> commonControlsTable;
extern SystemTable<SpecialFolderFunctions> specialFolderTable;
extern SystemTable<FolderPathFunctions> shell32FolderPathTable;
extern SystemTable<FolderPathFunctions> shfolderFolderPathTable;

// A use of a library, for a scope: the library is loaded at most once within it (when a table is
// first bound), and freed at its end unless an outer use still holds it. Holding one across a
// run makes the run's many questions one use.
class LibraryUse {
  public:
    explicit LibraryUse(SystemLibrary* library) : library_(library) { AcquireLibrary(library); }
    ~LibraryUse() { ReleaseLibrary(library_); }
    LibraryUse(const LibraryUse&) = delete;
    LibraryUse& operator=(const LibraryUse&) = delete;

  private:
    SystemLibrary* library_;
};

// The shared-file questions of a run (ReadFileVersion, IsProtectedFile) as one use of version.dll
// and sfc.dll: each is loaded at most once for all of them, and only if a question is asked.
struct SharedFileUse {
    LibraryUse version{&versionLibrary};
    LibraryUse protection{&sfcLibrary};
};

// A use of a table's library with the table bound at once:
//     FunctionsUse<VersionFunctions> version(&versionTable);
//     if (version) version->GetFileVersionInfoSizeA(...);
template <typename Functions> class FunctionsUse {
  public:
    explicit FunctionsUse(SystemTable<Functions>* table)
        : use_(table->binding.library), functions_(TableFunctions(table)) {}
    explicit operator bool() const { return functions_ != nullptr; }
    const Functions* operator->() const { return functions_; }
    const Functions* Get() const { return functions_; }

  private:
    LibraryUse use_;
    const Functions* functions_;
};
