#include "check/folder_inventory.h"

#include <stdlib.h>
#include <windows.h>

#include "log/log_format.h"
#include "system/file_probe.h"
#include "system/text.h"
#include "system/win_handles.h"

namespace {
const char PALM_SUPPORT_FILE[] = "CondMgr.dll";
const char* const OWN_FILES[] = {"Setup.exe", "Setup.ini", "SetupCheck.exe"};
// What the installer needs beside itself whatever the script says.
const char* const INSTALLER_FILES[] = {"Setup.exe", "Setup.ini"};

bool OneOf(const char* name, const char* const* names, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (EqualNoCase(name, names[i]))
            return true;
    }
    return false;
}
} // namespace

bool FileExists(const char* path, unsigned long long* bytes) {
    WIN32_FIND_DATAA found;
    if (!ProbeFile(path, &found) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if (bytes)
        *bytes = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return true;
}

FolderInventory::~FolderInventory() {
    free(files_);
}

void ForEachFileOf(const char* folder, const char* pattern, void (*visit)(const char*, void*),
                   void* context) {
    char path[MAX_PATH];
    FormatText(path, sizeof(path), "%s\\%s", folder, pattern);
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(path, &found));
    if (!search.IsValid())
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            visit(found.cFileName, context);
    } while (FindNextFileA(search.Get(), &found));
}

void FolderInventory::List(const char* folder) {
    ForEachFileOf(
        folder, "*",
        [](const char* name, void* context) { static_cast<FolderInventory*>(context)->Add(name); },
        this);
}

void FolderInventory::Add(const char* name) {
    if (count_ == capacity_) {
        void* grown = realloc(files_, (capacity_ + 32) * sizeof(File));
        if (!grown)
            return;
        files_ = static_cast<File*>(grown);
        capacity_ += 32;
    }
    CopyText(files_[count_].name, sizeof(files_[count_].name), name);
    files_[count_++].named = false;
}

bool FolderInventory::MarkNamed(const char* name) {
    if (!*outside_ && (FindChar(name, '\\') || FindChar(name, '/')))
        CopyText(outside_, sizeof(outside_), name);
    bool marked = false;
    for (int i = 0; i < count_; ++i) {
        if (EqualNoCase(files_[i].name, name)) {
            files_[i].named = true;
            marked = true;
        }
    }
    return marked;
}

void FolderInventory::NotePalmLine(int line) {
    if (!firstPalmLine_ || line < firstPalmLine_)
        firstPalmLine_ = line;
}

void FolderInventory::Report(Findings* findings, bool unnamed) {
    if (firstPalmLine_ && !MarkNamed(PALM_SUPPORT_FILE))
        findings->Add(firstPalmLine_, FINDING_ERROR,
                      "Palm files need \"%s\" in the product folder: without it the installer "
                      "cannot find HotSync",
                      PALM_SUPPORT_FILE);
    for (int i = 0; i < count_; ++i) {
        if (EqualNoCase(files_[i].name, LOG_FILE_NAME))
            findings->Add(0, FINDING_WARNING,
                          "\"%s\" is in the product folder: the installer writes its own log "
                          "under this name into the destination folder, and the uninstaller reads "
                          "only that one (leave it out)",
                          files_[i].name);
        else if (unnamed && !files_[i].named && !OneOf(files_[i].name, OWN_FILES, 3))
            findings->Add(0, FINDING_WARNING,
                          "\"%s\" is in the product folder, but no item names it", files_[i].name);
    }
}

bool FolderInventory::ListNeeded(NeededSink sink, void* context) const {
    if (*outside_) {
        sink(outside_, false, context);
        return false;
    }
    for (int i = 0; i < count_; ++i) {
        if (files_[i].named || OneOf(files_[i].name, INSTALLER_FILES, 2))
            sink(files_[i].name, true, context);
    }
    return true;
}
