#pragma once
// The record of an unattended run (/LOG): plain-text lines appended to a file the administrator
// names, each behind the local time as "YYYY-MM-DD HH:MM:SS".
#include <stddef.h>
#include <windows.h>

// Opens the file for appending, creating it and its missing folders when they are absent; false
// when it cannot be written.
bool OpenRunRecord(const char* path);
bool RunRecordOpen();
// Appends one line: the time, a blank, first and then second (either may be null). Line breaks
// inside become blanks. False while no record is open, and when the line did not land whole:
// the record then ends there and is closed.
bool WriteRunRecord(const char* first, const char* second = nullptr);
void CloseRunRecord();
// The record's last two lines: how the run ended ("ended" for a run with windows, the exit
// code's meaning for a silent one) and its exit code.
void WriteRunResult(int exitCode, bool silent);

// The line as WriteRunRecord writes it, with its CR LF; cut to size like FormatText.
size_t FormatRunRecordLine(const SYSTEMTIME& time, const char* first, const char* second,
                           char* line, size_t size);
