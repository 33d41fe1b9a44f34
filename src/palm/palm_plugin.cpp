#include "palm/palm_plugin.h"

#include <string.h>

#include "palm/palm_error_texts.h"
#include "system/library_binding.h"
#include "system/module_path.h"
#include "system/text.h"

namespace {

const char CONDMGR_FILE[] = "CondMgr.dll";
const char USERDATA_FILE[] = "UserData.dll";
const char INSTAIDE_FILE[] = "InstAide.dll";
// The user list behind a file queued for every user.
const size_t ALL_USERS_LIST_SIZE = 1024;

bool EndsWithBackslash(const char* folder) {
    const char* last = FindLastChar(folder, '\\');
    return last && last[1] == '\0';
}

// Always by full path: a bare name would go through the DLL search path. An unknown folder
// yields nothing rather than a path relative to the current drive's root.
HMODULE LoadFrom(const char* folder, const char* fileName) {
    if (!folder || folder[0] == '\0')
        return nullptr;
    char path[MAX_PATH];
    size_t length = FormatText(path, sizeof(path), "%s%s%s", folder,
                               EndsWithBackslash(folder) ? "" : "\\", fileName);
    if (length + 1 >= sizeof(path))
        return nullptr;
    return LoadLibraryWithItsFolder(path);
}

// Cuts a path behind its last backslash or, if it has none, its last forward slash.
char* LastSeparator(char* path) {
    char* separator = FindLastChar(path, '\\');
    return separator ? separator : FindLastChar(path, '/');
}

bool BindCondMgr(HMODULE library, CondMgrApi& api) {
    bool bound = BindProc(library, "CmGetCorePath", api.CmGetCorePath);
    bound &= BindProc(library, "CmGetHotSyncExecPath", api.CmGetHotSyncExecPath);
    return bound;
}

bool BindUserData(HMODULE library, UserDataApi& api) {
    bool required = BindProc(library, "UmGetUserCount", api.UmGetUserCount);
    required &= BindProc(library, "UmGetUserID", api.UmGetUserID);
    required &= BindProc(library, "UmGetUserName", api.UmGetUserName);
    required &= BindProc(library, "UmGetUserDirectory", api.UmGetUserDirectory);
    required &= BindProc(library, "UmGetUserPassword", api.UmGetUserPassword);
    required &= BindProc(library, "UmIsUserInstalled", api.UmIsUserInstalled);
    required &= BindProc(library, "UmIsUserProfile", api.UmIsUserProfile);
    required &= BindProc(library, "UmGetIDFromName", api.UmGetIDFromName);
    // Libraries that know UmGetLibVersion come with the slot functions; older ones have neither.
    bool versioned = BindProc(library, "UmGetLibVersion", api.UmGetLibVersion);
    bool slots = BindProc(library, "UmSlotGetExpMgrVersion", api.UmSlotGetExpMgrVersion);
    slots &= BindProc(library, "UmSlotGetSlotCount", api.UmSlotGetSlotCount);
    slots &= BindProc(library, "UmSlotGetInfo", api.UmSlotGetInfo);
    slots &= BindProc(library, "UmSlotGetMediaType", api.UmSlotGetMediaType);
    slots &= BindProc(library, "UmSlotGetDisplayName", api.UmSlotGetDisplayName);
    slots &= BindProc(library, "UmSlotGetInstallDirectory", api.UmSlotGetInstallDirectory);
    return required && (slots || !versioned);
}

bool BindInstAide(HMODULE library, InstAideApi& api) {
    bool bound = BindProc(library, "PlmGetLibVersion", api.PlmGetLibVersion);
    bound &= BindProc(library, "PltInstallFile", api.PltInstallFile);
    bound &= BindProc(library, "PltRemoveInstallFile", api.PltRemoveInstallFile);
    bound &= BindProc(library, "PlmSlotInstallFile", api.PlmSlotInstallFile);
    return bound;
}

} // namespace

PalmInstallPlugin::PalmInstallPlugin()
    : hotSyncFolder(), installerFolder(), errorText(), condMgr(), userData(), instAide(),
      currentUser() {}

bool PalmInstallPlugin::Init(const char* folder) {
    long result = Load(folder);
    FormatLoaderError(result);
    if (result != PALM_LOAD_OK) {
        Release();
        return false;
    }
    return true;
}

long PalmInstallPlugin::Load(const char* folder) {
    if (folder && folder[0] != '\0') {
        CopyText(installerFolder, sizeof(installerFolder), folder);
    } else {
        GetExecutableFolder(installerFolder, sizeof(installerFolder));
    }

    condMgrLibrary.Reset(LoadFrom(installerFolder, CONDMGR_FILE));
    if (!condMgrLibrary)
        return PALM_LOAD_NO_PACKAGED_CONDMGR;
    CmGetHotSyncExecPathFn getExecPath;
    if (!BindProc(condMgrLibrary.Get(), "CmGetHotSyncExecPath", getExecPath))
        return PALM_LOAD_INVALID_CONDMGR;
    char execPath[260] = {};
    unsigned long execPathSize = sizeof(execPath);
    long status = getExecPath(execPath, &execPathSize);
    if (status != 0)
        return status;
    CopyText(hotSyncFolder, sizeof(hotSyncFolder), execPath);
    char* separator = LastSeparator(hotSyncFolder);
    if (separator)
        separator[1] = '\0';
    else if (hotSyncFolder[0] != '\0' && hotSyncFolder[1] == ':')
        hotSyncFolder[2] = '\0';
    else
        hotSyncFolder[0] = '\0';

    // The installed Conduit Manager is preferred to the packaged one, which only served to find
    // it. Reset frees the packaged copy.
    HMODULE installed = LoadFrom(hotSyncFolder, CONDMGR_FILE);
    if (installed)
        condMgrLibrary.Reset(installed);

    userDataLibrary.Reset(LoadFrom(hotSyncFolder, USERDATA_FILE));
    if (!userDataLibrary)
        userDataLibrary.Reset(LoadFrom(installerFolder, USERDATA_FILE));
    if (!userDataLibrary)
        return PALM_LOAD_NO_USERDATA;
    instAideLibrary.Reset(LoadFrom(hotSyncFolder, INSTAIDE_FILE));
    if (!instAideLibrary)
        instAideLibrary.Reset(LoadFrom(installerFolder, INSTAIDE_FILE));
    if (!instAideLibrary)
        return PALM_LOAD_NO_INSTAIDE;

    if (!BindCondMgr(condMgrLibrary.Get(), condMgr)) {
        condMgr = CondMgrApi();
        return PALM_LOAD_INVALID_CONDMGR;
    }
    if (!BindUserData(userDataLibrary.Get(), userData)) {
        userData = UserDataApi();
        return PALM_LOAD_INVALID_USERDATA;
    }
    if (!BindInstAide(instAideLibrary.Get(), instAide)) {
        instAide = InstAideApi();
        return PALM_LOAD_INVALID_INSTAIDE;
    }
    return PALM_LOAD_OK;
}

void PalmInstallPlugin::Release() {
    instAideLibrary.Reset();
    userDataLibrary.Reset();
    condMgrLibrary.Reset();
    instAide = InstAideApi();
    userData = UserDataApi();
    condMgr = CondMgrApi();
}

void PalmInstallPlugin::FormatLoaderError(long code) {
    LoaderErrorText(code, errorText, sizeof(errorText));
}

void PalmInstallPlugin::SetUserDataError(long status) {
    if (status < 0)
        UserDataErrorText(status, errorText, sizeof(errorText));
    else
        CopyText(errorText, sizeof(errorText), "");
}

bool PalmInstallPlugin::ListUsers(char* buffer, size_t size) {
    // Room for the two NULs of an empty list is the least a caller must give.
    if (!buffer || size < 2) {
        SetUserDataError(USERDATA_BUFFER_TOO_SMALL);
        if (buffer && size > 0)
            buffer[0] = '\0';
        return false;
    }
    // A fresh status: an empty list is a success even after an earlier UserData call failed.
    long status = 0;
    size_t position = 0;
    short count = userData.UmGetUserCount();
    if (count < 0)
        status = count;
    for (short index = 0; index < count; ++index) {
        PalmUserId id = 0;
        status = userData.UmGetUserID(index, &id);
        if (status < 0)
            break;
        char name[80] = {};
        unsigned long nameSize = sizeof(name);
        status = userData.UmGetUserName(id, name, &nameSize);
        if (status < 0)
            break;
        name[sizeof(name) - 1] = '\0';
        size_t length = strlen(name);
        // An empty name would end the list early for every reader.
        if (length > 0 && position + length + 1 < size) {
            CopyText(buffer + position, size - position, name);
            position += length + 1;
        }
    }
    userData.lastStatus = status;
    buffer[position] = '\0';
    if (position == 0)
        buffer[1] = '\0';
    SetUserDataError(status);
    // A positive status counts as success for each call, so it does for the whole list.
    return status >= 0;
}

bool PalmInstallPlugin::SetUser(const char* userName) {
    if (!userName)
        userName = "";
    if (EqualNoCase(userName, currentUser)) {
        CopyText(errorText, sizeof(errorText), "");
        return true;
    }
    // The empty name stands for all users: there is nothing to validate, also after a named user
    // was current (UserData would refuse the empty name).
    if (userName[0] == '\0') {
        CopyText(currentUser, sizeof(currentUser), "");
        userData.userId = 0;
        CopyText(errorText, sizeof(errorText), "");
        return true;
    }
    CopyText(currentUser, sizeof(currentUser), userName);
    long status = userData.UmGetIDFromName(currentUser, &userData.userId);
    userData.lastStatus = status;
    SetUserDataError(status);
    if (status == 0)
        return true;
    userData.userId = 0;
    // A refused name is not remembered: the next attempt asks UserData again instead of letting
    // the unchecked name through.
    CopyText(currentUser, sizeof(currentUser), "");
    return false;
}

bool PalmInstallPlugin::QueueFile(const char* userName, const char* filePath, bool replace) {
    if (userName && userName[0] != '\0')
        return QueueFileForUser(userName, filePath, replace);
    char users[ALL_USERS_LIST_SIZE];
    if (!ListUsers(users, sizeof(users)))
        return false;
    bool queued = true;
    for (const char* name = users; name[0] != '\0'; name += strlen(name) + 1) {
        if (!QueueFileForUser(name, filePath, replace))
            queued = false;
    }
    return queued;
}

bool PalmInstallPlugin::QueueFileForUser(const char* userName, const char* filePath, bool replace) {
    char name[256];
    CopyText(name, sizeof(name), userName);
    char path[256];
    CopyText(path, sizeof(path), filePath);
    if (replace)
        instAide.PltRemoveInstallFile(name, path);
    long status = instAide.PltInstallFile(name, path);
    instAide.lastStatus = status;
    if (status < 0)
        InstAideErrorText(status, errorText, sizeof(errorText));
    else
        CopyText(errorText, sizeof(errorText), "");
    return status == 0;
}
