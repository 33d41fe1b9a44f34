// The baseline of the package's start-up: a program that starts the folder's Setup.exe as its
// child and ends with its exit code, as the package's starter does once it has unpacked, so that
// the figure holds only the starter's own work (its checks, its folder, unpacking) against it.
//   child_start "<folder>\Setup.exe" [arguments]
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    PROCESS_INFORMATION process;
    if (!*arguments || !CreateProcessA(nullptr, arguments, nullptr, nullptr, FALSE, 0, nullptr,
                                       nullptr, &startup, &process))
        return 2;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 2;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
