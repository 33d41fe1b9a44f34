#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "support/test_support.h"

namespace {
const char NO_SCRIPT_TEXT[] = "Cannot find setup script file \"Setup.ini\".";

struct IconSearch {
    bool found;
};

BOOL CALLBACK FindIconStatic(HWND child, LPARAM param) {
    char className[32];
    GetClassNameA(child, className, sizeof(className));
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
        (style & WS_VISIBLE)) {
        DWORD_PTR icon = 0;
        SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
        if (icon)
            reinterpret_cast<IconSearch*>(param)->found = true;
    }
    return TRUE;
}

bool ShowsIcon(HWND box) {
    IconSearch search{false};
    EnumChildWindows(box, FindIconStatic, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Copies Setup.exe (under the given name) into folder, starts it and expects the message about
// the missing script, with the given caption; answers it and expects exit code 0.
void ExpectNoScriptMessage(const std::string& folder, const std::string& exeName,
                           const std::string& caption) {
    std::string exe = folder + "\\" + exeName;
    ASSERT_TRUE(CopyFileA(BinPath("Setup.exe").c_str(), exe.c_str(), FALSE));
    ChildProcess setup;
    ASSERT_TRUE(setup.Start("\"" + exe + "\"", folder.c_str()));
    HWND box = WaitForMessageBox(setup.Id(), 20000);
    ASSERT_NE(nullptr, box) << "no message box within 20 s";
    EXPECT_EQ(NO_SCRIPT_TEXT, MessageBoxText(box));
    EXPECT_EQ(caption, WindowText(box));
    EXPECT_TRUE(ShowsIcon(box)) << "the stop icon is missing";
    EXPECT_NE(nullptr, GetDlgItem(box, IDOK));
    EXPECT_EQ(nullptr, GetDlgItem(box, IDCANCEL));
    EXPECT_EQ(1u, TopWindowsOf(setup.Id()).size()) << "something besides the message box";
    ASSERT_TRUE(PressButton(box, IDOK));
    DWORD exitCode = 1;
    ASSERT_TRUE(setup.Wait(10000, &exitCode)) << "Setup.exe did not end after OK";
    EXPECT_EQ(0u, exitCode);
}
} // namespace

TEST(InstallModeTest, MissingScriptIsReportedAndEndsTheRun) {
    TempFolder folder("noscript");
    // Without a script the title is Company, a blank and Application, all empty: one blank.
    ExpectNoScriptMessage(folder.Path(), "Setup.exe", "  Installation");
}

TEST(InstallModeTest, ScriptWithoutComponentsIsReportedUnderItsTitle) {
    TempFolder folder("nocomponents");
    ASSERT_TRUE(WriteFileBytes(folder.File("Setup.ini"),
                               "[General]\r\nCompany=Acme\r\nApplication=Viewer\r\n"
                               "Components=;;\r\n[Main]\r\nName=Unlisted\r\n"));
    ExpectNoScriptMessage(folder.Path(), "Setup.exe", "Acme Viewer Installation");
}

TEST(InstallModeTest, ScriptIsFoundBesideADoubleByteProgramName) {
    const char* expected = getenv("ORVEX_EXPECT_ACP");
    if (expected && *expected) {
        ASSERT_EQ(static_cast<UINT>(atoi(expected)), GetACP());
    }
    if (GetACP() != 932)
        GTEST_SKIP() << "runs under a Japanese locale (code page 932)";
    // Both names end in HYOU (0x95 0x5C), whose second byte equals "\": a byte-wise search for
    // the last backslash would cut the program's name in the middle of that character.
    TempFolder base("dbcs");
    std::string folder = base.File("\x95\x5C");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(folder + "\\Setup.ini",
                               "[General]\r\nCompany=Acme\r\nApplication=Viewer\r\n"));
    ExpectNoScriptMessage(folder, "Set\x95\x5C.exe", "Acme Viewer Installation");
}
