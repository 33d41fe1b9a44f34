#pragma once
// Appending a line to a record file so that it lands whole or not at all.
#include <stddef.h>
#include <windows.h>

using FileWriter = BOOL(WINAPI*)(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                 LPOVERLAPPED overlapped);

// Writes length bytes at the file pointer through write. A full disk shows as a failed or a short
// write: the part that got written is cut off again, as a cut line might name something else.
// False when the line did not land whole.
bool WriteWholeLine(HANDLE file, const char* line, size_t length, FileWriter write);
