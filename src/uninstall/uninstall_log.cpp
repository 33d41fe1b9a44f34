#include "uninstall/uninstall_log.h"

#include <new>
#include <string.h>

#include <memory>

#include "log/log_format.h"
#include "script/trim_field.h"
#include "system/file_probe.h"
#include "system/message_box.h"
#include "system/text.h"
#include "system/win_handles.h"

static void ReleaseEntry(void** slot) {
    delete static_cast<LogEntry*>(*slot);
    *slot = nullptr;
}

UninstallLog::UninstallLog() : entries(ReleaseEntry) {
    logPath[0] = '\0';
    sourceFolder[0] = '\0';
    title[0] = '\0';
}

UninstallLog::~UninstallLog() {
    // The caption would otherwise point into freed memory.
    if (captionTitle == title)
        captionTitle = nullptr;
}

void UninstallLog::Clear() {
    entries.Clear();
    sourceFolder[0] = '\0';
    title[0] = '\0';
    deleteFailed = false;
}

void ParseLogEntry(char* line, LogEntry* entry) {
    entry->kind = LOG_NONE;
    entry->path[0] = '\0';
    for (const LogKeyword& keyword : logKeywords) {
        if (StartsWithNoCase(line, keyword.text)) {
            entry->kind = keyword.code;
            CopyText(entry->path, sizeof(entry->path), TrimField(line + strlen(keyword.text)));
            return;
        }
    }
}

// The writer formats the title line as "Title: <title> Installation", so a line ending in the
// suffix yields the title exactly as written, outer blanks included: those name the uninstall key
// ("Acme" with an empty Application is "Acme "), and trimming would delete another product's
// key. Other lines are trimmed and cut at the last occurrence, so a product whose own name holds
// the word keeps it.
static void TakeTitle(char* text, char* title, size_t size) {
    size_t length = strlen(text);
    while (length > 0 && static_cast<unsigned char>(text[length - 1]) <= 32)
        text[--length] = '\0';
    size_t suffixLength = strlen(LOG_HEADER_INSTALLATION);
    if (length >= suffixLength &&
        strcmp(text + length - suffixLength, LOG_HEADER_INSTALLATION) == 0) {
        text[length - suffixLength] = '\0';
        CopyText(title, size, text);
        return;
    }
    text = TrimField(text);
    char* last = nullptr;
    for (char* found = FindText(text, LOG_HEADER_INSTALLATION); found;
         found = FindText(found + 1, LOG_HEADER_INSTALLATION))
        last = found;
    if (last)
        *last = '\0';
    CopyText(title, size, text);
}

// Handles one line of the file; false ends the reading.
static bool ReadLine(char* line, int32_t lineNumber, UninstallLog* log) {
    switch (lineNumber) {
    case 0:
        return StartsWith(line, LOG_HEADER_STARTED);
    case 1: {
        if (!StartsWith(line, LOG_HEADER_TITLE))
            return false;
        TakeTitle(line + strlen(LOG_HEADER_TITLE), log->title, sizeof(log->title));
        captionTitle = log->title;
        return true;
    }
    case 2:
        if (!StartsWith(line, LOG_HEADER_SOURCE))
            return false;
        CopyText(log->sourceFolder, sizeof(log->sourceFolder),
                 TrimField(line + strlen(LOG_HEADER_SOURCE)));
        return true;
    default:
        break;
    }
    if (line[0] == '\0')
        return true;
    if (log->entries.Count() >= UNINSTALL_LOG_MAX_ENTRIES)
        return false;
    LogEntry* entry = new (std::nothrow) LogEntry;
    if (!entry)
        return false;
    ParseLogEntry(line, entry);
    // On failure the array has already released what it held.
    if (!log->entries.Add(entry)) {
        delete entry;
        return false;
    }
    return true;
}

void ReadUninstallLog(const char* path, UninstallLog* log) {
    log->Clear();
    log->logPath[0] = '\0';
    // A cut path would name some other file, which the finishing step would then delete.
    if (!path || strlen(path) >= sizeof(log->logPath))
        return;
    CopyText(log->logPath, sizeof(log->logPath), path);

    WIN32_FIND_DATAA found;
    if (!ProbeFile(path, &found) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    if (found.nFileSizeHigh != 0 || found.nFileSizeLow == 0 ||
        found.nFileSizeLow > UNINSTALL_LOG_MAX_SIZE)
        return;
    DWORD size = found.nFileSizeLow;

    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    // Zero-filled, so the text ends right after the bytes read.
    std::unique_ptr<char[]> text(new (std::nothrow) char[size + 4]());
    if (!text)
        return;
    DWORD got = 0;
    if (!ReadFile(file.Get(), text.get(), size, &got, nullptr) || got == 0)
        return;
    file.Reset();

    // Split at each line feed. The text ends after the last byte read, not on it: a file whose
    // last line has no line feed keeps that line's last character.
    char* end = text.get() + got;
    char* line = text.get();
    for (int32_t lineNumber = 0; line < end; ++lineNumber) {
        char* feed = static_cast<char*>(memchr(line, '\n', end - line));
        char* next = end;
        if (feed) {
            *feed = '\0';
            next = feed + 1;
        }
        if (!ReadLine(line, lineNumber, log))
            return;
        line = next;
    }
}
