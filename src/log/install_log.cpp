#include "log/install_log.h"

#include <new>
#include <stdarg.h>
#include <string.h>

#include "log/install_log_hook.h"
#include "log/log_format.h"
#include "system/text.h"

BOOL(WINAPI* writeLogFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) = WriteFile;

namespace {
const size_t LINE_SIZE = 292;

// Keeps the closing line feed even when the text is cut, so that one long value can never run
// into the next entry.
size_t FormatLine(char* line, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
size_t FormatLine(char* line, size_t size, const char* format, ...) {
    if (!line || size < 2) {
        if (line && size > 0)
            line[0] = '\0';
        return 0;
    }
    va_list args;
    va_start(args, format);
    size_t length = FormatTextV(line, size - 1, format, args);
    va_end(args);
    line[length] = '\n';
    line[length + 1] = '\0';
    return length + 1;
}

// A full disk shows as a failed or a short write.
bool WriteLine(HANDLE file, const char* line, size_t length) {
    DWORD written = 0;
    return writeLogFile(file, line, static_cast<DWORD>(length), &written, nullptr) &&
           written == length;
}
} // namespace

size_t FormatLogStartedLine(const SYSTEMTIME& utc, char* line, size_t size) {
    return FormatLine(line, size, "%s%02d/%02d/%02d %02d:%02d  ***", LOG_HEADER_STARTED, utc.wMonth,
                      utc.wDay, utc.wYear, utc.wHour, utc.wMinute);
}

size_t FormatLogTitleLine(const char* title, char* line, size_t size) {
    return FormatLine(line, size, "%s%s%s", LOG_HEADER_TITLE, title ? title : "",
                      LOG_HEADER_INSTALLATION);
}

size_t FormatLogSourceLine(const char* source, char* line, size_t size) {
    return FormatLine(line, size, "%s%s", LOG_HEADER_SOURCE, source ? source : "");
}

size_t FormatLogEntryLine(const char* keyword, const char* value, char* line, size_t size) {
    return FormatLine(line, size, "%s %s", keyword ? keyword : "", value ? value : "");
}

namespace {
void ReleaseText(void** slot) {
    delete[] static_cast<char*>(*slot);
    *slot = nullptr;
}
} // namespace

InstallLog::InstallLog(const char* logFileName) : pendingFolders(ReleaseText) {
    CopyText(fileName, sizeof(fileName), logFileName);
}

InstallLog::~InstallLog() {
    CloseLog();
}

void InstallLog::WriteEntry(const char* keyword, const char* value) {
    if (fileName[0] == '\0')
        return;
    HANDLE file = OpenLog();
    // Entries made before the log's folder exists have no file to go to.
    if (file == INVALID_HANDLE_VALUE)
        return;
    char line[LINE_SIZE];
    size_t length = FormatLogEntryLine(keyword, value, line, sizeof(line));
    if (!WriteLine(file, line, length))
        linesLost = true;
}

void InstallLog::WriteMadeFolder(const char* folder) {
    if (fileName[0] == '\0' || !folder)
        return;
    if (OpenLog() != INVALID_HANDLE_VALUE) {
        WriteEntry(LogKeywordText(LOG_MADE_DIR), folder);
        return;
    }
    size_t size = strlen(folder) + 1;
    char* copy = new (std::nothrow) char[size];
    if (!copy)
        return;
    CopyText(copy, size, folder);
    // On failure the array has already released what it held.
    if (!pendingFolders.Add(copy))
        delete[] copy;
}

// Made in order, so parents come before the folders inside them.
void InstallLog::WritePendingFolders() {
    char line[LINE_SIZE];
    for (int32_t index = 0; index < pendingFolders.Count(); ++index) {
        const char* folder = static_cast<const char*>(pendingFolders.At(index));
        if (!WriteLine(
                fileHandle.Get(), line,
                FormatLogEntryLine(LogKeywordText(LOG_MADE_DIR), folder, line, sizeof(line))))
            linesLost = true;
    }
    pendingFolders.Clear();
}

HANDLE InstallLog::OpenLog() {
    if (fileHandle)
        return fileHandle.Get();
    // A stale "already exists" left by an earlier call would cost a new log its header.
    SetLastError(ERROR_SUCCESS);
    fileHandle.Reset(CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!fileHandle)
        return INVALID_HANDLE_VALUE;
    // Asked of the open itself rather than probed before it: the answer then belongs to the
    // file actually opened.
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        SetFilePointer(fileHandle.Get(), 0, nullptr, FILE_END);
        WritePendingFolders();
        return fileHandle.Get();
    }
    SYSTEMTIME now;
    GetSystemTime(&now);
    char line[LINE_SIZE];
    bool written = WriteLine(fileHandle.Get(), line, FormatLogStartedLine(now, line, sizeof(line)));
    written &= WriteLine(fileHandle.Get(), line, FormatLogTitleLine(title, line, sizeof(line)));
    written &= WriteLine(fileHandle.Get(), line, FormatLogSourceLine(source, line, sizeof(line)));
    if (!written)
        linesLost = true;
    WritePendingFolders();
    return fileHandle.Get();
}

void InstallLog::CloseLog() {
    fileHandle.Reset();
}
