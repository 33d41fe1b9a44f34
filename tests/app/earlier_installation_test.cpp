#include <gtest/gtest.h>

#include <string>

#include "app/earlier_installation.h"
#include "script/setup_script.h"
#include "system/text.h"

TEST(EarlierInstallationTest, TheEntrysCommandNamesTheLogAndItsFolder) {
    const struct {
        const char* command;
        const char* folder; // null: no earlier installation can be named
    } cases[] = {
        {"C:\\WINDOWS\\Setup.exe -uninstC:\\Program Files\\Acme -uninst\\_Install.log",
         "C:\\Program Files\\Acme -uninst"},
        {"C:\\WINDOWS\\Setup.exe /S -uninstD:\\_Install.log", "D:\\"},
        {"C:\\WINDOWS\\Setup.exe -uninst\\\\server\\apps\\_Install.log", "\\\\server\\apps"},
        {"C:\\WINDOWS\\Setup.exe -uninst_Install.log", nullptr},
        {"C:\\WINDOWS\\Setup.exe -uninst\\_Install.log", nullptr},
        {"C:\\WINDOWS\\Setup.exe -uninst", nullptr},
        {"C:\\WINDOWS\\Setup.exe-uninstC:\\Acme\\_Install.log", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const char* log = UninstallLogOf(c.command);
        char folder[MAX_PATH] = "unchanged";
        bool named = log && FolderOf(log, folder, sizeof(folder));
        EXPECT_EQ(c.folder != nullptr, named);
        EXPECT_EQ(c.folder ? c.folder : "unchanged", std::string(folder));
    }
    char small[8];
    EXPECT_FALSE(FolderOf("C:\\Program Files\\_Install.log", small, sizeof(small)));
}

TEST(EarlierInstallationTest, OnlyAFolderTheCommandLineLeftOpenAndNoMacroWouldChangeIsFollowed) {
    const struct {
        const char* folder;
        int32_t destGiven;
        const char* destFolder;
    } cases[] = {
        {"C:\\Apps\\Acme", 0, "C:\\Apps\\Acme"},
        {"C:\\Apps\\Acme", 1, "%PROGRAM_FILES%\\Acme"},
        {"C:\\100% Acme", 0, "C:\\100% Acme"},
        {"C:\\100%\\Acme%", 0, "%PROGRAM_FILES%\\Acme"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        SetupScript* script = NewSetupScript();
        ASSERT_TRUE(script);
        CopyText(script->destFolder, sizeof(script->destFolder), "%PROGRAM_FILES%\\Acme");
        script->destGiven = c.destGiven;
        EarlierInstallation earlier;
        CopyText(earlier.folder, sizeof(earlier.folder), c.folder);
        FollowEarlierInstallation(script, earlier);
        EXPECT_EQ(c.destFolder, std::string(script->destFolder));
        DestroySetupScript(script);
    }
}
