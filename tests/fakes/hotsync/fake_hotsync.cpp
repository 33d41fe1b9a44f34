// Stand-in for the three Palm HotSync desktop libraries, CondMgr.dll, UserData.dll and
// InstAide.dll. One source is linked into each of them; a .def file picks the exports.
//
// Variants (each a folder of build/bin/fakes/hotsync/):
//   full/            all three libraries with every entry point
//   nocorepath/      CondMgr.dll without CmGetCorePath
//   noslotname/      UserData.dll with UmGetLibVersion but without UmSlotGetDisplayName
//   noversion/       UserData.dll without UmGetLibVersion and without the six UmSlot* functions
//   noslotinstall/   InstAide.dll without PlmSlotInstallFile
//
// A simulated HotSync installation (tests/support/palm_fakes.h lays one out):
//   <HotSync folder>\CondMgr.dll, UserData.dll, InstAide.dll, HotSyncFake.ini
//   <installer folder>\Setup.exe, CondMgr.dll (the packaged copy), HotSyncFake.ini
// Each library reads HotSyncFake.ini beside itself (the helper writes the same file into both
// folders). A library with none beside it (the copy a package unpacks into a new folder) reads the
// file that ORVEX_HOTSYNC_FAKE_INI names, else the one in C:\Program Files\Palm, where the vendor
// guide lays out its simulated HotSync.
//
// HotSyncFake.ini:
//   [HotSync]
//   ExecPath=C:\...\HotSync\HotSync.exe   reported by CmGetHotSyncExecPath; its folder is where
//                                          the installer looks for the HotSync copies
//   ExecPathStatus=0                       status of CmGetHotSyncExecPath (non-zero: no path)
//   UserCount=2                            result of UmGetUserCount (negative: a status)
//   User0=Ann, User1=Bob, ...              the user names; user i has the id 1000 + i
//   UserIDStatus=0, UserNameStatus=0       statuses of UmGetUserID / UmGetUserName (a positive
//                                          one still delivers the id or name)
//   IDFromNameStatus=                      status of UmGetIDFromName; absent: 0 for a listed
//                                          user (any capitals), -513 for any other name
//   Queue=C:\...\Queue                     PltInstallFile copies the file into Queue\<user>\;
//                                          a file already there gives -512 (remove it first)
//   Record=C:\...\calls.txt                one line per call, appended: "Entry|arg|arg"; also
//                                          "Load|<dll path>" and "Unload|<dll path>"
//   [InstallStatus]
//   Ann=-504                               status PltInstallFile returns for that user instead
//                                          of queueing
//   [Faults]
//   PltInstallFile=access                  the entry point faults: "access" writes to an invalid
//   UmGetUserCount=throw                   address, "throw" raises what Microsoft's C++ throw
//                                          raises (exception code 0xE06D7363)
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "system/text.h"

namespace {

HMODULE self;
char modulePath[MAX_PATH];
char configPath[MAX_PATH];

void ReadConfig(const char* section, const char* key, char* value, DWORD size) {
    GetPrivateProfileStringA(section, key, "", value, size, configPath);
}

long ReadNumber(const char* section, const char* key, long fallback) {
    char value[64];
    ReadConfig(section, key, value, sizeof(value));
    return value[0] ? strtol(value, nullptr, 0) : fallback;
}

void Record(const char* entry, const char* first = nullptr, const char* second = nullptr) {
    char recordPath[MAX_PATH];
    ReadConfig("HotSync", "Record", recordPath, sizeof(recordPath));
    if (!recordPath[0])
        return;
    char line[1024];
    FormatText(line, sizeof(line), "%s%s%s%s%s\r\n", entry, first ? "|" : "", first ? first : "",
               second ? "|" : "", second ? second : "");
    HANDLE file = CreateFileA(recordPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    CloseHandle(file);
}

void RecordNumbers(const char* entry, unsigned long first, unsigned long second) {
    char a[32], b[32];
    FormatText(a, sizeof(a), "%lu", first);
    FormatText(b, sizeof(b), "%lu", second);
    Record(entry, a, b);
}

void RecordNumber(const char* entry, unsigned long value) {
    char text[32];
    FormatText(text, sizeof(text), "%lu", value);
    Record(entry, text);
}

void MaybeFault(const char* entry) {
    char mode[32];
    ReadConfig("Faults", entry, mode, sizeof(mode));
    if (lstrcmpiA(mode, "access") == 0) {
        // Computed at run time so that the compiler cannot turn the store into a trap opcode.
        volatile ULONG_PTR address = 8;
        *reinterpret_cast<volatile int*>(address) = 1;
    } else if (lstrcmpiA(mode, "throw") == 0) {
        ULONG_PTR arguments[3] = {0x19930520, 0, 0};
        RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 3, arguments);
    }
}

long UserCount() {
    return ReadNumber("HotSync", "UserCount", 0);
}

bool UserName(long index, char* name, DWORD size) {
    if (index < 0 || index >= UserCount())
        return false;
    char key[32];
    FormatText(key, sizeof(key), "User%ld", index);
    ReadConfig("HotSync", key, name, size);
    return true;
}

// Index of a listed user, names compared without regard to case; -1 when unknown.
long FindUser(const char* name) {
    if (!name)
        return -1;
    char listed[256];
    for (long index = 0; index < UserCount(); ++index) {
        if (UserName(index, listed, sizeof(listed)) && lstrcmpiA(listed, name) == 0)
            return index;
    }
    return -1;
}

long CopyOut(const char* text, char* buffer, unsigned long* size, long tooSmall) {
    if (!buffer || !size)
        return tooSmall;
    unsigned long needed = static_cast<unsigned long>(strlen(text)) + 1;
    if (*size < needed) {
        *size = needed;
        return tooSmall;
    }
    CopyText(buffer, *size, text);
    *size = needed;
    return 0;
}

// <Queue>\<user>\<file name>; false when no queue folder is configured.
bool QueuedPath(const char* user, const char* filePath, char* path, size_t size, bool create) {
    char queue[MAX_PATH];
    ReadConfig("HotSync", "Queue", queue, sizeof(queue));
    if (!queue[0] || !user || !filePath)
        return false;
    char folder[MAX_PATH];
    FormatText(folder, sizeof(folder), "%s\\%s", queue, user);
    if (create) {
        CreateDirectoryA(queue, nullptr);
        CreateDirectoryA(folder, nullptr);
    }
    const char* slash = FindLastChar(filePath, '\\');
    FormatText(path, size, "%s\\%s", folder, slash ? slash + 1 : filePath);
    return true;
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        self = instance;
        GetModuleFileNameA(self, modulePath, sizeof(modulePath));
        CopyText(configPath, sizeof(configPath), modulePath);
        char* slash = FindLastChar(configPath, '\\');
        if (slash)
            slash[1] = '\0';
        AppendText(configPath, sizeof(configPath), "HotSyncFake.ini");
        char named[MAX_PATH];
        DWORD length = GetEnvironmentVariableA("ORVEX_HOTSYNC_FAKE_INI", named, sizeof(named));
        if (!length || length >= sizeof(named))
            CopyText(named, sizeof(named), "C:\\Program Files\\Palm\\HotSyncFake.ini");
        if (GetFileAttributesA(configPath) == INVALID_FILE_ATTRIBUTES)
            CopyText(configPath, sizeof(configPath), named);
        Record("Load", modulePath);
    } else if (reason == DLL_PROCESS_DETACH) {
        Record("Unload", modulePath);
    }
    return TRUE;
}

// CondMgr.dll

long WINAPI CmGetHotSyncExecPath(char* path, unsigned long* size) {
    RecordNumber("CmGetHotSyncExecPath", size ? *size : 0);
    MaybeFault("CmGetHotSyncExecPath");
    long status = ReadNumber("HotSync", "ExecPathStatus", 0);
    if (status != 0)
        return status;
    char execPath[MAX_PATH];
    ReadConfig("HotSync", "ExecPath", execPath, sizeof(execPath));
    return CopyOut(execPath, path, size, -1010);
}

long WINAPI CmGetCorePath(char* path, unsigned long* size) {
    Record("CmGetCorePath");
    MaybeFault("CmGetCorePath");
    char folder[MAX_PATH];
    ReadConfig("HotSync", "ExecPath", folder, sizeof(folder));
    char* slash = FindLastChar(folder, '\\');
    if (slash)
        slash[1] = '\0';
    return CopyOut(folder, path, size, -1010);
}

// UserData.dll

short WINAPI UmGetUserCount() {
    Record("UmGetUserCount");
    MaybeFault("UmGetUserCount");
    return static_cast<short>(UserCount());
}

long WINAPI UmGetUserID(long index, unsigned long* id) {
    RecordNumber("UmGetUserID", static_cast<unsigned long>(index));
    MaybeFault("UmGetUserID");
    if (index < 0 || index >= UserCount())
        return -503;
    if (!id)
        return -522;
    *id = 1000 + static_cast<unsigned long>(index);
    return ReadNumber("HotSync", "UserIDStatus", 0);
}

long WINAPI UmGetUserName(unsigned long id, char* name, unsigned long* size) {
    RecordNumbers("UmGetUserName", id, size ? *size : 0);
    MaybeFault("UmGetUserName");
    char listed[256];
    if (id < 1000 || !UserName(static_cast<long>(id - 1000), listed, sizeof(listed)))
        return -505;
    long status = CopyOut(listed, name, size, -504);
    return status != 0 ? status : ReadNumber("HotSync", "UserNameStatus", 0);
}

long WINAPI UmGetIDFromName(const char* name, unsigned long* id) {
    Record("UmGetIDFromName", name ? name : "");
    MaybeFault("UmGetIDFromName");
    char forced[32];
    ReadConfig("HotSync", "IDFromNameStatus", forced, sizeof(forced));
    if (forced[0])
        return strtol(forced, nullptr, 0);
    long index = FindUser(name);
    if (index < 0)
        return -513;
    if (!id)
        return -522;
    *id = 1000 + static_cast<unsigned long>(index);
    return 0;
}

long WINAPI UmGetUserDirectory(unsigned long id, char* directory, unsigned long* size) {
    RecordNumbers("UmGetUserDirectory", id, size ? *size : 0);
    char listed[256];
    if (id < 1000 || !UserName(static_cast<long>(id - 1000), listed, sizeof(listed)))
        return -505;
    return CopyOut(listed, directory, size, -504);
}

long WINAPI UmGetUserPassword(unsigned long id, char* password, unsigned long* size) {
    RecordNumbers("UmGetUserPassword", id, size ? *size : 0);
    return CopyOut("", password, size, -504);
}

long WINAPI UmIsUserInstalled(unsigned long id) {
    RecordNumber("UmIsUserInstalled", id);
    return id >= 1000 && static_cast<long>(id - 1000) < UserCount() ? 1 : 0;
}

long WINAPI UmIsUserProfile(unsigned long id) {
    RecordNumber("UmIsUserProfile", id);
    return 0;
}

long WINAPI UmGetLibVersion(unsigned long* version) {
    Record("UmGetLibVersion");
    if (version)
        *version = 0x00040000;
    return 0;
}

long WINAPI UmSlotGetExpMgrVersion(unsigned long id, unsigned long* version) {
    RecordNumber("UmSlotGetExpMgrVersion", id);
    if (version)
        *version = 0;
    return 0;
}

long WINAPI UmSlotGetSlotCount(unsigned long id, unsigned long* count) {
    RecordNumber("UmSlotGetSlotCount", id);
    if (count)
        *count = 0;
    return 0;
}

// No expansion slots are simulated: every slot number is out of range.
long WINAPI UmSlotGetInfo(unsigned long id, unsigned long slot, void*) {
    RecordNumbers("UmSlotGetInfo", id, slot);
    return -503;
}

long WINAPI UmSlotGetMediaType(unsigned long id, unsigned long slot, unsigned long*) {
    RecordNumbers("UmSlotGetMediaType", id, slot);
    return -503;
}

long WINAPI UmSlotGetDisplayName(unsigned long id, unsigned long slot, char*, unsigned long*) {
    RecordNumbers("UmSlotGetDisplayName", id, slot);
    return -503;
}

long WINAPI UmSlotGetInstallDirectory(unsigned long id, unsigned long slot, char*, unsigned long*) {
    RecordNumbers("UmSlotGetInstallDirectory", id, slot);
    return -503;
}

// InstAide.dll

long WINAPI PlmGetLibVersion(unsigned long* version) {
    Record("PlmGetLibVersion");
    if (version)
        *version = 0x00040000;
    return 0;
}

long WINAPI PltInstallFile(const char* user, const char* filePath) {
    Record("PltInstallFile", user ? user : "", filePath ? filePath : "");
    MaybeFault("PltInstallFile");
    if (!user || FindUser(user) < 0)
        return -553;
    if (!filePath || !filePath[0])
        return -506;
    char forced[32];
    ReadConfig("InstallStatus", user, forced, sizeof(forced));
    if (forced[0])
        return strtol(forced, nullptr, 0);
    char queued[MAX_PATH];
    if (!QueuedPath(user, filePath, queued, sizeof(queued), true))
        return -510;
    if (GetFileAttributesA(queued) != INVALID_FILE_ATTRIBUTES)
        return -512;
    if (GetFileAttributesA(filePath) == INVALID_FILE_ATTRIBUTES)
        return -513;
    return CopyFileA(filePath, queued, TRUE) ? 0 : -504;
}

long WINAPI PltRemoveInstallFile(const char* user, const char* filePath) {
    Record("PltRemoveInstallFile", user ? user : "", filePath ? filePath : "");
    MaybeFault("PltRemoveInstallFile");
    char queued[MAX_PATH];
    if (!QueuedPath(user, filePath, queued, sizeof(queued), false))
        return -510;
    return DeleteFileA(queued) ? 0 : -523;
}

// Expansion cards are not simulated.
long WINAPI PlmSlotInstallFile(const char* user, unsigned long, const char* filePath) {
    Record("PlmSlotInstallFile", user ? user : "", filePath ? filePath : "");
    return -514;
}

} // extern "C"
