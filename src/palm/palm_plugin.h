#pragma once
// The object behind the Palm bridge: binds the HotSync libraries at run time, lists the HotSync
// users and queues Palm files into their install queues.
#include <stddef.h>

#include "palm/hotsync_api.h"
#include "system/win_handles.h"

class PalmInstallPlugin {
  public:
    PalmInstallPlugin();
    PalmInstallPlugin(const PalmInstallPlugin&) = delete;
    PalmInstallPlugin& operator=(const PalmInstallPlugin&) = delete;

    // Loads and binds the three libraries. installerFolder (null or empty: the folder of the
    // running executable) is where the packaged CondMgr.dll lies. On false errorText holds the
    // reason and everything is released again.
    bool Init(const char* installerFolder = nullptr);
    // Unloads the libraries and clears the tables; safe on a partly loaded object.
    void Release();
    // Writes the text of a loader result code into errorText.
    void FormatLoaderError(long code);

    // The user names, each ended by a NUL, the list ended by an empty name.
    bool ListUsers(char* buffer, size_t size);
    bool SetUser(const char* userName);
    // An empty user name queues the file for every listed user.
    bool QueueFile(const char* userName, const char* filePath, bool replace);
    bool QueueFileForUser(const char* userName, const char* filePath, bool replace);

    const char* ErrorText() const { return errorText; }
    const char* HotSyncFolder() const { return hotSyncFolder; }
    const char* InstallerFolder() const { return installerFolder; }

  private:
    long Load(const char* folder);
    void SetUserDataError(long status);

    char hotSyncFolder[260];
    char installerFolder[260];
    char errorText[256];
    Library condMgrLibrary;
    CondMgrApi condMgr;
    Library userDataLibrary;
    UserDataApi userData;
    Library instAideLibrary;
    InstAideApi instAide;
    char currentUser[256];
};
