#include "palm/palm_bridge.h"

#include <new>

#include "palm/palm_bridge_testing.h"
#include "palm/palm_guard.h"
#include "palm/palm_plugin.h"
#include "resources/text_ids.h"
#include "system/language.h"
#include "system/text.h"

namespace {

const char UNKNOWN_EXCEPTION_TEXT[] = "Unknown exception in the PalmInstallPlugin";

// Made on first use and kept, with its libraries, until the process ends.
PalmInstallPlugin* plugin = nullptr;
bool pluginReady = false;
char lastPalmError[256];
char installerFolderOverride[MAX_PATH];

bool EnsurePlugin() {
    if (plugin && pluginReady)
        return true;
    // A plugin left here was cut off by an exception inside Init; its libraries go with it.
    delete plugin;
    pluginReady = false;
    plugin = new (std::nothrow) PalmInstallPlugin;
    if (!plugin) {
        CopyLocalText(lastPalmError, sizeof(lastPalmError), IDT_PALM_EXCEPTION,
                      UNKNOWN_EXCEPTION_TEXT);
        return false;
    }
    if (plugin->Init(installerFolderOverride)) {
        pluginReady = true;
        return true;
    }
    CopyText(lastPalmError, sizeof(lastPalmError), plugin->ErrorText());
    delete plugin;
    plugin = nullptr;
    return false;
}

struct UsersCall {
    char* buffer;
    size_t size;
    bool result;
};

void ListUsersGuarded(void* context) {
    UsersCall* call = static_cast<UsersCall*>(context);
    if (!EnsurePlugin())
        return;
    if (plugin->ListUsers(call->buffer, call->size)) {
        call->result = true;
        return;
    }
    CopyText(lastPalmError, sizeof(lastPalmError), plugin->ErrorText());
}

struct InstallCall {
    const char* filePath;
    const char* userName;
    bool result;
};

void InstallGuarded(void* context) {
    InstallCall* call = static_cast<InstallCall*>(context);
    if (!EnsurePlugin())
        return;
    if (!plugin->SetUser(call->userName)) {
        FormatText(lastPalmError, sizeof(lastPalmError),
                   LocalText(IDT_PALM_SET_USER_FAILED, "Failed to set user '%s':\n%s"),
                   call->userName, plugin->ErrorText());
        return;
    }
    if (!plugin->QueueFile(call->userName, call->filePath, true)) {
        CopyText(lastPalmError, sizeof(lastPalmError), plugin->ErrorText());
        return;
    }
    call->result = true;
}

bool Guarded(void (*body)(void*), void* context) {
    if (RunGuarded(body, context))
        return true;
    CopyLocalText(lastPalmError, sizeof(lastPalmError), IDT_PALM_EXCEPTION, UNKNOWN_EXCEPTION_TEXT);
    return false;
}

} // namespace

bool GetHotSyncUsers(char* buffer, size_t size) {
    UsersCall call{buffer, size, false};
    return Guarded(ListUsersGuarded, &call) && call.result;
}

bool InstallPalmFile(const char* filePath, const char* userName) {
    InstallCall call{filePath ? filePath : "", userName ? userName : "", false};
    return Guarded(InstallGuarded, &call) && call.result;
}

void GetPalmErrorText(char* buffer, size_t size) {
    CopyText(buffer, size, lastPalmError);
}

void ResetPalmBridgeForTesting(const char* installerFolder) {
    delete plugin;
    plugin = nullptr;
    pluginReady = false;
    CopyText(lastPalmError, sizeof(lastPalmError), "");
    CopyText(installerFolderOverride, sizeof(installerFolderOverride), installerFolder);
}
