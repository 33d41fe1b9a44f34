// The components page of the real Setup.exe, clicked with the mouse and typed at as a user
// would: check marks, space totals, the description panel and the install button.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <map>
#include <string>

#include "resources/resource_ids.h"
#include "support/wizard_driver.h"
#include "ui/page_table.h"

namespace {
// Desktop sizes are powers of two, so the desktop total spells out exactly which components
// are counted.
const std::map<std::string, int> SIZES = {{"P", 1},  {"Q", 2},  {"S", 4},   {"R", 8},  {"T", 16},
                                          {"U", 32}, {"V", 64}, {"W", 128}, {"X", 256}};

//  P (not selected)      T (selected)
//    Q (not selected)      U (selected)
//      S (selected)          V (not selected)
//    R (not selected)          W (selected)
//                          X (not selected)
std::string TreeScript(const std::string& dest) {
    std::string script =
        "[General]\r\nCompany=Orvex Tests\r\nApplication=Tree\r\nDestFolder=" + dest +
        "\r\nComponents=P;T\r\n";
    const char* layout[][3] = {{"P", "0", "Q;R"}, {"Q", "0", "S"},   {"S", "1", ""},
                               {"R", "0", ""},    {"T", "1", "U;X"}, {"U", "1", "V"},
                               {"V", "0", "W"},   {"W", "1", ""},    {"X", "0", ""}};
    for (const auto& row : layout) {
        std::string name = row[0];
        script += "[" + name + "]\r\nName=" + name + "\r\nDescription=About " + name +
                  "\r\nSelected=" + row[1] + "\r\nCopyFile1=" + std::to_string(SIZES.at(name)) +
                  ";%DEST_PATH%\\" + name + ".txt\r\nComponents=" + row[2] + "\r\n";
    }
    return script;
}

int Total(const WizardDriver& wizard, int id) {
    return atoi(wizard.PageText(PAGE_COMPONENTS, id).c_str());
}

std::string Checked(const WizardDriver& wizard) {
    std::string names;
    for (const TreeNode& node : wizard.Nodes()) {
        if (node.checked)
            names += node.text;
    }
    return names;
}

std::string MarkedTotal(const WizardDriver& wizard) {
    int sum = 0;
    for (const TreeNode& node : wizard.Nodes()) {
        if (node.checked)
            sum += SIZES.at(node.text);
    }
    // Texts are formatted "%d K".
    return std::to_string(sum) + " K";
}

// The desktop total must always be what the check marks add up to, once the wizard has taken up
// the input it was given.
void ExpectTotalsMatchMarks(const WizardDriver& wizard, const char* step) {
    SCOPED_TRACE(step);
    WaitUntil(
        [&] { return MarkedTotal(wizard) == wizard.PageText(PAGE_COMPONENTS, IDC_DESKTOP_TOTAL); },
        5000);
    EXPECT_EQ(MarkedTotal(wizard), wizard.PageText(PAGE_COMPONENTS, IDC_DESKTOP_TOTAL));
}

class ComponentsPage : public ::testing::Test {
  protected:
    ComponentsPage() : traces_("Orvex Tests Tree") {}

    void OpenPage(const std::string& script) {
        product_.WriteScript(script);
        for (const auto& size : SIZES)
            product_.Write(size.first + ".txt", size.first);
        ASSERT_TRUE(wizard_.Start(product_)) << "no wizard frame appeared";
        ASSERT_TRUE(wizard_.PressFrameButton(IDOK));
        ASSERT_TRUE(wizard_.WaitForPage(PAGE_HOTSYNC_USER));
        ASSERT_TRUE(wizard_.PressFrameButton(IDOK));
        ASSERT_TRUE(wizard_.WaitForPage(PAGE_COMPONENTS));
    }
    std::string Dest() const { return product_.File("dest"); }

    ProductFolder product_;
    InstallTraces traces_;
    WizardDriver wizard_;
};
} // namespace

TEST_F(ComponentsPage, MouseClicksCarryChecksUpAndDownTheTree) {
    OpenPage(TreeScript(Dest()));
    std::string order;
    for (const TreeNode& node : wizard_.Nodes()) {
        order += node.text;
        bool hasChildren = std::string("PQTUV").find(node.text) != std::string::npos;
        EXPECT_EQ(hasChildren, node.expanded) << node.text;
    }
    EXPECT_EQ("PQSRTUVWX", order);
    // The initial marks mirror the script; S counts although its parents are clear.
    EXPECT_EQ("STUW", Checked(wizard_));
    EXPECT_EQ("0 K", wizard_.PageText(PAGE_COMPONENTS, IDC_DEVICE_TOTAL));
    EXPECT_EQ("180 K", wizard_.PageText(PAGE_COMPONENTS, IDC_DESKTOP_TOTAL));
    TreeNode first;
    ASSERT_TRUE(wizard_.FindNode("P", &first));
    EXPECT_TRUE(first.highlighted);
    EXPECT_EQ("About P", wizard_.PageText(PAGE_COMPONENTS, IDC_DESCRIPTION));
    EXPECT_TRUE(wizard_.FrameButtonEnabled(IDOK));
    EXPECT_TRUE(wizard_.Screenshot("components_page"));

    // Checking R under the clear P checks P as well, but not R's sibling Q.
    ASSERT_TRUE(wizard_.ClickCheckBox("R"));
    EXPECT_EQ("PSRTUW", Checked(wizard_));
    EXPECT_EQ(180 + 1 + 8, Total(wizard_, IDC_DESKTOP_TOTAL));

    // Checking Q, whose S is checked already, leaves S as it was.
    ASSERT_TRUE(wizard_.ClickCheckBox("Q"));
    EXPECT_EQ("PQSRTUW", Checked(wizard_));
    EXPECT_EQ(191, Total(wizard_, IDC_DESKTOP_TOTAL));

    // Clearing T clears U; the clear V stops the descent, so W keeps its mark and its size.
    ASSERT_TRUE(wizard_.ClickCheckBox("T"));
    EXPECT_EQ("PQSRW", Checked(wizard_));
    EXPECT_EQ(191 - 16 - 32, Total(wizard_, IDC_DESKTOP_TOTAL));

    // Clearing the last checked sub-components leaves their parent checked and counted.
    ASSERT_TRUE(wizard_.ClickCheckBox("R"));
    ASSERT_TRUE(wizard_.ClickCheckBox("Q"));
    EXPECT_EQ("PW", Checked(wizard_));
    EXPECT_EQ(1 + 128, Total(wizard_, IDC_DESKTOP_TOTAL));
    ExpectTotalsMatchMarks(wizard_, "after the clicks");

    // A click on a label highlights and describes, and changes no mark.
    ASSERT_TRUE(wizard_.ClickLabel("V"));
    EXPECT_EQ("About V", wizard_.PageText(PAGE_COMPONENTS, IDC_DESCRIPTION));
    EXPECT_EQ("PW", Checked(wizard_));
    EXPECT_EQ(129, Total(wizard_, IDC_DESKTOP_TOTAL));

    // Install: W is checked but lies under the clear V and T, so only P's file is installed.
    ASSERT_TRUE(wizard_.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard_.WaitForPage(PAGE_FINISH, 30000)) << "the finish page did not appear";
    for (const auto& size : SIZES)
        EXPECT_EQ(size.first == "P", FileExists(Dest() + "\\" + size.first + ".txt")) << size.first;
}

TEST_F(ComponentsPage, SpaceBarAndDoubleClickKeepTotalsTrueToTheMarks) {
    OpenPage(TreeScript(Dest()));
    ASSERT_TRUE(wizard_.ClickLabel("X"));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == wizard_.Frame(); }, 5000));

    // The space bar on X works as a click on its box (its parent T is checked already).
    ASSERT_TRUE(wizard_.TypeKey(VK_SPACE));
    ASSERT_TRUE(WaitUntil([&] { return Total(wizard_, IDC_DESKTOP_TOTAL) == 180 + 256; }, 5000))
        << "the space bar did not reach the totals: " << Checked(wizard_) << " "
        << wizard_.PageText(PAGE_COMPONENTS, IDC_DESKTOP_TOTAL);
    EXPECT_EQ("STUWX", Checked(wizard_));

    // Clear T by mouse, then check X again by the space bar: T follows as the ancestor.
    ASSERT_TRUE(wizard_.ClickCheckBox("T"));
    EXPECT_EQ("SW", Checked(wizard_));
    ASSERT_TRUE(wizard_.ClickLabel("X"));
    ASSERT_TRUE(wizard_.TypeKey(VK_SPACE));
    ASSERT_TRUE(WaitUntil([&] { return Checked(wizard_) == "STWX"; }, 5000)) << Checked(wizard_);
    ASSERT_TRUE(
        WaitUntil([&] { return Total(wizard_, IDC_DESKTOP_TOTAL) == 4 + 16 + 128 + 256; }, 5000));

    // A double click on a box, whatever the tree view makes of it, leaves the totals true. The
    // highlight moving on by a later click shows that the double click was taken up before.
    ASSERT_TRUE(wizard_.ClickCheckBox("R", true));
    ASSERT_TRUE(wizard_.ClickLabel("P"));
    ExpectTotalsMatchMarks(wizard_, "after a double click");
    ASSERT_TRUE(wizard_.ClickCheckBox("Q", true));
    ASSERT_TRUE(wizard_.ClickLabel("S"));
    ExpectTotalsMatchMarks(wizard_, "after a second double click");
}

TEST_F(ComponentsPage, InstallButtonFollowsTheTotalsNotTheMarks) {
    OpenPage("[General]\r\nCompany=Orvex Tests\r\nApplication=Tree\r\nDestFolder=" + Dest() +
             "\r\nComponents=A;B;Z\r\n"
             "[A]\r\nName=A\r\nCopyFile1=50;%DEST_PATH%\\P.txt\r\nCopyPalmFile1=100;a.prc\r\n"
             "[B]\r\nName=B\r\nCopyFile1=20;%DEST_PATH%\\Q.txt\r\n"
             "[Z]\r\nName=Z\r\nSelected=0\r\nCopyFile1=0;%DEST_PATH%\\R.txt\r\n");
    EXPECT_EQ("100 K", wizard_.PageText(PAGE_COMPONENTS, IDC_DEVICE_TOTAL));
    EXPECT_EQ("70 K", wizard_.PageText(PAGE_COMPONENTS, IDC_DESKTOP_TOTAL));
    ASSERT_TRUE(wizard_.ClickCheckBox("A"));
    EXPECT_EQ("0 K", wizard_.PageText(PAGE_COMPONENTS, IDC_DEVICE_TOTAL));
    EXPECT_EQ("20 K", wizard_.PageText(PAGE_COMPONENTS, IDC_DESKTOP_TOTAL));
    EXPECT_TRUE(wizard_.FrameButtonEnabled(IDOK));
    ASSERT_TRUE(wizard_.ClickCheckBox("B"));
    EXPECT_EQ("0 K", wizard_.PageText(PAGE_COMPONENTS, IDC_DESKTOP_TOTAL));
    EXPECT_FALSE(wizard_.FrameButtonEnabled(IDOK));
    // A chosen component of size 0 does not make the run worth starting.
    ASSERT_TRUE(wizard_.ClickCheckBox("Z"));
    EXPECT_FALSE(wizard_.FrameButtonEnabled(IDOK));
    EXPECT_TRUE(wizard_.Screenshot("components_page_nothing_to_install"));

    ASSERT_TRUE(wizard_.PressFrameButton(IDC_BACK));
    ASSERT_TRUE(wizard_.WaitForPage(PAGE_HOTSYNC_USER));
    EXPECT_TRUE(wizard_.FrameButtonEnabled(IDOK));
    EXPECT_EQ("&Next >", wizard_.FrameButtonText(IDOK));
    ASSERT_TRUE(wizard_.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard_.WaitForPage(PAGE_COMPONENTS));
    EXPECT_FALSE(wizard_.FrameButtonEnabled(IDOK));
    // Back and forth kept every mark.
    EXPECT_EQ("Z", Checked(wizard_));

    ASSERT_TRUE(wizard_.ClickCheckBox("B"));
    EXPECT_TRUE(wizard_.FrameButtonEnabled(IDOK));
}
