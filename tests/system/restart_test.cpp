#include <gtest/gtest.h>

#include <vector>

#include "support/test_support.h"
#include "system/library_binding.h"
#include "system/restart.h"
#include "system/win_handles.h"

namespace {
std::vector<UINT> exitCalls;
BOOL WINAPI RecordExitWindows(UINT flags, DWORD) {
    exitCalls.push_back(flags);
    return TRUE;
}

int endSessionQueries = 0;
LRESULT CALLBACK VetoingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        ++endSessionQueries;
        return FALSE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

TEST(RestartTest, ExitWindowsIsCalledOnceWhateverTheSecuritySupport) {
    // With the privilege functions, without the library, and with a library lacking them (as
    // on Windows 95, 98 and Me).
    const char* libraries[] = {"advapi32.dll", "no-such-library.dll", "version.dll"};
    for (const char* library : libraries) {
        exitCalls.clear();
        RestartComputerUsing(EWX_REBOOT, library, RecordExitWindows);
        ASSERT_EQ(1u, exitCalls.size()) << library;
        EXPECT_EQ(static_cast<UINT>(EWX_REBOOT), exitCalls[0]) << library;
    }
    Library advapi(LoadSystemLibrary("advapi32.dll"));
    EXPECT_TRUE(EnableShutdownPrivilege(advapi.Get()));
    Library version(LoadSystemLibrary("version.dll"));
    ASSERT_TRUE(version.IsValid());
    EXPECT_FALSE(EnableShutdownPrivilege(version.Get()));
    EXPECT_FALSE(EnableShutdownPrivilege(nullptr));
}

TEST(RestartTest, RestartAsksTheRunningProgramsOnce) {
    // A hidden window that refuses to end the session stops the restart of the test prefix
    // and counts the requests.
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = VetoingWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "OrvexRestartVeto";
    ASSERT_NE(0, RegisterClassA(&windowClass));
    HWND window = CreateWindowA("OrvexRestartVeto", "veto", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    endSessionQueries = 0;
    RestartComputer(EWX_REBOOT);
    DWORD start = GetTickCount();
    while (endSessionQueries == 0 && GetTickCount() - start < 30000)
        SleepPumping(50);
    EXPECT_EQ(1, endSessionQueries) << "no end-session request within 30 s";
    SleepPumping(2000);
    EXPECT_EQ(1, endSessionQueries);
    DestroyWindow(window);
    UnregisterClassA("OrvexRestartVeto", GetModuleHandleA(nullptr));
}
