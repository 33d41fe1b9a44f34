#include <stdlib.h>
#include <windows.h>

// Holds a file open with share mode 0, as a running program holds its own files. The time limit
// keeps a forgotten instance from living on after its test.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    char* rest = nullptr;
    unsigned long seconds = strtoul(commandLine, &rest, 10);
    while (rest && *rest == ' ')
        ++rest;
    if (seconds == 0 || !rest || !*rest)
        return 2;
    // The test that started us probes the file by opening it itself: a probe that happens to
    // hold it at this moment must not make us give up.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 500 && file == INVALID_HANDLE_VALUE; ++tries) {
        file = CreateFileA(rest, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION)
            return 1;
        if (file == INVALID_HANDLE_VALUE)
            Sleep(20);
    }
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    Sleep(seconds * 1000);
    CloseHandle(file);
    return 0;
}
