#include <gtest/gtest.h>

#include <string>

#include "support/system_standins.h"
#include "support/test_support.h"
#include "system/external_programs.h"
#include "system/path_macros.h"
#include "system/registry.h"

namespace {
const DWORD CALL_LIMIT_MS = 60000;

// ActiveSync's stand-ins in a folder whose name holds a blank, registered or not.
class ActiveSyncTest : public ::testing::Test {
  protected:
    ActiveSyncTest()
        : base_("orvexas"), folder_(base_.Path() + "\\Active Sync"),
          appPath_(HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATHS_KEY) {}
    void SetUp() override {
        activeSyncRunning = 1;
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
        ASSERT_TRUE(CopyActiveSyncStandIns(folder_));
    }
    void TearDown() override {
        activeSyncRunning = 1;
        EXPECT_TRUE(WaitForChildProcessesGone(15000)) << "a started program did not end";
    }
    void Register(const std::string& path) {
        ASSERT_TRUE(
            WriteRegistryString(HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATHS_KEY, nullptr, path.c_str()));
    }
    bool Control(bool start, bool wait) {
        bool launched = false;
        EXPECT_TRUE(CallWithDeadline(CALL_LIMIT_MS, [&] {
            launched = ControlActiveSync(nullptr, start, wait);
        })) << "wcesmgr.exe did not end";
        return launched;
    }

    TempFolder base_;
    std::string folder_;
    TempRegistryKey appPath_;
};
} // namespace

TEST_F(ActiveSyncTest, StopWaitsForWcesmgrAndStartDoesNot) {
    Register(folder_ + "\\CEAPPMGR.EXE");
    char found[MAX_PATH];
    FindCEAppMgr(found, sizeof(found));
    EXPECT_EQ(folder_ + "\\CEAPPMGR.EXE", found);

    EXPECT_TRUE(Control(false, true));
    EXPECT_EQ(0, activeSyncRunning);
    EXPECT_FALSE(IsActiveSyncRunning());
    EXPECT_EQ("start /quit\nend /quit\n", WcesmgrRecord(folder_));

    EXPECT_TRUE(Control(true, false));
    EXPECT_EQ(1, activeSyncRunning);
    EXPECT_EQ(std::string::npos, WcesmgrRecord(folder_).find("end /show"))
        << "the start waited for wcesmgr.exe";
    ASSERT_TRUE(WaitForWcesmgrRecord(folder_, "end /show\n", 15000)) << WcesmgrRecord(folder_);
    EXPECT_EQ("start /quit\nend /quit\nstart /show\nend /show\n", WcesmgrRecord(folder_));
}

TEST_F(ActiveSyncTest, NothingRunsWhenActiveSyncIsNotFound) {
    char found[MAX_PATH] = "stale";
    FindCEAppMgr(found, sizeof(found));
    EXPECT_STREQ("", found);
    EXPECT_FALSE(Control(false, true));
    EXPECT_EQ(1, activeSyncRunning);
    activeSyncRunning = 0;
    EXPECT_FALSE(Control(true, false));
    EXPECT_EQ(0, activeSyncRunning);

    // A registration naming a missing file, or a folder without wcesmgr.exe.
    Register(base_.Path() + "\\Gone\\CEAppMgr.exe");
    EXPECT_FALSE(Control(true, true));
    EXPECT_EQ(0, activeSyncRunning);
    ASSERT_TRUE(
        CopyFileA((folder_ + "\\CEAppMgr.exe").c_str(), base_.File("CEAppMgr.exe").c_str(), FALSE));
    Register(base_.File("CEAppMgr.exe"));
    EXPECT_FALSE(Control(true, true));
    EXPECT_EQ(0, activeSyncRunning);
    EXPECT_EQ("", WcesmgrRecord(folder_));
}

TEST_F(ActiveSyncTest, DefaultPlaceUnderProgramFilesIsUsedOnlyWithoutRegistration) {
    PathMacros macros("");
    const FixedPlace place(std::string(PathMacros::ProgramFilesFolder()) +
                           "\\Microsoft ActiveSync");
    const std::string& defaultFolder = place.Path();
    ASSERT_TRUE(CreateDirectoryA(defaultFolder.c_str(), nullptr));
    bool copied = CopyActiveSyncStandIns(defaultFolder);
    EXPECT_TRUE(copied);
    if (copied) {
        char found[MAX_PATH];
        FindCEAppMgr(found, sizeof(found));
        EXPECT_EQ(defaultFolder + "\\CEAppMgr.exe", found);
        EXPECT_TRUE(Control(false, true));
        EXPECT_EQ("start /quit\nend /quit\n", WcesmgrRecord(defaultFolder));

        // A registration that names a missing file is not replaced by the default place.
        Register(base_.File("CEAppMgr.exe"));
        FindCEAppMgr(found, sizeof(found));
        EXPECT_STREQ("", found);
        EXPECT_FALSE(Control(true, true));
        EXPECT_EQ(0, activeSyncRunning);
        EXPECT_EQ("start /quit\nend /quit\n", WcesmgrRecord(defaultFolder));
    }
}

TEST_F(ActiveSyncTest, ProgramPathWithBlanksRunsThatProgram) {
    // Unquoted, "...\Active Sync\wcesmgr.exe" would start this "...\Active.exe" instead.
    ASSERT_TRUE(
        CopyFileA((folder_ + "\\wcesmgr.exe").c_str(), base_.File("Active.exe").c_str(), FALSE));
    std::string program = folder_ + "\\wcesmgr.exe";
    bool started = false;
    ASSERT_TRUE(CallWithDeadline(CALL_LIMIT_MS, [&] {
        started = RunProgram(nullptr, program.c_str(), "/a \"b c\"", nullptr, true);
    }));
    EXPECT_TRUE(started);
    EXPECT_EQ("start /a \"b c\"\nend /a \"b c\"\n", WcesmgrRecord(folder_));
    EXPECT_EQ("", WcesmgrRecord(base_.Path()));

    ASSERT_TRUE(CallWithDeadline(CALL_LIMIT_MS, [&] {
        started = RunProgram(nullptr, program.c_str(), nullptr, nullptr, false);
    }));
    EXPECT_TRUE(started);
    EXPECT_TRUE(WaitForWcesmgrRecord(folder_, "end \n", 15000)) << WcesmgrRecord(folder_);
    EXPECT_EQ("", WcesmgrRecord(base_.Path()));

    // A program that cannot be started fails quietly, waited for or not.
    std::string missing = base_.File("missing.exe");
    EXPECT_FALSE(RunProgram(nullptr, missing.c_str(), nullptr, nullptr, true));
    EXPECT_TRUE(CallWithDeadline(10000, [&] {
        started = RunProgram(nullptr, missing.c_str(), nullptr, nullptr, false);
    })) << "the failed start showed a message";
    EXPECT_FALSE(started);
}

namespace {
class RegSvr32Test : public ::testing::Test {
  protected:
    RegSvr32Test() : folder_("orvex com"), markers_(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY) {}
    bool Run(const std::string& file, bool registerServer) {
        bool ran = false;
        EXPECT_TRUE(CallWithDeadline(CALL_LIMIT_MS, [&] {
            ran = RunRegSvr32(nullptr, file.c_str(), registerServer);
        })) << "regsvr32 did not end";
        return ran;
    }
    TempFolder folder_;
    TempRegistryKey markers_;
};
} // namespace

TEST_F(RegSvr32Test, RegistersAndUnregistersAServerWhosePathHasBlanks) {
    std::string server = folder_.File("Orvex Test Server.dll");
    ASSERT_TRUE(CopyFileA(TestComServerPath().c_str(), server.c_str(), FALSE));
    EXPECT_TRUE(Run(server, true));
    EXPECT_TRUE(TestComServerRegistered(server));
    EXPECT_TRUE(Run(server, false));
    EXPECT_FALSE(TestComServerRegistered(server));
}

TEST_F(RegSvr32Test, FailedRegistrationStillCountsAsDone) {
    std::string failing = folder_.File("fail.dll");
    ASSERT_TRUE(CopyFileA(TestComServerPath().c_str(), failing.c_str(), FALSE));
    EXPECT_TRUE(Run(failing, true));
    EXPECT_FALSE(TestComServerRegistered(failing));
    EXPECT_TRUE(Run(folder_.File("missing.dll"), true));
}
