// The wizard of the real Setup.exe, driven through its windows: pages, labels, navigation,
// link buttons, licence and logo, and the ways the wizard ends.
#include <gtest/gtest.h>

#include <string>

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
