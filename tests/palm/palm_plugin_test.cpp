#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "palm/palm_plugin.h"
#include "support/palm_fakes.h"

namespace {

const std::string HINT = "\n(Make sure Palm HotSync is installed and functioning.\n Without "
                         "HotSync no Palm application can be installed.";

bool IsLoaded(const std::string& folder, const char* fileName) {
    return GetModuleHandleA((folder + "\\" + fileName).c_str()) != nullptr;
}

class PalmPluginTest : public ::testing::Test {
  protected:
    bool AnyLoaded() const {
        for (const std::string* folder : {&hotSync.HotSyncFolder(), &hotSync.InstallerFolder()}) {
            for (const char* name : {"CondMgr.dll", "UserData.dll", "InstAide.dll"}) {
                if (IsLoaded(*folder, name))
                    return true;
            }
        }
        return false;
    }
    // Init on a fresh plugin; the text is that of the result. The plugin is gone afterwards.
    std::string InitText(bool expected) {
        PalmInstallPlugin plugin;
        EXPECT_EQ(expected, plugin.Init(hotSync.InstallerFolder().c_str()));
        // A failed Init has released whatever it had loaded.
        if (!expected) {
            EXPECT_FALSE(AnyLoaded());
        }
        return plugin.ErrorText();
    }

    SimulatedHotSync hotSync;
};

} // namespace

TEST_F(PalmPluginTest, PackagedCondMgrIsRequiredEvenWithHotSyncInstalled) {
    ASSERT_TRUE(hotSync.RemoveLibrary(hotSync.InstallerFolder(), "CondMgr.dll"));
    EXPECT_EQ("Invalid installation: CondMgr.dll is not included", InitText(false));
    EXPECT_EQ(0, hotSync.CountCalls("Load"));

    // Without a folder the running program's own is the installer's; the tests' has no CondMgr.
    PalmInstallPlugin plugin;
    EXPECT_FALSE(plugin.Init());
    EXPECT_EQ(TestBinFolder(), plugin.InstallerFolder());
    EXPECT_STREQ("Invalid installation: CondMgr.dll is not included", plugin.ErrorText());
}

TEST_F(PalmPluginTest, InstalledCondMgrIsPreferredAndThePackagedOneUnloaded) {
    {
        PalmInstallPlugin plugin;
        ASSERT_TRUE(plugin.Init(hotSync.InstallerFolder().c_str())) << plugin.ErrorText();
        EXPECT_STREQ("", plugin.ErrorText());
        EXPECT_EQ(hotSync.InstallerFolder(), plugin.InstallerFolder());
        EXPECT_EQ(hotSync.HotSyncFolder() + "\\", plugin.HotSyncFolder());
        EXPECT_FALSE(IsLoaded(hotSync.InstallerFolder(), "CondMgr.dll"));
        EXPECT_TRUE(IsLoaded(hotSync.HotSyncFolder(), "CondMgr.dll"));
        EXPECT_TRUE(IsLoaded(hotSync.HotSyncFolder(), "UserData.dll"));
        EXPECT_TRUE(IsLoaded(hotSync.HotSyncFolder(), "InstAide.dll"));

        const std::string installer = hotSync.InstallerFolder() + "\\";
        const std::string installed = hotSync.HotSyncFolder() + "\\";
        const std::vector<std::string> expected = {
            "Load|" + installer + "CondMgr.dll",  "CmGetHotSyncExecPath|260",
            "Load|" + installed + "CondMgr.dll",  "Unload|" + installer + "CondMgr.dll",
            "Load|" + installed + "UserData.dll", "Load|" + installed + "InstAide.dll",
        };
        EXPECT_EQ(expected, hotSync.Calls());

        plugin.Release();
        EXPECT_FALSE(AnyLoaded());
        plugin.Release();
    }
    PalmInstallPlugin unused;
    unused.Release();
}

TEST_F(PalmPluginTest, LibrariesBesideTheInstallerServeWhenHotSyncLacksThem) {
    for (const char* name : {"CondMgr.dll", "UserData.dll", "InstAide.dll"})
        ASSERT_TRUE(hotSync.RemoveLibrary(hotSync.HotSyncFolder(), name));
    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.InstallerFolder(), "UserData.dll"));
    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.InstallerFolder(), "InstAide.dll"));
    PalmInstallPlugin plugin;
    ASSERT_TRUE(plugin.Init(hotSync.InstallerFolder().c_str())) << plugin.ErrorText();
    EXPECT_TRUE(IsLoaded(hotSync.InstallerFolder(), "CondMgr.dll"));
    EXPECT_TRUE(IsLoaded(hotSync.InstallerFolder(), "UserData.dll"));
    EXPECT_TRUE(IsLoaded(hotSync.InstallerFolder(), "InstAide.dll"));
}

TEST_F(PalmPluginTest, MissingLibrariesAndCondMgrStatuses) {
    ASSERT_TRUE(hotSync.RemoveLibrary(hotSync.HotSyncFolder(), "UserData.dll"));
    EXPECT_EQ("    UserData.dll not found" + HINT, InitText(false));
    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.HotSyncFolder(), "UserData.dll"));
    ASSERT_TRUE(hotSync.RemoveLibrary(hotSync.HotSyncFolder(), "InstAide.dll"));
    EXPECT_EQ("    InstAide.dll not found" + HINT, InitText(false));
    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.HotSyncFolder(), "InstAide.dll"));

    hotSync.Set("HotSync", "ExecPathStatus", "-1006");
    EXPECT_EQ("Unable to access the conduit configuration entries.", InitText(false));
    hotSync.Set("HotSync", "ExecPathStatus", "7");
    EXPECT_EQ("Unknown Palm error: 0x7", InitText(false));
    hotSync.Set("HotSync", "ExecPathStatus", "");
    EXPECT_EQ("", InitText(true));
}

TEST_F(PalmPluginTest, BindingRules) {
    // A packaged library without CmGetHotSyncExecPath cannot even tell where HotSync is.
    ASSERT_TRUE(
        hotSync.PlaceLibrary(hotSync.InstallerFolder(), "UserData.dll", "full", "CondMgr.dll"));
    EXPECT_EQ("    Invalid CondMgr.dll" + HINT, InitText(false));
    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.InstallerFolder(), "CondMgr.dll"));

    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.HotSyncFolder(), "CondMgr.dll", "nocorepath"));
    EXPECT_EQ("    Invalid CondMgr.dll" + HINT, InitText(false));
    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.HotSyncFolder(), "CondMgr.dll"));

    // Without UmGetLibVersion the slot functions are not asked for.
    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.HotSyncFolder(), "UserData.dll", "noversion"));
    EXPECT_EQ("", InitText(true));
    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.HotSyncFolder(), "UserData.dll", "noslotname"));
    EXPECT_EQ("    Invalid UserData.dll" + HINT, InitText(false));
    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.HotSyncFolder(), "UserData.dll"));

    // PlmSlotInstallFile is never called, yet required.
    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.HotSyncFolder(), "InstAide.dll", "noslotinstall"));
    EXPECT_EQ("    Invalid InstAide.dll" + HINT, InitText(false));
    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.HotSyncFolder(), "InstAide.dll"));
    EXPECT_EQ("", InitText(true));
    // No version was ever asked for.
    EXPECT_EQ(0, hotSync.CountCalls("UmGetLibVersion"));
    EXPECT_EQ(0, hotSync.CountCalls("PlmGetLibVersion"));
}
