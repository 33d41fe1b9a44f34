#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>

#include "palm/palm_bridge.h"
#include "palm/palm_bridge_testing.h"
#include "palm/palm_error_texts.h"
#include "support/palm_fakes.h"
#include "support/palm_seh.h"

namespace {

const char UNKNOWN_EXCEPTION[] = "Unknown exception in the PalmInstallPlugin";

std::string PalmError() {
    char text[1024];
    GetPalmErrorText(text, sizeof(text));
    return text;
}

std::string UserDataText(long status) {
    char text[256];
    return UserDataErrorText(status, text, sizeof(text));
}

std::string InstAideText(long status) {
    char text[256];
    return InstAideErrorText(status, text, sizeof(text));
}

// The user list as one string with its NULs, up to and including the closing empty name.
std::string ListOf(const char* buffer, size_t size) {
    size_t end = 0;
    while (end < size && buffer[end] != '\0')
        end += strlen(buffer + end) + 1;
    return std::string(buffer, end < size ? end + 1 : size);
}

class PalmBridgeTest : public ::testing::Test {
  protected:
    PalmBridgeTest() : hotSync({"Ann", "Bob"}) {}
    void SetUp() override {
        ResetPalmBridgeForTesting(hotSync.InstallerFolder().c_str());
        palmFile = hotSync.ScratchFile("Game.prc");
        ASSERT_TRUE(WriteFileBytes(palmFile, "first"));
    }
    // The libraries must be unloaded before their folders can go.
    void TearDown() override { ResetPalmBridgeForTesting(nullptr); }

    std::string Users(size_t size = 8096) {
        std::string buffer(size, 'x');
        EXPECT_TRUE(GetHotSyncUsers(&buffer[0], size)) << PalmError();
        return ListOf(buffer.data(), size);
    }
    std::string Queued(const char* user) {
        return ReadFileBytes(hotSync.QueuedFile(user, "Game.prc"));
    }

    SimulatedHotSync hotSync;
    std::string palmFile;
};

} // namespace

TEST_F(PalmBridgeTest, UserListSkipsANameThatDoesNotFitAndGoesOn) {
    hotSync.SetUsers({"Ann", "Christina", "Bob"});
    EXPECT_EQ(std::string("Ann\0Bob\0\0", 9), Users(10));
    EXPECT_EQ(3, hotSync.CountCalls("UmGetUserName"));
    EXPECT_EQ(std::string("Ann\0Christina\0Bob\0\0", 19), Users());
    // An empty name would end the list for every reader.
    hotSync.SetUsers({"Ann", "", "Bob"});
    EXPECT_EQ(std::string("Ann\0Bob\0\0", 9), Users());
}

TEST_F(PalmBridgeTest, UserListStatuses) {
    // Positive statuses count as success, for each call and for the list.
    hotSync.Set("HotSync", "UserNameStatus", "3");
    hotSync.Set("HotSync", "UserIDStatus", "1");
    EXPECT_EQ(std::string("Ann\0Bob\0\0", 9), Users());

    hotSync.Set("HotSync", "UserNameStatus", "-515");
    char buffer[64];
    EXPECT_FALSE(GetHotSyncUsers(buffer, sizeof(buffer)));
    EXPECT_EQ(UserDataText(-515), PalmError());

    hotSync.Set("HotSync", "UserCount", "-500");
    EXPECT_FALSE(GetHotSyncUsers(buffer, sizeof(buffer)));
    EXPECT_EQ(UserDataText(-500), PalmError());
    EXPECT_EQ(0, buffer[0]);
}

TEST_F(PalmBridgeTest, NoUsersGiveTwoNulsEvenAfterAFailedUserDataCall) {
    EXPECT_FALSE(InstallPalmFile(palmFile.c_str(), "Zed"));
    hotSync.SetUsers({});
    char buffer[16];
    memset(buffer, 'x', sizeof(buffer));
    EXPECT_TRUE(GetHotSyncUsers(buffer, sizeof(buffer))) << PalmError();
    EXPECT_EQ(0, buffer[0]);
    EXPECT_EQ(0, buffer[1]);
}

TEST_F(PalmBridgeTest, AllUsersQueueWithoutUserValidation) {
    EXPECT_TRUE(InstallPalmFile(palmFile.c_str(), "")) << PalmError();
    EXPECT_EQ(0, hotSync.CountCalls("UmGetIDFromName"));
    EXPECT_EQ(2, hotSync.CountCalls("PltRemoveInstallFile"));
    EXPECT_EQ(2, hotSync.CountCalls("PltInstallFile"));
    EXPECT_EQ("first", Queued("Ann"));
    EXPECT_EQ("first", Queued("Bob"));
}

TEST_F(PalmBridgeTest, NamedUserIsValidatedOnceWhateverTheCapitals) {
    EXPECT_TRUE(InstallPalmFile(palmFile.c_str(), "Ann")) << PalmError();
    std::string second = hotSync.ScratchFile("Data.pdb");
    ASSERT_TRUE(WriteFileBytes(second, "data"));
    EXPECT_TRUE(InstallPalmFile(second.c_str(), "aNN")) << PalmError();
    EXPECT_EQ(1, hotSync.CountCalls("UmGetIDFromName"));
    EXPECT_EQ("first", Queued("Ann"));
    EXPECT_EQ("data", ReadFileBytes(hotSync.QueuedFile("Ann", "Data.pdb")));
    EXPECT_FALSE(FileExists(hotSync.QueuedFile("Bob", "Game.prc")));
}

TEST_F(PalmBridgeTest, RefusedUserNameIsReportedAndAskedForAgain) {
    EXPECT_FALSE(InstallPalmFile(palmFile.c_str(), "Zed"));
    EXPECT_EQ("Failed to set user 'Zed':\n" + UserDataText(-513), PalmError());
    EXPECT_FALSE(InstallPalmFile(palmFile.c_str(), "zed"));
    EXPECT_EQ(2, hotSync.CountCalls("UmGetIDFromName"));
    EXPECT_EQ(0, hotSync.CountCalls("PltInstallFile"));

    // A positive refusal carries no text of its own.
    hotSync.Set("HotSync", "IDFromNameStatus", "5");
    EXPECT_FALSE(InstallPalmFile(palmFile.c_str(), "Ann"));
    EXPECT_EQ("Failed to set user 'Ann':\n", PalmError());
}

TEST_F(PalmBridgeTest, AlreadyQueuedFileIsReplaced) {
    EXPECT_TRUE(InstallPalmFile(palmFile.c_str(), "Bob")) << PalmError();
    ASSERT_TRUE(WriteFileBytes(palmFile, "second"));
    EXPECT_TRUE(InstallPalmFile(palmFile.c_str(), "Bob")) << PalmError();
    EXPECT_EQ("second", Queued("Bob"));
    std::vector<std::string> calls = hotSync.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ("PltRemoveInstallFile|Bob|" + palmFile, calls[calls.size() - 2]);
    EXPECT_EQ("PltInstallFile|Bob|" + palmFile, calls.back());
}

TEST_F(PalmBridgeTest, QueueingFailures) {
    hotSync.Set("InstallStatus", "Ann", "-504");
    EXPECT_FALSE(InstallPalmFile(palmFile.c_str(), "Ann"));
    EXPECT_EQ(InstAideText(-504), PalmError());

    // For all users (after a named user: no validation of the empty name) every user is tried;
    // the text left is that of the last, successful one.
    EXPECT_FALSE(InstallPalmFile(palmFile.c_str(), ""));
    EXPECT_EQ(1, hotSync.CountCalls("UmGetIDFromName"));
    EXPECT_EQ("", PalmError());
    EXPECT_FALSE(FileExists(hotSync.QueuedFile("Ann", "Game.prc")));
    EXPECT_EQ("first", Queued("Bob"));

    // A positive status is a failure without a text.
    hotSync.Set("InstallStatus", "Ann", "2");
    EXPECT_FALSE(InstallPalmFile(palmFile.c_str(), "Ann"));
    EXPECT_EQ("", PalmError());
}

TEST_F(PalmBridgeTest, MissingCondMgrFailsEveryCallAndEachCallRetries) {
    ASSERT_TRUE(hotSync.RemoveLibrary(hotSync.InstallerFolder(), "CondMgr.dll"));
    const std::string text = "Invalid installation: CondMgr.dll is not included";
    char buffer[64];
    EXPECT_FALSE(GetHotSyncUsers(buffer, sizeof(buffer)));
    EXPECT_EQ(text, PalmError());
    EXPECT_FALSE(InstallPalmFile(palmFile.c_str(), "Ann"));
    EXPECT_EQ(text, PalmError());

    char small[10];
    memset(small, 'x', sizeof(small));
    GetPalmErrorText(small, sizeof(small));
    EXPECT_EQ(std::string("Invalid i\0", 10), std::string(small, sizeof(small)));
    GetPalmErrorText(small, 1);
    EXPECT_EQ(0, small[0]);

    ASSERT_TRUE(hotSync.PlaceLibrary(hotSync.InstallerFolder(), "CondMgr.dll"));
    EXPECT_EQ(std::string("Ann\0Bob\0\0", 9), Users());
    // The last failure text stays until the next failure.
    EXPECT_EQ(text, PalmError());
}

TEST_F(PalmBridgeTest, FaultsInsideTheLibrariesAreCaughtAndTheNextCallWorks) {
    void* chain = SehChainHead();
    for (const char* mode : {"access", "throw"}) {
        SCOPED_TRACE(mode);
        ResetPalmBridgeForTesting(hotSync.InstallerFolder().c_str());
        // Inside Init: the half-made plugin is discarded and the next call loads afresh.
        hotSync.Set("Faults", "CmGetHotSyncExecPath", mode);
        char buffer[64];
        EXPECT_FALSE(GetHotSyncUsers(buffer, sizeof(buffer)));
        EXPECT_EQ(UNKNOWN_EXCEPTION, PalmError());
        hotSync.Set("Faults", "CmGetHotSyncExecPath", "");

        hotSync.Set("Faults", "UmGetUserCount", mode);
        EXPECT_FALSE(GetHotSyncUsers(buffer, sizeof(buffer)));
        EXPECT_EQ(UNKNOWN_EXCEPTION, PalmError());
        hotSync.Set("Faults", "UmGetUserCount", "");
        EXPECT_EQ(std::string("Ann\0Bob\0\0", 9), Users());

        hotSync.Set("Faults", "PltInstallFile", mode);
        EXPECT_FALSE(InstallPalmFile(palmFile.c_str(), "Ann"));
        EXPECT_EQ(UNKNOWN_EXCEPTION, PalmError());
        hotSync.Set("Faults", "PltInstallFile", "");
        EXPECT_TRUE(InstallPalmFile(palmFile.c_str(), "Ann")) << PalmError();
        EXPECT_EQ("first", Queued("Ann"));
        DeleteFileA(hotSync.QueuedFile("Ann", "Game.prc").c_str());
    }
    EXPECT_EQ(chain, SehChainHead());
}
