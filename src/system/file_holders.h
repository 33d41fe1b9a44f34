#pragma once
// The programs that hold a file open, as Restart Manager (Windows Vista and later) names them.
#include <stddef.h>
#include <windows.h>
#include <restartmanager.h>

// Restart Manager's functions, so that a test can stand in for a system that names programs.
struct RestartManagerCalls {
    DWORD(WINAPI* startSession)(DWORD* session, DWORD flags, WCHAR key[]);
    DWORD(WINAPI* registerResources)
    (DWORD session, UINT files, LPCWSTR names[], UINT processes, RM_UNIQUE_PROCESS applications[],
     UINT services, LPCWSTR serviceNames[]);
    DWORD(WINAPI* getList)
    (DWORD session, UINT* needed, UINT* count, RM_PROCESS_INFO infos[], LPDWORD reasons);
    DWORD(WINAPI* endSession)(DWORD session);
};

// The application names, comma-separated; after five, others (" and others") ends the list.
// False, with names empty, when none can be named.
bool NameFileHolders(const RestartManagerCalls& calls, const char* path, const char* others,
                     char* names, size_t size);
// The same through rstrtmgr.dll; false where Windows has none.
bool NameFileHolders(const char* path, const char* others, char* names, size_t size);
