#include <windows.h>

#include <stdlib.h>
#include <string.h>

namespace {
char recordPath[MAX_PATH];

void Record(const char* line) {
    HANDLE file = CreateFileA(recordPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_QUERYENDSESSION:
        Record("query\n");
        return FALSE;
    case WM_ENDSESSION:
        Record(wParam ? "end\n" : "end cancelled\n");
        return 0;
    case WM_TIMER:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

// sessionwatch.exe <record file> <seconds>
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const char* blank = strrchr(commandLine, ' ');
    if (!blank || blank == commandLine)
        return 2;
    size_t length = static_cast<size_t>(blank - commandLine);
    if (length >= sizeof(recordPath))
        return 2;
    memcpy(recordPath, commandLine, length);
    recordPath[length] = '\0';
    int seconds = atoi(blank + 1);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WatchProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "OrvexSessionWatch";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("OrvexSessionWatch", "session watch", WS_OVERLAPPED, 0, 0, 10, 10,
                                nullptr, nullptr, instance, nullptr);
    if (!window)
        return 3;
    SetTimer(window, 1, static_cast<UINT>(seconds > 0 ? seconds : 60) * 1000, nullptr);
    Record("ready\n");
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
