#include "system/run_record.h"

#include <string.h>

#include "system/exit_codes.h"
#include "system/run_record_hook.h"
#include "system/text.h"
#include "system/whole_line.h"
#include "system/win_handles.h"

// Both start out null, so that they need no constructor run: the package's starter, which shares
// this record, has no C runtime to run one. Null stands for WriteFile and for no open record.
FileWriter writeRecordFile = nullptr;

namespace {
KernelHandle recordFile;

// Makes each missing folder of the file's path, outermost first. A level that cannot be made
// (a drive or server part, or one that exists) is passed over: opening the file tells.
void MakeFoldersOf(const char* path) {
    char folder[MAX_PATH];
    if (!path || !*path || CopyText(folder, sizeof(folder), path) != strlen(path))
        return;
    for (char* cut = FindChar(folder + 1, '\\'); cut; cut = FindChar(cut + 1, '\\')) {
        *cut = '\0';
        CreateDirectoryA(folder, nullptr);
        *cut = '\\';
    }
}
} // namespace

bool OpenRunRecord(const char* path) {
    CloseRunRecord();
    MakeFoldersOf(path);
    // Read sharing lets the administrator watch the record while the run goes on.
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    recordFile.Reset(file);
    SetFilePointer(recordFile.Get(), 0, nullptr, FILE_END);
    return true;
}

bool RunRecordOpen() {
    return recordFile.IsValid();
}

size_t FormatRunRecordLine(const SYSTEMTIME& time, const char* first, const char* second,
                           char* line, size_t size) {
    // Room is kept for the line end, which a cut must not take.
    size_t room = size > 2 ? size - 2 : size;
    size_t stamp = FormatText(line, room, "%04u-%02u-%02u %02u:%02u:%02u ", time.wYear, time.wMonth,
                              time.wDay, time.wHour, time.wMinute, time.wSecond);
    AppendText(line, room, first);
    AppendText(line, room, second);
    // Blanks stand for line breaks, so that every record line holds one event.
    for (char* c = line + stamp; *c; ++c) {
        if (*c == '\r' || *c == '\n')
            *c = ' ';
    }
    return AppendText(line, size, "\r\n");
}

bool WriteRunRecord(const char* first, const char* second) {
    if (!RunRecordOpen())
        return false;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[4096];
    size_t length = FormatRunRecordLine(now, first, second, line, sizeof(line));
    if (WriteWholeLine(recordFile.Get(), line, length,
                       writeRecordFile ? writeRecordFile : WriteFile))
        return true;
    // A record with a line missing in its middle would tell the administrator a wrong story.
    CloseRunRecord();
    return false;
}

void CloseRunRecord() {
    recordFile.Reset();
}

void WriteRunResult(int exitCode, bool silent) {
    WriteRunRecord("Result: ", silent ? ExitCodeMeaning(exitCode) : "ended");
    char text[32];
    FormatText(text, sizeof(text), "Exit code: %d", exitCode);
    WriteRunRecord(text);
}
