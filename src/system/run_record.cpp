#include "system/run_record.h"

#include <string.h>

#include "system/run_record_hook.h"
#include "system/text.h"
#include "system/whole_line.h"
#include "system/win_handles.h"

FileWriter writeRecordFile = WriteFile;

namespace {
FileHandle recordFile;
} // namespace

bool OpenRunRecord(const char* path) {
    CloseRunRecord();
    // Read sharing lets the administrator watch the record while the run goes on.
    recordFile.Reset(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!recordFile)
        return false;
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
    if (WriteWholeLine(recordFile.Get(), line, length, writeRecordFile))
        return true;
    // A record with a line missing in its middle would tell the administrator a wrong story.
    CloseRunRecord();
    return false;
}

void CloseRunRecord() {
    recordFile.Reset();
}
