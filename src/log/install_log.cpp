#include "log/install_log.h"

#include <new>
#include <stdarg.h>
#include <string.h>

#include "log/install_log_hook.h"
#include "log/log_format.h"
#include "system/text.h"
#include "system/whole_line.h"

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

bool WriteLine(HANDLE file, const char* line, size_t length) {
    return WriteWholeLine(file, line, length, writeLogFile);
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

bool InstallLog::Fail() {
    linesLost = true;
    stopped = true;
    return false;
}

bool InstallLog::WriteEntry(const char* keyword, const char* value) {
    // A run without a log (no title) records nothing and is not stopped for it.
    if (fileName[0] == '\0')
        return true;
    HANDLE file = OpenLog(true);
    if (file == INVALID_HANDLE_VALUE)
        return Fail();
    char line[LINE_SIZE];
    return WriteLine(file, line, FormatLogEntryLine(keyword, value, line, sizeof(line))) || Fail();
}

bool InstallLog::WriteFolder(const char* folder, bool made) {
    if (fileName[0] == '\0')
        return true;
    if (OpenLog() != INVALID_HANDLE_VALUE || stopped)
        return WriteEntry(LogKeywordText(LOG_MADE_DIR), folder);
    if (!made)
        return true;
    size_t size = strlen(folder) + 1;
    char* copy = new (std::nothrow) char[size];
    if (copy) {
        CopyText(copy, size, folder);
        if (pendingFolders.Add(copy))
            return true;
        // The array has already released what it held.
        delete[] copy;
    }
    return Fail();
}

// Made in order, so parents come before the folders inside them.
bool InstallLog::WritePendingFolders() {
    char line[LINE_SIZE];
    bool whole = true;
    for (int32_t index = 0; index < pendingFolders.Count() && whole; ++index) {
        const char* folder = static_cast<const char*>(pendingFolders.At(index));
        whole =
            WriteLine(fileHandle.Get(), line,
                      FormatLogEntryLine(LogKeywordText(LOG_MADE_DIR), folder, line, sizeof(line)));
    }
    pendingFolders.Clear();
    return whole;
}

bool InstallLog::WriteHeader() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    char line[LINE_SIZE];
    return WriteLine(fileHandle.Get(), line, FormatLogStartedLine(now, line, sizeof(line))) &&
           WriteLine(fileHandle.Get(), line, FormatLogTitleLine(title, line, sizeof(line))) &&
           WriteLine(fileHandle.Get(), line, FormatLogSourceLine(source, line, sizeof(line)));
}

// A new or empty log gets its header; a log holding entries gets this run's after them. A run
// ended while it wrote may have left its last line cut: this run starts on a new line.
bool InstallLog::ContinueLog() {
    HANDLE file = fileHandle.Get();
    if (SetFilePointer(file, 0, nullptr, FILE_END) == 0) {
        if (WriteHeader())
            return true;
        // A cut header would keep the uninstaller from reading the log: it stays empty.
        SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        return false;
    }
    char last = '\n';
    DWORD got = 0;
    SetFilePointer(file, -1, nullptr, FILE_END);
    return ReadFile(file, &last, 1, &got, nullptr) && (last == '\n' || WriteLine(file, "\n", 1));
}

HANDLE InstallLog::HoldLog() {
    if (!fileHandle && fileName[0] != '\0')
        fileHandle.Reset(CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return fileHandle ? fileHandle.Get() : INVALID_HANDLE_VALUE;
}

bool InstallLog::Create() {
    if (!fileHandle) {
        fileHandle.Reset(CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!fileHandle)
            return false;
        // OPEN_ALWAYS tells an existing file by this error.
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            createdFile = true;
    }
    if (!ContinueLog())
        return Fail();
    tookLine = true;
    return WritePendingFolders() || Fail();
}

void InstallLog::TakeBackUnwrittenLog() {
    if (tookLine)
        return;
    CloseLog();
    if (createdFile && fileName[0] != '\0')
        DeleteFileA(fileName);
    createdFile = false;
    for (int32_t index = pendingFolders.Count() - 1; index >= 0; --index)
        RemoveDirectoryA(static_cast<const char*>(pendingFolders.At(index)));
    pendingFolders.Clear();
}

HANDLE InstallLog::OpenLog(bool makeFolder) {
    if ((!fileHandle || !tookLine) && !stopped && !Create() && makeFolder && !stopped) {
        // Only a missing folder is worth a second try. Making it logs its levels, which may
        // already have opened the log.
        if (MakeLogFolder() && !fileHandle)
            Create();
    }
    return fileHandle && !stopped ? fileHandle.Get() : INVALID_HANDLE_VALUE;
}

void InstallLog::CloseLog() {
    fileHandle.Reset();
}
