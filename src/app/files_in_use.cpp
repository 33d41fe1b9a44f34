#include "app/files_in_use.h"

#include "app/desktop_actions.h"
#include "app/install_result.h"
#include "log/log_format.h"
#include "resources/resource_ids.h"
#include "script/setup_script.h"
#include "system/file_holders.h"
#include "system/file_replace.h"
#include "system/message_box.h"
#include "system/module.h"
#include "system/text.h"

namespace {
LogEntry* LoggedCopy(const UninstallLog& log, const char* path) {
    for (int32_t index = 0; index < log.EntryCount(); ++index) {
        LogEntry* entry = log.Entry(index);
        if ((entry->kind == LOG_FILE_COPY || entry->kind == LOG_RUN_TARGET ||
             entry->kind == LOG_IN_USE) &&
            EqualNoCase(entry->path, path))
            return entry;
    }
    return nullptr;
}

int AskAboutFileInUse(HWND owner, const char* path) {
    char others[64] = {};
    LoadModuleString(IDS_AND_OTHERS, others, sizeof(others));
    char names[512];
    bool named = NameFileHolders(path, others, names, sizeof(names));
    char format[512] = {};
    LoadModuleString(named ? IDS_FILE_IN_USE_BY : IDS_FILE_IN_USE, format, sizeof(format));
    char text[2048];
    FormatText(text, sizeof(text), format, path, names);
    return ShowMessage(owner, text, IDS_INSTALLATION, MB_RETRYCANCEL | MB_ICONEXCLAMATION, IDCANCEL,
                       false);
}
} // namespace

const char* MarkFilesInUse(InstallContext& context, const PtrArray& items, UninstallLog* log,
                           bool moving) {
    UnmarkFilesInUse(log);
    const char* first = nullptr;
    for (int32_t i = 0; i < items.Count(); ++i) {
        const InstallItem* item = static_cast<const InstallItem*>(items.At(i));
        if ((item->flags & ITEM_PALMFILE) ||
            !(item->flags & (ITEM_COPYFILE | ITEM_REGSERVICE | ITEM_ACTIVESYNC)))
            continue;
        PrepareItemPaths(context, item->path, false);
        LogEntry* entry = context.targetPath[0] ? LoggedCopy(*log, context.targetPath) : nullptr;
        if (!entry)
            continue;
        entry->kind = LOG_RUN_TARGET;
        if ((item->flags & (ITEM_REGSERVICE | ITEM_ACTIVESYNC)) ||
            GetFileAttributesA(context.targetPath) == INVALID_FILE_ATTRIBUTES ||
            FilesMatch(context.sourcePath, context.targetPath) || !FileInUse(context.targetPath))
            continue;
        entry->kind = LOG_IN_USE;
        first = first ? first : entry->path;
    }
    for (int32_t index = 0; moving && index < log->EntryCount(); ++index) {
        LogEntry* entry = log->Entry(index);
        if ((entry->kind == LOG_FILE_COPY || entry->kind == LOG_SHELL_LINK) &&
            FileInUse(entry->path)) {
            // A link marked would be taken back as a copy.
            if (entry->kind == LOG_FILE_COPY)
                entry->kind = LOG_IN_USE;
            first = first ? first : entry->path;
        }
    }
    return first;
}

bool MarkedInUse(const UninstallLog& log, const char* path) {
    const LogEntry* entry = LoggedCopy(log, path);
    return entry && entry->kind == LOG_IN_USE;
}

void UnmarkFilesInUse(UninstallLog* log) {
    for (int32_t index = 0; index < log->EntryCount(); ++index) {
        LogEntry* entry = log->Entry(index);
        if (entry->kind == LOG_IN_USE || entry->kind == LOG_RUN_TARGET)
            entry->kind = LOG_FILE_COPY;
    }
}

int AwaitFilesInUse(InstallContext& context, const PtrArray& items, bool moving, bool unattended,
                    UninstallLog* log) {
    if (moving && (log->incomplete || log->title[0] == '\0'))
        return RESULT_EARLIER_NOT_REMOVED;
    for (;;) {
        const char* first = MarkFilesInUse(context, items, log, moving);
        if (!first || unattended)
            return RESULT_OK;
        if (AskAboutFileInUse(context.ownerWindow, first) != IDRETRY)
            return RESULT_CANCELLED;
    }
}
