#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/install_context.h"
#include "app/installer_path_hook.h"
#include "app/modes.h"
#include "app/service_registration.h"
#include "script/setup_script.h"
#include "support/desktop_support.h"
#include "support/system_standins.h"
#include "system/staging_path.h"

namespace {

const char RUN_ONCE_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// regsvr32 runs on its own after the -register process ended: wait for its marker.
bool WaitForRegistration(const std::string& path, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!TestComServerRegistered(path)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

// A DLL that regsvr32 still has loaded cannot be removed yet.
void DeleteWhenFree(const std::string& path) {
    for (int attempt = 0; attempt < 200 && FileExists(path); ++attempt) {
        if (!DeleteFileA(path.c_str()))
            Sleep(50);
    }
}

class RegisterModeTest : public ::testing::Test {
  protected:
    void TearDown() override {
        DeleteRegistryValue(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY, target.c_str());
        DeleteWhenFree(target);
        EXPECT_TRUE(EndChildProcesses(15000)) << "a started program did not end and was ended";
    }

    TempFolder folder{"orvex reg"};
    std::string target = folder.File("OrvexLate.dll");
    std::string staged = folder.File("OrvexLate.dl_");
};

TEST(StagingPath, ReplacesTheLastCharacterAndRefusesWhatCannotBeStaged) {
    char out[8];
    EXPECT_TRUE(FormStagingPath("a\\b.dll", out, sizeof(out)));
    EXPECT_STREQ("a\\b.dl_", out);
    EXPECT_TRUE(FormStagingPath("x", out, sizeof(out)));
    EXPECT_STREQ("_", out);
    EXPECT_FALSE(FormStagingPath("", out, sizeof(out)));
    EXPECT_STREQ("", out);
    // The staged file would be the target itself.
    EXPECT_FALSE(FormStagingPath("b.dl_", out, sizeof(out)));
    // Too long for the buffer: refused, never cut into another name.
    EXPECT_FALSE(FormStagingPath("abcdefgh", out, sizeof(out)));
    EXPECT_STREQ("", out);
}

TEST_F(RegisterModeTest, SetupSwapsStagedFileInStartsRegsvr32AndExitsOne) {
    ASSERT_TRUE(CopyFileA(TestComServerPath().c_str(), staged.c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(target, "old server"));

    ChildProcess setup;
    ASSERT_TRUE(setup.Start("\"" + BinPath("Setup.exe") + "\" -register" + target));
    DWORD exitCode = 0;
    // A window or message box would keep the process from ending.
    ASSERT_TRUE(setup.Wait(30000, &exitCode)) << "Setup.exe -register did not end";
    EXPECT_EQ(1u, exitCode);

    EXPECT_TRUE(WaitForRegistration(target, 30000)) << "regsvr32 did not register " << target;
    EXPECT_FALSE(FileExists(staged));
    EXPECT_TRUE(ReadFileBytes(TestComServerPath()) == ReadFileBytes(target)) << "contents differ";
}

TEST_F(RegisterModeTest, WithoutStagedFileTheInstalledOneIsKeptAndRegistered) {
    ASSERT_TRUE(CopyFileA(TestComServerPath().c_str(), target.c_str(), FALSE));

    EXPECT_EQ(1, RunRegisterMode(nullptr, target.c_str()));
    EXPECT_TRUE(WaitForRegistration(target, 30000)) << "regsvr32 did not register " << target;
    EXPECT_TRUE(ReadFileBytes(TestComServerPath()) == ReadFileBytes(target)) << "contents differ";

    EXPECT_EQ(0, RunRegisterMode(nullptr, ""));
}

TEST_F(RegisterModeTest, ServerStillInUseIsNeitherSwappedNorRegistered) {
    ASSERT_TRUE(CopyFileA(TestComServerPath().c_str(), staged.c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(target, "old server"));
    HeldFile held;
    ASSERT_TRUE(held.Hold(target)) << "holdfile.exe did not take " << target;

    // 1 would mean regsvr32 was started.
    EXPECT_EQ(0, RunRegisterMode(nullptr, target.c_str()));
    EXPECT_TRUE(FileExists(staged));
}

TEST_F(RegisterModeTest, DeferredRegistrationCompletesAtTheNextStartOfWindows) {
    TempFolder product("orvex product");
    ASSERT_TRUE(
        CopyFileA(TestComServerPath().c_str(), product.File("OrvexLate.dll").c_str(), FALSE));
    // The RunOnce command starts the installer by its full path: a real Setup.exe.
    std::string installer = product.File("OrvexLateSetup.exe");
    ASSERT_TRUE(CopyFileA(BinPath("Setup.exe").c_str(), installer.c_str(), FALSE));
    SeamGuard<const char*> installerPath(installerPathOverride, installer.c_str());
    RegistryValueGuard runOnce(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install OrvexLate.dll");
    ASSERT_TRUE(WriteFileBytes(target, "old server"));

    // The run's uninstall entry copies the installer into the Windows folder.
    std::unique_ptr<SetupScript, void (*)(SetupScript*)> script{NewSetupScript(),
                                                                DestroySetupScript};
    FixedPlace copyPlace(WindowsFolder() + "\\OrvexLateSetup.exe");
    const std::string& copy = copyPlace.Path();
    TempRegistryKey entry(HKEY_LOCAL_MACHINE,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvex Late");
    int32_t restartNeeded = 0;
    {
        InstallContext context(product.Path().c_str(), folder.Path().c_str(), "Orvex Late",
                               nullptr);
        context.script = script.get();
        HeldFile held;
        ASSERT_TRUE(held.Hold(target)) << "holdfile.exe did not take " << target;
        int result = -1;
        EXPECT_TRUE(CallWithDeadline(60000, [&] {
            result = RegisterService(context, "%DEST_PATH%\\OrvexLate.dll", &restartNeeded);
        }));
        EXPECT_EQ(0, result);
    }
    ASSERT_EQ(1, restartNeeded);
    ASSERT_TRUE(FileExists(staged));
    std::string command;
    ASSERT_TRUE(
        ReadRegistryValue(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install OrvexLate.dll", &command));

    EXPECT_EQ("\"" + copy + "\" -register" + target, command);
    // The CD the installer ran from is gone by the restart.
    ASSERT_TRUE(DeleteFileA(installer.c_str()));

    // wineboot -r plays the restart: it runs the RunOnce commands and deletes them.
    EXPECT_EQ(0, RunAndWait("wineboot.exe -r", 120000)) << "wineboot -r failed or hung";

    EXPECT_TRUE(WaitForRegistration(target, 30000)) << "regsvr32 did not register " << target;
    EXPECT_TRUE(ReadFileBytes(TestComServerPath()) == ReadFileBytes(target)) << "contents differ";
    EXPECT_FALSE(FileExists(staged));
    EXPECT_FALSE(
        ReadRegistryValue(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install OrvexLate.dll", &command))
        << command;
}

} // namespace
