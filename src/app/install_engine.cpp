#include "app/install_engine.h"

#include <new>
#include <string.h>

#include "app/desktop_actions.h"
#include "app/earlier_installation.h"
#include "app/files_in_use.h"
#include "app/install_context.h"
#include "app/service_registration.h"
#include "app/uninstall_entry.h"
#include "palm/palm_bridge.h"
#include "resources/resource_ids.h"
#include "script/link_folder.h"
#include "script/ptr_array.h"
#include "log/log_format.h"
#include "script/setup_script.h"
#include "system/language.h"
#include "system/message_box.h"
#include "system/module.h"
#include "system/reserved_destination.h"
#include "system/run_lock.h"
#include "system/serving_wait.h"
#include "system/system_libraries.h"
#include "system/text.h"
#include "system/win_handles.h"

namespace {

const DWORD SHORTCUT_PAUSE_MS = 1100;
// Well inside the second within which the wizard must answer the system, and rare enough to
// cost nothing next to a file copy.
const DWORD SERVE_INTERVAL_MS = 100;

struct ErrorMessage {
    int result;
    UINT stringId;
};

const ErrorMessage errorMessages[] = {
    {RESULT_SERVICE_REGISTER_FAILED, IDS_SERVICE_REGISTER_FAILED},
    {RESULT_SOURCE_MISSING, IDS_SOURCE_MISSING},
    {RESULT_COPY_FAILED, IDS_COPY_FAILED},
    {RESULT_DEVICE_FILE_FAILED, IDS_DEVICE_FILE_FAILED},
    {RESULT_LOG_INCOMPLETE, IDS_LOG_INCOMPLETE},
    {RESULT_ENTRY_FAILED, IDS_ENTRY_FAILED},
    {RESULT_EARLIER_NOT_REMOVED, IDS_EARLIER_NOT_REMOVED},
    {RESULT_LOG_CHANGED, IDS_LOG_CHANGED},
    {RESULT_DEST_RESERVED, IDS_DESTINATION_REFUSED},
};

InstallItem* ItemAt(const PtrArray& items, int32_t index) {
    return static_cast<InstallItem*>(items.At(index));
}

// A Palm file line keeps to the Palm pass whatever option it carries: its path is relative to
// the installer folder and names no desktop target, so copying or registering it would write
// into the current folder, and the Palm pass would queue it all the same.
bool IsPalmItem(const InstallItem* item) {
    return (item->flags & ITEM_PALMFILE) != 0;
}

void RunPrePass(InstallContext& context, const PtrArray& items, bool* hasPalmItems,
                DWORD* lastServed) {
    for (int32_t i = 0; i < items.Count() && !context.Stopped(); ++i) {
        ServeMessagesEvery(lastServed, SERVE_INTERVAL_MS);
        const InstallItem* item = ItemAt(items, i);
        if (IsPalmItem(item))
            *hasPalmItems = true;
        else if (item->flags & ITEM_ACTIVESYNC)
            RemoveOldActiveSyncService(context, item->path);
        else if (item->flags & ITEM_REGSERVICE)
            RemoveOldService(context, item->path);
    }
}

// The log opens, and the uninstall entry is written, before the first action, so that whatever
// the run does can be removed. A selection of Palm files alone records nothing on the desktop.
int StartLogAndEntry(InstallContext& context, const PtrArray& items, bool* entryWritten) {
    bool desktopItems = false;
    for (int32_t i = 0; i < items.Count() && !desktopItems; ++i)
        desktopItems = !IsPalmItem(ItemAt(items, i));
    if (!desktopItems || context.fileName[0] == '\0')
        return RESULT_OK;
    MarkLogPending(context);
    if (context.OpenLog(true) == INVALID_HANDLE_VALUE) {
        // Nothing was done: what was made for the log goes again.
        context.TakeBackUnwrittenLog();
        return RESULT_LOG_INCOMPLETE;
    }
    *entryWritten = WriteUninstallEntry(context);
    return *entryWritten ? RESULT_OK : RESULT_ENTRY_FAILED;
}

// Beside the log, so that the removal speaks the install's language; logged as a copy, so that
// the removal takes it away.
void CopyLanguageFile(InstallContext& context) {
    DWORD size = 0;
    const char* bytes = LanguageBytes(&size);
    char path[MAX_PATH];
    CopyText(path, sizeof(path), context.fileName);
    char* slash = FindLastChar(path, '\\');
    if (!bytes || !slash)
        return;
    CopyText(slash + 1, sizeof(path) - (slash + 1 - path), "_Install.lng");
    if (!context.WriteEntry(LogKeywordText(LOG_FILE_COPY), path))
        return;
    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    char first[64];
    DWORD firstSize =
        static_cast<DWORD>(FormatText(first, sizeof(first), LANGUAGE_COPY_LINE, LanguageTag()));
    DWORD written = 0;
    if (file && WriteFile(file.Get(), first, firstSize, &written, nullptr))
        WriteFile(file.Get(), bytes, size, &written, nullptr);
}

void MakeShortcut(InstallContext& context, const SetupScript& script, const ShortcutItem& item) {
    CreateShortcut(context, item.linkName, ShortcutFolder(item.flags, script.startMenuFolder),
                   item.path, item.arguments, item.iconIndex);
}

// Service flags are tested before the shortcut flag: a shortcut line carrying REGSERVICE or
// ACTIVESYNC names a server file to copy and register.
int RunMainPass(InstallContext& context, SetupScript& script, const PtrArray& items,
                DWORD* lastServed) {
    int result = RESULT_OK;
    // Every shared file's decision asks version.dll and sfc.dll: one load of each for the pass.
    SharedFileUse sharedFiles;
    for (int32_t i = 0; i < items.Count() && result == RESULT_OK && !context.Stopped(); ++i) {
        ServeMessagesEvery(lastServed, SERVE_INTERVAL_MS);
        const InstallItem* item = ItemAt(items, i);
        if (IsPalmItem(item))
            continue;
        if (item->flags & ITEM_ACTIVESYNC) {
            result = RegisterActiveSyncService(context, item->path, &script.restartNeeded);
        } else if (item->flags & ITEM_REGSERVICE) {
            result = RegisterService(context, item->path, &script.restartNeeded);
        } else if (item->flags & ITEM_SHORTCUT) {
            MakeShortcut(context, script, *static_cast<const ShortcutItem*>(item));
            WaitServingMessages(nullptr, SHORTCUT_PAUSE_MS);
        } else if (item->flags & ITEM_COPYFILE) {
            result = CopyDesktopFile(context, item->path);
        }
    }
    return result;
}

int RunPalmPass(InstallContext& context, SetupScript& script, const PtrArray& items,
                bool unattended, DWORD* lastServed) {
    for (int32_t i = 0; i < items.Count(); ++i) {
        ServeMessagesEvery(lastServed, SERVE_INTERVAL_MS);
        const InstallItem* item = ItemAt(items, i);
        if (!IsPalmItem(item))
            continue;
        char fullPath[MAX_PATH];
        FormatText(fullPath, sizeof(fullPath), "%s\\%s", script.installerFolder, item->path);
        if (InstallPalmFile(fullPath, script.hotSyncUser)) {
            script.palmFilesQueued = 1;
            continue;
        }
        // The Palm library's own text is shown whatever reportErrors says.
        char palmText[1024];
        GetPalmErrorText(palmText, sizeof(palmText));
        ShowMessage(context.ownerWindow, palmText, IDS_INSTALLATION, MB_ICONHAND, IDOK, unattended);
        CopyText(context.failedFileName, sizeof(context.failedFileName), FileNamePart(item->path));
        return RESULT_DEVICE_FILE_FAILED;
    }
    return RESULT_OK;
}

} // namespace

char* ComposeErrorText(int result, const char* failedFileName, char* buffer, size_t size) {
    if (!buffer || size == 0)
        return nullptr;
    buffer[0] = '\0';
    UINT stringId = 0;
    for (const ErrorMessage& message : errorMessages) {
        if (message.result == result)
            stringId = message.stringId;
    }
    if (stringId == 0)
        return nullptr;
    char format[256];
    LoadModuleString(stringId, format, sizeof(format));
    FormatText(buffer, size, format, failedFileName ? failedFileName : "");
    AppendText(buffer, size, "\n\n");
    size_t used = strlen(buffer);
    if (size - used > 1)
        LoadModuleString(IDS_SETUP_INCOMPLETE, buffer + used, size - used);
    return buffer;
}

int RunInstall(SetupScript* script, HWND owner, bool reportErrors, bool unattended) {
    EarlierInstallation earlier;
    bool hasEarlier = FindEarlierInstallation(script->productTitle, &earlier);
    if (hasEarlier)
        FollowEarlierInstallation(script, earlier);
    InstallContext* context = new (std::nothrow)
        InstallContext(script->installerFolder, script->destFolder, script->productTitle, owner);
    PtrArray items; // borrows the script's items
    if (!context || !CollectSelectedItems(script, &items)) {
        // Nothing was done; the wizard closes on the nonzero result.
        delete context;
        if (reportErrors)
            ShowMessageId(owner, IDS_SETUP_INCOMPLETE, IDS_INSTALLATION, MB_ICONHAND, IDOK,
                          unattended);
        return RESULT_NOT_STARTED;
    }
    script->restartNeeded = 0;
    if (!unattended)
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));

    int result = RESULT_OK;
    RunLock lock;
    // The entry names one log: installed elsewhere beside it, the earlier installation would be
    // left with no means of removal. It goes once the new one is in place, never before. A log
    // changed since it was written is neither removed nor added to.
    bool moving = hasEarlier && !EqualNoCase(earlier.logPath, context->fileName);
    const char* checkedLog = moving ? earlier.logPath : context->fileName;
    UninstallLog earlierLog;
    if (IsReservedDestination(context->destPath))
        result = RESULT_DEST_RESERVED;
    else if (!lock.Take())
        result = RESULT_BUSY;
    // Added to in place, the log is held from its check to its seal.
    else if (checkedLog[0] != '\0' &&
             !InstallLogUnchanged(checkedLog, &earlierLog,
                                  moving ? INVALID_HANDLE_VALUE : context->HoldLog()))
        result = RESULT_LOG_CHANGED;
    else if (hasEarlier)
        result = AwaitFilesInUse(*context, items, moving, unattended, &earlierLog);
    context->earlierLog = hasEarlier ? &earlierLog : nullptr;
    SavedEntry savedEntry;
    bool restoreEntry = result == RESULT_OK && moving && savedEntry.Save(script->productTitle);
    bool hasPalmItems = false;
    bool entryWritten = false;
    DWORD lastServed = GetTickCount();
    context->script = script;
    if (result == RESULT_OK)
        result = StartLogAndEntry(*context, items, &entryWritten);
    if (result == RESULT_OK && entryWritten)
        CopyLanguageFile(*context);
    if (result == RESULT_OK) {
        RunPrePass(*context, items, &hasPalmItems, &lastServed);
        result = RunMainPass(*context, *script, items, &lastServed);
        // Nothing is done after an entry that could not be written: the uninstall would miss it.
        if (context->Stopped())
            result = RESULT_LOG_INCOMPLETE;
    }

    if (!unattended)
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    if (hasPalmItems && result == RESULT_OK)
        result = RunPalmPass(*context, *script, items, unattended, &lastServed);
    if (context->replacedAtRestart)
        script->restartNeeded = 1;
    if (entryWritten) {
        AddInstalledSize(*context);
        SealInstallLog(*context);
    }
    context->CloseLog();
    if (result == RESULT_OK && moving &&
        !RemoveEarlierInstallation(earlier, &earlierLog, context->fileName))
        script->restartNeeded = 1;
    // A failed move leaves the version that worked: its own files go, and the entry is put back.
    if (result != RESULT_OK && restoreEntry) {
        UninstallLog own;
        InstallLogUnchanged(context->fileName, &own);
        RemoveLoggedInstallation(&own, nullptr, nullptr);
        savedEntry.Restore();
    }

    if (result == RESULT_BUSY)
        ShowMessageId(owner, IDS_ANOTHER_RUN, IDS_INSTALLATION, MB_ICONHAND, IDOK, unattended);
    else if (reportErrors && result != RESULT_OK) {
        const char* named = result == RESULT_LOG_INCOMPLETE        ? context->fileName
                            : result == RESULT_LOG_CHANGED         ? checkedLog
                            : result == RESULT_DEST_RESERVED       ? context->destPath
                            : result == RESULT_ENTRY_FAILED        ? context->productTitle
                            : result == RESULT_EARLIER_NOT_REMOVED ? earlier.folder
                                                                   : context->failedFileName;
        char text[2048];
        if (ComposeErrorText(result, named, text, sizeof(text)))
            ShowMessage(owner, text, IDS_INSTALLATION, MB_ICONHAND, IDOK, unattended);
    }
    delete context;
    items.Clear();
    return result;
}
