#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/install_result.h"
#include "app/installer_path_hook.h"
#include "app/service_registration.h"
#include "support/desktop_support.h"
#include "support/system_standins.h"
#include "system/external_programs.h"
#include "system/file_protection_hook.h"
#include "system/run_record.h"
#include "system/shared_count.h"

namespace {

using Lines = std::vector<std::string>;

const DWORD CALL_LIMIT_MS = 60000;
const char RUN_ONCE_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

class ServiceRegistrationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        activeSyncRunning = 1;
        context.reset(new InstallContext(setup.Path().c_str(), dest.Path().c_str(),
                                         "Orvex Service Test", nullptr));
    }
    void TearDown() override {
        context.reset();
        activeSyncRunning = 1;
        CloseRunRecord();
        for (const std::string& path : registered)
            DeleteRegistryValue(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY, path.c_str());
        EXPECT_TRUE(EndChildProcesses(15000)) << "a started program did not end and was ended";
    }
    // A copy of the test COM server in the installer folder.
    void ProvideServer(const char* name) {
        ASSERT_TRUE(CopyFileA(TestComServerPath().c_str(), setup.File(name).c_str(), FALSE));
        registered.push_back(dest.File(name));
    }
    // Runs an action that waits for regsvr32 or wcesmgr, bounded.
    template <typename Action> void Bounded(Action action) {
        EXPECT_TRUE(CallWithDeadline(CALL_LIMIT_MS, action)) << "a started program did not end";
    }
    Lines Entries() {
        context->CloseLog();
        return LogEntries(dest.File("_Install.log"));
    }

    TempFolder setup{"orvex setup"};
    TempFolder dest{"orvex svc"};
    std::unique_ptr<InstallContext> context;
    std::vector<std::string> registered;
    int32_t restartNeeded = 0;
};

TEST_F(ServiceRegistrationTest, NewServerIsCopiedAndReallyRegistered) {
    ProvideServer("OrvexNew.dll");
    std::string target = dest.File("OrvexNew.dll");
    bool removed = false;
    int result = -1;
    Bounded([&] {
        removed = RemoveOldService(*context, "%DEST_PATH%\\OrvexNew.dll");
        result = RegisterService(*context, "%DEST_PATH%\\OrvexNew.dll", &restartNeeded);
    });
    EXPECT_TRUE(removed);
    EXPECT_EQ(RESULT_OK, result);
    EXPECT_EQ(0, restartNeeded);
    EXPECT_TRUE(TestComServerRegistered(target));
    EXPECT_EQ((Lines{"Made Dir: " + dest.Path(), "Made Dir: " + dest.Path(), "File Copy: " + target,
                     "RegSvr32: " + target}),
              Entries());
}

TEST_F(ServiceRegistrationTest, EqualInstalledCopyIsRegisteredAgainWithoutUnregisterOrCopy) {
    ProvideServer("OrvexSame.dll");
    std::string target = dest.File("OrvexSame.dll");
    ASSERT_TRUE(CopyFileA(setup.File("OrvexSame.dll").c_str(), target.c_str(), FALSE));
    // The marker stands for an earlier registration; an unregistration would remove it.
    RegistryValueGuard marker(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY, target.c_str());
    ASSERT_TRUE(marker.Set("registered"));
    // Readers may share the file (regsvr32 loads it), but a delete or copy would fail here.
    HANDLE reader = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);

    bool removed = false;
    Bounded([&] { removed = RemoveOldService(*context, "%DEST_PATH%\\OrvexSame.dll"); });
    EXPECT_TRUE(removed);
    EXPECT_TRUE(TestComServerRegistered(target)) << "the equal copy was unregistered";
    ASSERT_TRUE(marker.Remove());

    int result = -1;
    Bounded(
        [&] { result = RegisterService(*context, "%DEST_PATH%\\OrvexSame.dll", &restartNeeded); });
    CloseHandle(reader);
    EXPECT_EQ(RESULT_OK, result);
    EXPECT_EQ(0, restartNeeded) << "a copy was tried";
    EXPECT_TRUE(TestComServerRegistered(target));
    EXPECT_EQ((Lines{"Made Dir: " + dest.Path(), "Made Dir: " + dest.Path(), "File Copy: " + target,
                     "RegSvr32: " + target}),
              Entries());
}

TEST_F(ServiceRegistrationTest, LockedServerIsStagedAndDeferredToRunOnce) {
    ProvideServer("OrvexBusy.dll");
    std::string target = dest.File("OrvexBusy.dll");
    ASSERT_TRUE(WriteFileBytes(target, "old server"));
    // An installer in a folder whose path holds blanks.
    std::string installer = setup.File("Setup.exe");
    SeamGuard<const char*> installerPath(installerPathOverride, installer.c_str());
    RegistryValueGuard runOnce(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install OrvexBusy.dll");
    HeldFile held;
    ASSERT_TRUE(held.Hold(target)) << "holdfile.exe did not take " << target;

    bool removed = true;
    int result = -1;
    Bounded([&] {
        removed = RemoveOldService(*context, "%DEST_PATH%\\OrvexBusy.dll");
        result = RegisterService(*context, "%DEST_PATH%\\OrvexBusy.dll", &restartNeeded);
    });
    held.Release();

    EXPECT_FALSE(removed);
    EXPECT_EQ(RESULT_OK, result);
    EXPECT_EQ(1, restartNeeded);
    EXPECT_EQ("old server", ReadFileBytes(target));
    EXPECT_TRUE(ReadFileBytes(TestComServerPath()) == ReadFileBytes(dest.File("OrvexBusy.dl_")))
        << "contents differ";
    std::string command;
    ASSERT_TRUE(
        ReadRegistryValue(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install OrvexBusy.dll", &command));
    EXPECT_EQ("\"" + installer + "\" -register" + target, command);
    EXPECT_EQ((Lines{"Made Dir: " + dest.Path(), "Made Dir: " + dest.Path(), "File Copy: " + target,
                     "RegSvr32: " + target}),
              Entries());
}

TEST_F(ServiceRegistrationTest, ItemWithoutFileNameIsReportedAndNotDeferred) {
    RegistryValueGuard runOnce(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install Orvex.dll");
    EXPECT_FALSE(RemoveOldService(*context, "Orvex.dll"));
    EXPECT_EQ(RESULT_SOURCE_MISSING, RegisterService(*context, "Orvex.dll", &restartNeeded));
    EXPECT_STREQ("Orvex.dll", context->failedFileName);
    EXPECT_EQ(0, restartNeeded);
    std::string command;
    EXPECT_FALSE(
        ReadRegistryValue(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install Orvex.dll", &command));
    EXPECT_EQ((Lines{}), Entries());
}

TEST_F(ServiceRegistrationTest, NothingStagedIsReportedAndNotDeferred) {
    RegistryValueGuard runOnce(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install OrvexGone.dll");
    EXPECT_EQ(RESULT_SOURCE_MISSING,
              RegisterService(*context, "%DEST_PATH%\\OrvexGone.dll", &restartNeeded));
    EXPECT_STREQ("OrvexGone.dll", context->failedFileName);
    EXPECT_FALSE(FileExists(dest.File("OrvexGone.dl_")));
    std::string command;
    EXPECT_FALSE(
        ReadRegistryValue(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install OrvexGone.dll", &command));
}

TEST_F(ServiceRegistrationTest, InstalledServerStaysWhenThePackageLacksTheNewOne) {
    std::string installed = dest.File("OrvexKept.dll");
    ASSERT_TRUE(WriteFileBytes(installed, "working old server"));
    Bounded([&] { EXPECT_TRUE(RemoveOldService(*context, "%DEST_PATH%\\OrvexKept.dll")); });
    EXPECT_EQ("working old server", ReadFileBytes(installed));
}

TEST_F(ServiceRegistrationTest, ActiveSyncEntryOnlyBesideItsRegistration) {
    EXPECT_EQ(RESULT_SOURCE_MISSING,
              RegisterActiveSyncService(*context, "OrvexSync.dll", &restartNeeded));
    EXPECT_EQ((Lines{}), Entries());
}

TEST_F(ServiceRegistrationTest, ActiveSyncIsStoppedOnceForTwoDifferingOldFiles) {
    TempFolder activeSync("orvex as");
    ASSERT_TRUE(CopyActiveSyncStandIns(activeSync.Path()));
    RegistryValueGuard appPath(HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATHS_KEY, nullptr);
    ASSERT_TRUE(appPath.Set(activeSync.File("CEAppMgr.exe")));
    ProvideServer("OrvexSyncA.dll");
    ProvideServer("OrvexSyncB.dll");
    std::string first = dest.File("OrvexSyncA.dll");
    std::string second = dest.File("OrvexSyncB.dll");
    ASSERT_TRUE(WriteFileBytes(first, "old A"));
    ASSERT_TRUE(WriteFileBytes(second, "old B"));

    int firstResult = -1;
    int secondResult = -1;
    Bounded([&] {
        RemoveOldActiveSyncService(*context, "%DEST_PATH%\\OrvexSyncA.dll");
        RemoveOldActiveSyncService(*context, "%DEST_PATH%\\OrvexSyncB.dll");
    });
    EXPECT_EQ("start /quit\nend /quit\n", WcesmgrRecord(activeSync.Path()));
    EXPECT_FALSE(IsActiveSyncRunning());
    EXPECT_FALSE(FileExists(first));
    EXPECT_FALSE(FileExists(second));

    Bounded([&] {
        firstResult =
            RegisterActiveSyncService(*context, "%DEST_PATH%\\OrvexSyncA.dll", &restartNeeded);
        secondResult =
            RegisterActiveSyncService(*context, "%DEST_PATH%\\OrvexSyncB.dll", &restartNeeded);
    });
    EXPECT_EQ(RESULT_OK, firstResult);
    EXPECT_EQ(RESULT_OK, secondResult);
    EXPECT_TRUE(TestComServerRegistered(first));
    EXPECT_TRUE(TestComServerRegistered(second));
    EXPECT_EQ("start /quit\nend /quit\n", WcesmgrRecord(activeSync.Path()));
    EXPECT_EQ((Lines{"Made Dir: " + dest.Path(), "Made Dir: " + dest.Path(),
                     "Made Dir: " + dest.Path(), "File Copy: " + first, "RegSvr32: " + first,
                     "StopActiveSync: ", "Made Dir: " + dest.Path(), "File Copy: " + second,
                     "RegSvr32: " + second, "StopActiveSync: "}),
              Entries());
}

std::string protectedPath;
bool ProtectOnePath(const char* path) {
    return protectedPath == path;
}

// A server in a folder outside the product's, where another product may have put its own copy.
TEST_F(ServiceRegistrationTest, SharedServerNeverReplacesANewerOrProtectedOne) {
    TempFolder common("orvex common");
    TempFolder records("orvex record");
    std::string record = records.File("record.txt");
    ASSERT_TRUE(OpenRunRecord(record.c_str()));
    const std::string older = TestComServerPath();
    const std::string newer = NewerTestComServerPath();
    const std::string plain = "MZ no version";
    bool (*askWindows)(const char*) = askFileProtected;
    askFileProtected = ProtectOnePath;
    protectedPath = common.File("OrvexProtected.dll");
    Lines expected;
    const struct {
        const char* name;
        std::string installed; // a file to copy, or the bytes of one without a version
        std::string shipped;
        bool kept;
    } cases[] = {
        {"OrvexNewerThere.dll", newer, older, true},
        {"OrvexOlderThere.dll", older, newer, false},
        {"OrvexPlainThere.dll", plain, older, false},
        {"OrvexPlainShipped.dll", newer, plain, false},
        {"OrvexProtected.dll", older, newer, true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        std::string target = common.File(row.name);
        auto place = [](const std::string& from, const std::string& to) {
            return from == "MZ no version" ? WriteFileBytes(to, from)
                                           : CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
        };
        ASSERT_TRUE(place(row.installed, target));
        ASSERT_TRUE(place(row.shipped, setup.File(row.name)));
        std::string before = ReadFileBytes(target);
        registered.push_back(target);
        RegistryValueGuard marker(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY, target.c_str());
        ASSERT_TRUE(marker.Set("registered"));

        int result = -1;
        bool markerAfterPrePass = false;
        Bounded([&] {
            RemoveOldService(*context, target.c_str());
            markerAfterPrePass = TestComServerRegistered(target);
            result = RegisterService(*context, target.c_str(), &restartNeeded);
        });
        DWORD number = 0;
        bool counted = ReadSharedCount(target.c_str(), &number);
        RemoveSharedCount(target.c_str());

        EXPECT_EQ(RESULT_OK, result);
        EXPECT_EQ(0, restartNeeded);
        EXPECT_EQ(row.kept ? before : ReadFileBytes(setup.File(row.name)), ReadFileBytes(target));
        // The earlier owner's 1 and this product's.
        EXPECT_TRUE(counted);
        EXPECT_EQ(2u, number);
        if (row.kept) {
            EXPECT_TRUE(markerAfterPrePass) << "the kept server was unregistered";
            EXPECT_TRUE(TestComServerRegistered(target));
        }
        for (const std::string& line : {"Made Dir: " + common.Path(), "Made Dir: " + common.Path(),
                                        "File Copy: " + target, "RegSvr32: " + target})
            expected.push_back(line);
    }
    askFileProtected = askWindows;
    CloseRunRecord();
    // A kept file is logged as a copied one, so that its removal counts it off.
    EXPECT_EQ(expected, Entries());
    std::string text = ReadFileBytes(record);
    for (const auto& row : cases) {
        std::string line = "Kept newer file: " + common.File(row.name) + "\r\n";
        EXPECT_EQ(row.kept, text.find(line) != std::string::npos) << row.name;
    }
}

} // namespace
