// The wizard of the real Setup.exe, driven through its windows: pages, labels, navigation,
// link buttons, licence and logo, and the ways the wizard ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "support/wizard_driver.h"
#include "ui/page_table.h"

namespace {
const char LICENCE[] = "ORVEX TEST LICENCE\r\nSecond line of the agreement.\r\n";

// A product with one component and one desktop file, or with two components (the components
// page is then offered).
struct Product {
    explicit Product(const std::string& application, bool twoComponents = false,
                     const std::string& extraGeneral = "")
        : title("Orvex Tests " + application), traces(title) {
        std::string script = "[General]\r\nCompany=Orvex Tests\r\nApplication=" + application +
                             "\r\nDestFolder=" + Dest() + "\r\n" + extraGeneral +
                             (twoComponents ? "Components=Main;Extra\r\n" : "Components=Main\r\n") +
                             "[Main]\r\nName=Main part\r\nDescription=The main part\r\n"
                             "CopyFile1=3;%DEST_PATH%\\main.txt\r\n"
                             "[Extra]\r\nName=Extra part\r\nCopyFile1=5;%DEST_PATH%\\extra.txt\r\n";
        folder.WriteScript(script);
        folder.Write("main.txt", "main file");
        folder.Write("extra.txt", "extra file");
        folder.Write("Licence.txt", LICENCE);
    }
    std::string Dest() const { return folder.File("dest"); }

    ProductFolder folder;
    std::string title;
    InstallTraces traces;
};

void ExpectButtons(const WizardDriver& wizard, const char* back, const char* next,
                   const char* close) {
    const int ids[] = {IDC_BACK, IDOK, IDCANCEL};
    const char* labels[] = {back, next, close};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(ids[i]);
        EXPECT_EQ(labels[i] != nullptr, wizard.FrameButtonVisible(ids[i]));
        if (labels[i]) {
            EXPECT_EQ(labels[i], wizard.FrameButtonText(ids[i]));
        }
    }
}
} // namespace

TEST(WizardFlow, ThreePagesWithOneComponentInstallOnNext) {
    Product product("Three Pages");
    product.folder.WriteLogo("Logo.bmp", 420, 70);
    WizardDriver wizard;
    ASSERT_TRUE(wizard.Start(product.folder)) << "no wizard frame appeared";

    EXPECT_EQ("Installation", WindowText(wizard.Frame()));
    EXPECT_EQ(LICENCE, wizard.PageText(PAGE_LICENCE, IDC_LICENCE_TEXT));
    ExpectButtons(wizard, nullptr, "&Yes", "&No");
    EXPECT_FALSE(wizard.FrameButtonVisible(IDC_WEB_PAGE));
    EXPECT_FALSE(wizard.FrameButtonVisible(IDC_BUY_NOW));
    EXPECT_EQ(nullptr, wizard.Page(PAGE_COMPONENTS));
    // The logo is shown at its own size from the frame's top-left corner.
    RECT logo = {};
    GetWindowRect(GetDlgItem(wizard.Frame(), IDC_LOGO), &logo);
    EXPECT_EQ(420, logo.right - logo.left);
    EXPECT_EQ(70, logo.bottom - logo.top);
    EXPECT_TRUE(wizard.Screenshot("licence_page"));

    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
    ExpectButtons(wizard, "< &Back", "&Next >", "&Cancel");
    EXPECT_TRUE(wizard.FrameButtonEnabled(IDOK));
    // Without a HotSync installation only "All Users" is offered.
    EXPECT_EQ(std::vector<std::string>{"All Users"}, wizard.UserList());
    EXPECT_EQ(0, wizard.UserSelection());
    EXPECT_TRUE(wizard.Screenshot("hotsync_user_page"));
    EXPECT_FALSE(FileExists(product.Dest() + "\\main.txt"));

    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_FINISH, 30000)) << "the finish page did not appear";
    EXPECT_EQ("main file", ReadFileBytes(product.Dest() + "\\main.txt"));
    ExpectButtons(wizard, nullptr, nullptr, "&Finish");
    EXPECT_EQ("The Orvex Install Wizard has successfully installed Orvex Tests Three Pages.\n"
              "Click Finish to exit the Wizard.",
              wizard.PageText(PAGE_FINISH, IDC_FINISH_MESSAGE));
    EXPECT_FALSE(wizard.PageControlVisible(PAGE_FINISH, IDC_RESTART_NOW));
    EXPECT_FALSE(wizard.PageControlVisible(PAGE_FINISH, IDC_RESTART_LATER));
    EXPECT_FALSE(wizard.PageControlVisible(PAGE_FINISH, IDC_OPEN_README));
    EXPECT_FALSE(wizard.PageControlVisible(PAGE_FINISH, IDC_HOTSYNC_NOTE));
    EXPECT_EQ("Installation", WindowText(wizard.Frame()));
    EXPECT_TRUE(wizard.Screenshot("finish_page"));

    ASSERT_TRUE(wizard.PressFrameButton(IDCANCEL));
    DWORD exitCode = 1;
    ASSERT_TRUE(wizard.WaitForExit(15000, &exitCode)) << "Setup.exe did not end after Finish";
    EXPECT_EQ(0u, exitCode);
}

TEST(WizardFlow, FourPagesWithBackAndLinkButtonsOnEveryPage) {
    OpenRecorder recorder;
    ProductFolder links;
    links.Write("web.txt", "web page");
    links.Write("buy.txt", "buy now");
    Product product("Four Pages", true,
                    "WebPage=" + links.File("web.txt") + "\r\nByeLink=" + links.File("buy.txt") +
                        "\r\n");
    WizardDriver wizard;
    ASSERT_TRUE(wizard.Start(product.folder)) << "no wizard frame appeared";
    auto expectLinks = [&](const char* page) {
        SCOPED_TRACE(page);
        EXPECT_TRUE(wizard.FrameButtonVisible(IDC_WEB_PAGE));
        EXPECT_TRUE(wizard.FrameButtonVisible(IDC_BUY_NOW));
    };
    expectLinks("licence");
    // No Logo.bmp: the banner stays empty.
    EXPECT_EQ(0, SendMessageA(GetDlgItem(wizard.Frame(), IDC_LOGO), STM_GETIMAGE, IMAGE_BITMAP, 0));

    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
    expectLinks("HotSync user");
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_COMPONENTS));
    ExpectButtons(wizard, "< &Back", "&Install", "&Cancel");
    EXPECT_TRUE(wizard.FrameButtonEnabled(IDOK));
    expectLinks("components");

    // Back twice returns to the licence page with its own labels.
    ASSERT_TRUE(wizard.PressFrameButton(IDC_BACK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
    ExpectButtons(wizard, "< &Back", "&Next >", "&Cancel");
    ASSERT_TRUE(wizard.PressFrameButton(IDC_BACK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_LICENCE));
    ExpectButtons(wizard, nullptr, "&Yes", "&No");
    EXPECT_FALSE(FileExists(product.Dest()));

    // The link buttons hand their targets to the shell.
    ASSERT_TRUE(wizard.PressFrameButton(IDC_WEB_PAGE));
    ASSERT_TRUE(recorder.WaitForOpened(1, 15000)) << "the web page was not opened";
    ASSERT_TRUE(wizard.PressFrameButton(IDC_BUY_NOW));
    ASSERT_TRUE(recorder.WaitForOpened(2, 15000)) << "the purchase link was not opened";
    EXPECT_NE(std::string::npos, recorder.Opened()[0].find("web.txt"));
    EXPECT_NE(std::string::npos, recorder.Opened()[1].find("buy.txt"));

    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_COMPONENTS));
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_FINISH, 30000)) << "the finish page did not appear";
    EXPECT_TRUE(FileExists(product.Dest() + "\\main.txt"));
    EXPECT_TRUE(FileExists(product.Dest() + "\\extra.txt"));
    ExpectButtons(wizard, nullptr, nullptr, "&Finish");
    expectLinks("finish");
    ASSERT_TRUE(wizard.PressFrameButton(IDCANCEL));
    EXPECT_TRUE(wizard.WaitForExit(15000));
}

TEST(WizardFlow, NoOnTheLicencePageInstallsNothing) {
    Product product("Declined");
    WizardDriver wizard;
    ASSERT_TRUE(wizard.Start(product.folder)) << "no wizard frame appeared";
    ASSERT_TRUE(wizard.PressFrameButton(IDCANCEL));
    DWORD exitCode = 1;
    ASSERT_TRUE(wizard.WaitForExit(15000, &exitCode)) << "Setup.exe did not end after No";
    EXPECT_EQ(0u, exitCode);
    EXPECT_FALSE(FileExists(product.Dest()));
    EXPECT_FALSE(product.traces.UninstallEntryExists());
}

// The box gets its first screen before the first paint and the rest right after.
TEST(WizardFlow, ALongLicenceIsShownWhole) {
    Product product("Long Licence");
    std::string licence;
    for (int i = 1; i <= 200; ++i)
        licence += "Clause " + std::to_string(i) + " of the agreement.\r\n";
    product.folder.Write("Licence.txt", licence);
    WizardDriver wizard;
    ASSERT_TRUE(wizard.Start(product.folder)) << "no wizard frame appeared";
    HWND edit = GetDlgItem(wizard.Page(PAGE_LICENCE), IDC_LICENCE_TEXT);
    // Other processes get the text only through a 4 KB buffer: the length tells the rest.
    EXPECT_TRUE(WaitUntil(
        [&] {
            DWORD_PTR length = 0;
            SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
            return length == licence.size();
        },
        5000));
    EXPECT_EQ(licence.substr(0, 4095), wizard.PageText(PAGE_LICENCE, IDC_LICENCE_TEXT));
    ASSERT_TRUE(wizard.PressFrameButton(IDCANCEL));
    EXPECT_TRUE(wizard.WaitForExit(15000));
}

TEST(WizardFlow, MissingLicenceFileLeavesTheBoxEmptyAndTheWizardGoesOn) {
    Product product("No Licence", false, "Licence=Absent.txt\r\n");
    WizardDriver wizard;
    ASSERT_TRUE(wizard.Start(product.folder)) << "no wizard frame appeared";
    EXPECT_EQ("", wizard.PageText(PAGE_LICENCE, IDC_LICENCE_TEXT));
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    EXPECT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
}

TEST(WizardFlow, FailedInstallEndsTheWizardAfterTheEnginesMessage) {
    Product product("Failing");
    DeleteFileA(product.folder.File("main.txt").c_str());
    WizardDriver wizard;
    ASSERT_TRUE(wizard.Start(product.folder)) << "no wizard frame appeared";
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    HWND box = wizard.WaitForMessageBox(30000);
    ASSERT_NE(nullptr, box) << "the engine showed no message";
    EXPECT_NE(std::string::npos, MessageBoxText(box).find("ERROR: Can't find file \"main.txt\"."))
        << MessageBoxText(box);
    EXPECT_EQ(PAGE_HOTSYNC_USER, wizard.CurrentPage());
    ASSERT_TRUE(PressButton(box, IDOK));
    DWORD exitCode = 1;
    ASSERT_TRUE(wizard.WaitForExit(15000, &exitCode)) << "the wizard stayed open after the failure";
    EXPECT_EQ(0u, exitCode);
}

TEST(WizardFlow, EnterOnTheFinishPageInstallsNothingAgain) {
    Product product("Enter Twice");
    WizardDriver wizard;
    ASSERT_TRUE(wizard.Start(product.folder)) << "no wizard frame appeared";
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_FINISH, 30000)) << "the finish page did not appear";
    std::string installed = product.Dest() + "\\main.txt";
    ASSERT_TRUE(DeleteFileA(installed.c_str()));

    // A click on the page makes the wizard the foreground window; then Enter, as a user would.
    ASSERT_TRUE(
        wizard.ClickAt(wizard.CentreOf(GetDlgItem(wizard.Page(PAGE_FINISH), IDC_PAGE_TITLE))));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == wizard.Frame(); }, 5000));
    ASSERT_TRUE(wizard.TypeKey(VK_RETURN));
    SleepPumping(1500);
    EXPECT_TRUE(wizard.Running());
    EXPECT_EQ(PAGE_FINISH, wizard.CurrentPage());
    EXPECT_FALSE(FileExists(installed)) << "the install ran a second time";

    // Esc still ends the wizard from here.
    ASSERT_TRUE(wizard.TypeKey(VK_ESCAPE));
    EXPECT_TRUE(wizard.WaitForExit(15000)) << "Esc did not end the wizard";
}

TEST(WizardFlow, TooltipsNameTheButtonsButNotTheForwardButton) {
    Product product("Tooltips", false, "WebPage=http://example.invalid/\r\n");
    WizardDriver wizard;
    ASSERT_TRUE(wizard.Start(product.folder)) << "no wizard frame appeared";
    auto tipOver = [&](int id) {
        // Away first, so that the tooltip of the previous button goes.
        wizard.MoveMouseTo(
            wizard.CentreOf(GetDlgItem(wizard.Page(PAGE_LICENCE), IDC_LICENCE_TEXT)));
        SleepPumping(300);
        wizard.MoveMouseTo(wizard.CentreOf(GetDlgItem(wizard.Frame(), id)));
        std::string text;
        WaitUntil(
            [&] {
                for (HWND tip : TopWindowsOf(wizard.ProcessId(), "tooltips_class32")) {
                    text = WindowText(tip);
                    if (!text.empty())
                        return true;
                }
                return false;
            },
            3000);
        return text;
    };
    EXPECT_EQ("Close installation process", tipOver(IDCANCEL));
    EXPECT_EQ("View product web page", tipOver(IDC_WEB_PAGE));
    EXPECT_EQ("", tipOver(IDOK));
}
