#include "app/desktop_actions.h"

#include <string.h>

#include "app/files_in_use.h"
#include "app/install_result.h"
#include "log/log_format.h"
#include "system/file_probe.h"
#include "system/file_protection.h"
#include "system/file_replace.h"
#include "system/file_version.h"
#include "system/run_record.h"
#include "system/shared_count.h"
#include "system/staging_path.h"
#include "system/text.h"

namespace {

bool IsFolder(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void NoteFailedFile(InstallContext& context, const char* path) {
    CopyText(context.failedFileName, sizeof(context.failedFileName), FileNamePart(path));
}

} // namespace

void PrepareItemPaths(InstallContext& context, const char* itemPath, bool makeFolder) {
    context.sourcePath[0] = '\0';
    context.targetPath[0] = '\0';
    if (!itemPath)
        return;
    // A path without a folder, or ending in a backslash, names no file to take from the
    // installer folder, and its target would be relative to whatever folder is current: both
    // scratch paths stay empty (a missing source to the callers). A target too long for its
    // buffer stays empty as well rather than being cut into the name of another file.
    const char* slash = FindLastChar(itemPath, '\\');
    if (!slash || slash[1] == '\0')
        return;

    if (strlen(context.installerFolder) + strlen(slash) >= sizeof(context.sourcePath))
        return;
    CopyText(context.sourcePath, sizeof(context.sourcePath), context.installerFolder);
    AppendText(context.sourcePath, sizeof(context.sourcePath), slash);

    char expanded[MACRO_EXPANSION_ROOM];
    context.Expand(itemPath, expanded, sizeof(expanded));
    if (strlen(expanded) >= sizeof(context.targetPath))
        return;
    CopyText(context.targetPath, sizeof(context.targetPath), expanded);
    if (makeFolder)
        MakeDirectoryPath(context, context.targetPath, true);
}

bool MakeDirectoryPath(InstallContext& context, const char* path, bool stripFileName) {
    if (!path)
        return false;
    if (path[0] == '%') {
        context.Expand(path, context.targetPath, sizeof(context.targetPath));
        path = context.targetPath;
    }
    // The cuts below happen on a copy, so the caller's text never changes.
    char folder[MAX_PATH];
    if (CopyText(folder, sizeof(folder), path) != strlen(path))
        return false;
    if (stripFileName) {
        char* slash = FindLastChar(folder, '\\');
        if (!slash)
            return false;
        *slash = '\0';
    }
    size_t fullLength = strlen(folder);
    if (fullLength == 0)
        return false;

    DWORD attributes;
    while ((attributes = GetFileAttributesA(folder)) == INVALID_FILE_ATTRIBUTES) {
        char* slash = FindLastChar(folder, '\\');
        if (!slash)
            return false;
        *slash = '\0';
    }
    size_t length = strlen(folder);
    if (length == fullLength)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) && context.WriteFolder(folder, false);
    // Outermost missing level first: each cut is a backslash that is put back in turn. Each line
    // comes before its folder, so that a run ended in between leaves no folder its log does not
    // name; a line for a folder that then cannot be made costs the removal nothing.
    while (length < fullLength) {
        folder[length] = '\\';
        length = strlen(folder);
        if (!context.WriteFolder(folder, true))
            return false;
        if (!CreateDirectoryA(folder, nullptr) && !IsFolder(folder))
            return false;
    }
    return true;
}

namespace {
enum TargetState { TARGET_MISSING, TARGET_DIFFERS, TARGET_MATCHES };

// Asked first through the target's attributes: a search costs several more system calls.
TargetState CompareTarget(const char* source, const char* target) {
    WIN32_FIND_DATAA one;
    WIN32_FIND_DATAA other;
    if (GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES || !ProbeFile(target, &other))
        return TARGET_MISSING;
    if (!ProbeFile(source, &one))
        return TARGET_DIFFERS;
    bool same = one.nFileSizeHigh == other.nFileSizeHigh &&
                one.nFileSizeLow == other.nFileSizeLow &&
                one.ftLastWriteTime.dwLowDateTime == other.ftLastWriteTime.dwLowDateTime &&
                one.ftLastWriteTime.dwHighDateTime == other.ftLastWriteTime.dwHighDateTime;
    return same ? TARGET_MATCHES : TARGET_DIFFERS;
}
} // namespace

bool FilesMatch(const char* first, const char* second) {
    return CompareTarget(first, second) == TARGET_MATCHES;
}

bool ClearReadOnly(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        SetFileAttributesA(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    }
    return true;
}

bool KeepsSharedTarget(const InstallContext& context, const char* source, const char* target) {
    if (!CountsAsShared(context.destPath, target) ||
        GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES)
        return false;
    if (IsProtectedFile(target))
        return true;
    FileVersionInfo installed;
    FileVersionInfo shipped;
    return ReadFileVersion(target, &installed) && ReadFileVersion(source, &shipped) &&
           installed.version > shipped.version;
}

namespace {
// A copy that fails half-way (a full disk, a scanner holding the new file) must not cost the
// user the working file, which may be another product's too.
bool CopyBesideAndReplace(const char* source, const char* target) {
    char folder[MAX_PATH];
    CopyText(folder, sizeof(folder), target);
    char* slash = FindLastChar(folder, '\\');
    char temporary[MAX_PATH];
    if (!slash)
        return false;
    *slash = '\0';
    if (!GetTempFileNameA(folder, "orv", 0, temporary))
        return false;
    if (CopyFileA(source, temporary, FALSE) && ClearReadOnly(target) &&
        ReplaceFileNow(temporary, target))
        return true;
    ClearReadOnly(temporary);
    DeleteFileA(temporary);
    return false;
}

// The staged copy is logged too: a removal before the restart takes it away, and the pending
// replacement then finds nothing to move.
int ReplaceAtRestart(InstallContext& context) {
    char staging[MAX_PATH];
    if (!FormStagingPath(context.targetPath, staging, sizeof(staging))) {
        NoteFailedFile(context, context.sourcePath);
        return RESULT_COPY_FAILED;
    }
    if (!context.WriteEntry(LogKeywordText(LOG_FILE_COPY), staging))
        return RESULT_LOG_INCOMPLETE;
    ClearReadOnly(staging);
    DeleteFileA(staging);
    if (!CopyFileA(context.sourcePath, staging, FALSE) || !ClearReadOnly(staging) ||
        !ClearReadOnly(context.targetPath) || !ReplaceFileAtRestart(staging, context.targetPath)) {
        DeleteFileA(staging);
        NoteFailedFile(context, context.sourcePath);
        return RESULT_COPY_FAILED;
    }
    context.replacedAtRestart = true;
    WriteRunRecord("Replaced at restart: ", context.targetPath);
    return RESULT_OK;
}
} // namespace

int CopyDesktopFile(InstallContext& context, const char* itemPath) {
    PrepareItemPaths(context, itemPath, true);
    if (context.Stopped())
        return RESULT_LOG_INCOMPLETE;
    DWORD sourceAttributes =
        context.sourcePath[0] ? GetFileAttributesA(context.sourcePath) : INVALID_FILE_ATTRIBUTES;
    if (sourceAttributes == INVALID_FILE_ATTRIBUTES) {
        NoteFailedFile(context, context.sourcePath[0] ? context.sourcePath : itemPath);
        return RESULT_SOURCE_MISSING;
    }
    if (context.targetPath[0] == '\0') {
        NoteFailedFile(context, context.sourcePath);
        return RESULT_COPY_FAILED;
    }
    bool shared = CountsAsShared(context.destPath, context.targetPath);
    // Counted before the entry: a run cut short between the two leaves the count too high,
    // which keeps the file, never too low, which would take it from another product.
    if (shared)
        CountSharedFile(context.targetPath);
    if (!context.WriteEntry(LogKeywordText(LOG_FILE_COPY), context.targetPath))
        return RESULT_LOG_INCOMPLETE;
    if (shared && KeepsSharedTarget(context, context.sourcePath, context.targetPath)) {
        WriteRunRecord("Kept newer file: ", context.targetPath);
        return RESULT_OK;
    }
    // Most targets of an install are new: a copy that will not overwrite finds that out without
    // a look of its own at the target, which is costly in a large folder.
    if (CopyFileA(context.sourcePath, context.targetPath, TRUE)) {
        // The new file has its source's attributes: one from read-only media would stay
        // read-only.
        if (sourceAttributes & FILE_ATTRIBUTE_READONLY)
            ClearReadOnly(context.targetPath);
        return RESULT_OK;
    }
    TargetState target = CompareTarget(context.sourcePath, context.targetPath);
    if (target == TARGET_MATCHES)
        return RESULT_OK;
    if (target == TARGET_DIFFERS && context.earlierLog &&
        MarkedInUse(*context.earlierLog, context.targetPath))
        return ReplaceAtRestart(context);
    if (target == TARGET_DIFFERS ? CopyBesideAndReplace(context.sourcePath, context.targetPath)
                                 : CopyFileA(context.sourcePath, context.targetPath, FALSE)) {
        ClearReadOnly(context.targetPath);
        return RESULT_OK;
    }
    NoteFailedFile(context, context.sourcePath);
    return RESULT_COPY_FAILED;
}
