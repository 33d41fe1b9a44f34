// While the real Setup.exe installs, its wizard keeps answering the system and takes no input.
#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"
#include "support/wizard_driver.h"
#include "ui/page_table.h"

namespace {
const int LINK_COUNT = 4;

std::string LinkPath(const std::string& dest, int number) {
    return dest + "\\Answering Link " + std::to_string(number) + ".lnk";
}

// The screen point of the frame's close box, checked by the frame's own hit test.
bool CloseBoxOf(HWND frame, POINT* point) {
    RECT rect = {};
    GetWindowRect(frame, &rect);
    point->x = rect.right - GetSystemMetrics(SM_CXDLGFRAME) - GetSystemMetrics(SM_CXSIZE) / 2;
    point->y = rect.top + GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    DWORD_PTR hit = 0;
    return SendMessageTimeoutA(frame, WM_NCHITTEST, 0, MAKELPARAM(point->x, point->y), SMTO_NORMAL,
                               5000, &hit) &&
           hit == HTCLOSE;
}
} // namespace

TEST(WizardAnswering, FrameAnswersDuringTheRunAndTakesNoBackCancelOrClose) {
    std::string title = "Orvex Tests Answering";
    InstallTraces traces(title);
    ProductFolder product;
    std::string dest = product.File("dest");
    std::string script = "[General]\r\nCompany=Orvex Tests\r\nApplication=Answering\r\n"
                         "DestFolder=" +
                         dest +
                         "\r\nStartMenu=%DEST_PATH%\r\n"
                         "Components=Main\r\n[Main]\r\nName=Main part\r\n"
                         "CopyFile1=1;%DEST_PATH%\\main.txt\r\n";
    for (int i = 1; i <= LINK_COUNT; ++i)
        script += "Shortcut" + std::to_string(i) + "=%DEST_PATH%\\main.txt;0;;Answering Link " +
                  std::to_string(i) + "\r\n";
    ASSERT_TRUE(product.WriteScript(script));
    ASSERT_TRUE(product.Write("main.txt", "main file"));

    WizardDriver wizard;
    ASSERT_TRUE(wizard.Start(product)) << "no wizard frame appeared";
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
    HWND frame = wizard.Frame();
    POINT closeBox = {};
    ASSERT_TRUE(CloseBoxOf(frame, &closeBox)) << "the frame's close box was not found";
    POINT back = wizard.CentreOf(GetDlgItem(frame, IDC_BACK));
    POINT cancel = wizard.CentreOf(GetDlgItem(frame, IDCANCEL));

    // With one component, Next runs the install: one link made every 1.1 seconds.
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    int asked = 0;
    int unanswered = 0;
    bool interfered = false;
    DWORD start = GetTickCount();
    while (wizard.Running() && wizard.CurrentPage() != PAGE_FINISH &&
           GetTickCount() - start < 60000) {
        DWORD_PTR answer = 0;
        ++asked;
        if (!SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer))
            ++unanswered;
        if (!interfered && FileExists(LinkPath(dest, 1))) {
            // As a user would, in the middle of the run; then as a program would.
            interfered = true;
            EXPECT_TRUE(wizard.ClickAt(back));
            EXPECT_TRUE(wizard.ClickAt(cancel));
            EXPECT_TRUE(wizard.ClickAt(closeBox));
            EXPECT_TRUE(wizard.PressFrameButton(IDC_BACK));
            EXPECT_TRUE(wizard.PressFrameButton(IDCANCEL));
            PostMessageA(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        Sleep(250);
    }
    EXPECT_EQ(0, unanswered) << "of " << asked << " sent messages";
    ASSERT_TRUE(interfered) << "the run made no link";
    ASSERT_EQ(PAGE_FINISH, wizard.CurrentPage()) << "the run did not reach the finish page";

    // Nothing of the above was kept for later: the wizard stays on its finish page.
    EXPECT_FALSE(
        WaitUntil([&] { return !wizard.Running() || wizard.CurrentPage() != PAGE_FINISH; }, 2000))
        << "a click made during the run acted afterwards";
    EXPECT_TRUE(IsWindowEnabled(frame));
    for (int i = 1; i <= LINK_COUNT; ++i)
        EXPECT_TRUE(FileExists(LinkPath(dest, i))) << i;

    ASSERT_TRUE(wizard.PressFrameButton(IDCANCEL));
    ASSERT_TRUE(wizard.WaitForExit(15000)) << "Setup.exe did not end after Finish";
}
