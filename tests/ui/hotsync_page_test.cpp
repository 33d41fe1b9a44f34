// The HotSync user page of the real Setup.exe against a simulated HotSync installation: the
// user list, the choice kept across pages, and the Palm files queued for the chosen user.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "support/palm_fakes.h"
#include "support/wizard_driver.h"
#include "ui/page_table.h"

namespace {
class HotSyncPage : public ::testing::Test {
  protected:
    HotSyncPage() : traces_("Orvex Tests Palm") {
        product_.WriteScript("[General]\r\nCompany=Orvex Tests\r\nApplication=Palm\r\n"
                             "DestFolder=" +
                             product_.File("dest") +
                             "\r\nComponents=Main\r\n"
                             "[Main]\r\nName=Main\r\nCopyPalmFile1=10;app.prc\r\n");
        product_.Write("app.prc", "palm application");
    }

    void StartOnUserPage(WizardDriver* wizard) {
        ASSERT_TRUE(wizard->Start(product_)) << "no wizard frame appeared";
        ASSERT_TRUE(wizard->PressFrameButton(IDOK));
        ASSERT_TRUE(wizard->WaitForPage(PAGE_HOTSYNC_USER));
    }

    // With the components page left out, "Next" runs the install.
    void InstallFromUserPage(WizardDriver* wizard) {
        ASSERT_TRUE(wizard->PressFrameButton(IDOK));
        ASSERT_TRUE(wizard->WaitForPage(PAGE_FINISH, 30000)) << "the finish page did not appear";
    }

    ProductFolder product_;
    InstallTraces traces_;
};

const std::vector<std::string> ANN_AND_BOB = {"All Users", "Ann", "Bob"};
} // namespace

TEST_F(HotSyncPage, ChosenUserIsKeptAcrossPagesAndReceivesThePalmFiles) {
    SimulatedHotSync hotSync({"Ann", "Bob"}, product_.Path());
    WizardDriver wizard;
    StartOnUserPage(&wizard);
    EXPECT_EQ(ANN_AND_BOB, wizard.UserList());
    EXPECT_EQ(0, wizard.UserSelection());
    ASSERT_TRUE(wizard.ChooseUser(2));

    ASSERT_TRUE(wizard.PressFrameButton(IDC_BACK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_LICENCE));
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
    EXPECT_EQ(ANN_AND_BOB, wizard.UserList());
    EXPECT_EQ(2, wizard.UserSelection());

    InstallFromUserPage(&wizard);
    EXPECT_EQ("palm application", ReadFileBytes(hotSync.QueuedFile("Bob", "app.prc")));
    EXPECT_FALSE(FileExists(hotSync.QueuedFile("Ann", "app.prc")));
    EXPECT_TRUE(wizard.PageControlVisible(PAGE_FINISH, IDC_HOTSYNC_NOTE));
    EXPECT_EQ(">>> You must now perform a HotSync <<<\nto complete the installation process.",
              wizard.PageText(PAGE_FINISH, IDC_HOTSYNC_NOTE));
    EXPECT_TRUE(wizard.Screenshot("finish_page_hotsync_note"));
    ASSERT_TRUE(wizard.PressFrameButton(IDCANCEL));
    EXPECT_TRUE(wizard.WaitForExit(15000));
}

TEST_F(HotSyncPage, AllUsersChosenAgainQueuesForEveryUser) {
    // A user literally named "All Users" is taken for the whole set of users as well.
    SimulatedHotSync hotSync({"All Users", "Cy"}, product_.Path());
    WizardDriver wizard;
    StartOnUserPage(&wizard);
    EXPECT_EQ((std::vector<std::string>{"All Users", "All Users", "Cy"}), wizard.UserList());
    ASSERT_TRUE(wizard.ChooseUser(2));
    ASSERT_TRUE(wizard.ChooseUser(1));
    InstallFromUserPage(&wizard);
    EXPECT_TRUE(FileExists(hotSync.QueuedFile("All Users", "app.prc")));
    EXPECT_TRUE(FileExists(hotSync.QueuedFile("Cy", "app.prc")));
}

TEST_F(HotSyncPage, WithoutHotSyncOnlyAllUsersIsOffered) {
    WizardDriver wizard;
    StartOnUserPage(&wizard);
    EXPECT_EQ((std::vector<std::string>{"All Users"}), wizard.UserList());
    EXPECT_EQ(0, wizard.UserSelection());
    EXPECT_EQ("&Next >", wizard.FrameButtonText(IDOK));
    EXPECT_TRUE(wizard.FrameButtonEnabled(IDOK));
}
