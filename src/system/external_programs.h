#pragma once
#include <windows.h>

// 1 at start: ActiveSync is assumed to run until this process stops it.
extern int activeSyncRunning;

bool RunProgram(HWND owner, const char* program, const char* parameters, const char* folder,
                bool wait);
// True when regsvr32 was started and has ended; its own verdict is not read.
bool RunRegSvr32(HWND owner, const char* file, bool registerServer);
// buffer receives the path of an existing CEAppMgr.exe, or the empty text.
void FindCEAppMgr(char* buffer, size_t size);
// start: wcesmgr.exe "/show"; otherwise "/quit". True when wcesmgr.exe was launched.
bool ControlActiveSync(HWND owner, bool start, bool wait);
bool IsActiveSyncRunning();
