#pragma once
// For tests only: the write behind every line of the install log (WriteFile), so that a disk
// that fills up during a run can be staged.
#include <windows.h>

extern BOOL(WINAPI* writeLogFile)(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                  LPOVERLAPPED overlapped);
