#pragma once
// Entry points of the Palm HotSync desktop libraries (CondMgr.dll, UserData.dll, InstAide.dll),
// bound at run time by name. All use the Windows API calling convention and ANSI texts; statuses
// and sizes are 32 bits wide, except the user count, which is a 16-bit signed value.
#include <windows.h>

using PalmUserId = unsigned long;

// CondMgr.dll
using CmGetHotSyncExecPathFn = long(WINAPI*)(char* path, unsigned long* size);
using CmGetCorePathFn = long(WINAPI*)(char* path, unsigned long* size);

// UserData.dll
using UmGetUserCountFn = short(WINAPI*)();
using UmGetUserIDFn = long(WINAPI*)(long index, PalmUserId* id);
using UmGetUserNameFn = long(WINAPI*)(PalmUserId id, char* name, unsigned long* size);
using UmGetIDFromNameFn = long(WINAPI*)(const char* name, PalmUserId* id);

// InstAide.dll
using PltInstallFileFn = long(WINAPI*)(const char* userName, const char* filePath);
using PltRemoveInstallFileFn = long(WINAPI*)(const char* userName, const char* filePath);

// Exports that are bound only so that their presence can be checked; they are never called, so
// no arguments are declared for them.
using PalmPresenceFn = long(WINAPI*)();

struct CondMgrApi {
    CmGetCorePathFn CmGetCorePath;
    CmGetHotSyncExecPathFn CmGetHotSyncExecPath;
};

struct UserDataApi {
    UmGetUserCountFn UmGetUserCount;
    UmGetUserIDFn UmGetUserID;
    UmGetUserNameFn UmGetUserName;
    PalmPresenceFn UmGetUserDirectory;
    PalmPresenceFn UmGetUserPassword;
    PalmPresenceFn UmIsUserInstalled;
    PalmPresenceFn UmIsUserProfile;
    UmGetIDFromNameFn UmGetIDFromName;
    PalmPresenceFn UmGetLibVersion;
    PalmPresenceFn UmSlotGetExpMgrVersion;
    PalmPresenceFn UmSlotGetSlotCount;
    PalmPresenceFn UmSlotGetInfo;
    PalmPresenceFn UmSlotGetMediaType;
    PalmPresenceFn UmSlotGetDisplayName;
    PalmPresenceFn UmSlotGetInstallDirectory;
    long lastStatus;
    PalmUserId userId;
};

struct InstAideApi {
    PalmPresenceFn PlmGetLibVersion;
    PltInstallFileFn PltInstallFile;
    PltRemoveInstallFileFn PltRemoveInstallFile;
    PalmPresenceFn PlmSlotInstallFile;
    long lastStatus;
};
