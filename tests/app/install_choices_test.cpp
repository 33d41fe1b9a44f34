#include <gtest/gtest.h>

#include <string>

#include "app/install_choices.h"
#include "palm/hotsync_users.h"
#include "script/component_walk.h"
#include "script/setup_script.h"
#include "support/test_support.h"

namespace {
// "Guide" is used twice: under Desktop and under Handheld's Extra.
const char SCRIPT[] = "[General]\r\nCompany=Acme\r\nApplication=Reader\r\n"
                      "Components=Desktop;Handheld;Nothing\r\n"
                      "[Desktop]\r\nComponents=Guide;Sync\r\nCopyFile1=1;%DEST_PATH%\\a.exe\r\n"
                      "[Guide]\r\nSelected=0\r\nCopyFile1=1;%DEST_PATH%\\g.txt\r\n"
                      "[Sync]\r\nCopyFile1=1;%DEST_PATH%\\s.dll\r\n"
                      "[Handheld]\r\nComponents=Books;Extra\r\nCopyPalmFile1=1;r.prc\r\n"
                      "[Books]\r\nCopyPalmFile1=1;b.pdb\r\n"
                      "[Extra]\r\nComponents=Guide\r\n"
                      "[Nothing]\r\nName=Nothing\r\n";

bool AddFlag(void* context, Component* component, Component*) {
    *static_cast<std::string*>(context) += component->selected ? '1' : '0';
    return true;
}

// The selected flags depth first: Desktop Guide Sync Handheld Books Extra Guide Nothing.
std::string Flags(const SetupScript* script) {
    std::string flags;
    WalkComponents(&script->components, nullptr, AddFlag, &flags);
    return flags;
}

struct ScriptInFolder {
    ScriptInFolder() {
        WriteFileBytes(folder.File("Setup.ini"), SCRIPT);
        script = ReadSetupScript(folder.File("Setup.ini").c_str());
    }
    ~ScriptInFolder() { DestroySetupScript(script); }
    TempFolder folder{"choices"};
    SetupScript* script;
};
} // namespace

TEST(InstallChoicesTest, ComponentsAreExactlyTheNamedSectionsAndTheirParents) {
    const struct {
        const char* sections;
        bool applied;
        const char* flags;
        bool palm;
    } cases[] = {
        {"guide", true, "11010110", true},
        {"Books;SYNC", true, "10111000", true},
        {" ; Desktop ; ", true, "10000000", false},
        {"Extra", true, "00010100", true},
        // Left as the script has it: an unknown section, nothing named, nothing to install.
        {"Desktop;Unknown", false, "10111101", true},
        {"", false, "10111101", true},
        {"Nothing", false, "10111101", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sections);
        ScriptInFolder in;
        ASSERT_NE(nullptr, in.script);
        EXPECT_EQ(c.applied, ApplyComponents(in.script, c.sections));
        EXPECT_EQ(c.flags, Flags(in.script));
        EXPECT_EQ(c.palm, SelectionHasPalmFiles(in.script));
    }
}

TEST(InstallChoicesTest, DestinationMustExpandToAFullPathWithRoomForTheLog) {
    // "\_Install.log" is 13 characters: the folder may have 246.
    std::string longest = "C:\\" + std::string(243, 'a');
    const struct {
        std::string folder;
        bool applied;
    } cases[] = {
        {"C:\\Program Files\\Acme Reader", true},
        {"%PROGRAM_FILES%\\Acme", true},
        {"\\\\server\\share\\Acme", true},
        {longest, true},
        {longest + "a", false},
        {"%WINDOWS%\\" + std::string(250, 'a'), false},
        {"Acme", false},
        {"%DEST_PATH%\\Acme", false},
        {"C:\\", false},
        {"%WINDOWS%", false},
        {"%WINDOWS%\\Acme", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        ScriptInFolder in;
        std::string before = in.script->destFolder;
        EXPECT_EQ(c.applied, ApplyDestination(in.script, c.folder.c_str()));
        EXPECT_EQ(c.applied ? c.folder : before, in.script->destFolder);
    }
}

TEST(InstallChoicesTest, UsersAreFoundAsHotSyncSpellsThem) {
    const char names[] = "Ann\0Bob\0\0";
    EXPECT_STREQ("Bob", FindListedUser(names, sizeof(names), "bob"));
    EXPECT_EQ(nullptr, FindListedUser(names, sizeof(names), "Carl"));
    // A list that runs past its buffer unterminated: the last name is not taken.
    const char cut[] = {'A', 'n', 'n', '\0', 'B', 'o'};
    EXPECT_EQ(nullptr, FindListedUser(cut, sizeof(cut), "Bo"));
    EXPECT_TRUE(IsAllUsers("all users"));
    EXPECT_FALSE(IsAllUsers("All"));
}
