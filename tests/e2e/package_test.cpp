// The sample as one downloaded file: made from its folder, which is then removed, the package
// runs the same wizard and installs what the folder's Setup.exe installs, passes the installer's
// exit codes and command line on, and, damaged or cut short, installs nothing and ends with 1603.
// After every run the temporary folder holds what it held before.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/sample_outcome.h"
#include "support/message_boxes.h"
#include "support/package_support.h"
#include "support/sample_machine.h"
#include "support/sample_walk.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"

namespace {
const char RUN_ONCE_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char DAMAGED[] = "This package is damaged or incomplete. Download it again.";

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string TempPath() {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof(temp), temp);
    return temp;
}

std::vector<std::string> TempEntries() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((TempPath() + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// The stand-in HotSync library that a package unpacks has no configuration beside it.
std::string HotSyncConfig(const SampleMachine& machine) {
    return machine.hotSync.HotSyncFolder() + "\\HotSyncFake.ini";
}
} // namespace

TEST(PackageTest, PackageInstallsWhatItsFolderInstallsAndPassesExitCodesOn) {
    SampleMachine machine;
    ASSERT_NO_FATAL_FAILURE(machine.Install());
    Outcome folderRun = ReadOutcome(machine, machine.log);
    ASSERT_TRUE(folderRun.missing.empty());
    std::string quietRemoval = WindowsFolder() + "\\Setup.exe /S -uninst" + machine.log;
    ASSERT_EQ(0u, RunSilently(quietRemoval).exitCode);
    ClearPalmQueue(machine);

    TempFolder packages("packages");
    std::string package = packages.File("Acme Reader.exe");
    // The test machine's stand-ins are smaller than the script says: warnings only.
    ASSERT_EQ(1, MakePackage(machine.product.Path(), package));
    RemoveTree(machine.product.Path());
    EnvironmentValue config("ORVEX_HOTSYNC_FAKE_INI", HotSyncConfig(machine));
    std::vector<std::string> temp = TempEntries();

    WizardDriver wizard;
    ASSERT_TRUE(wizard.StartPackage(package)) << "no wizard frame appeared";
    PageShots noPictures;
    std::string failure;
    ASSERT_TRUE(WalkSampleInstall(wizard, noPictures, &failure)) << failure;
    DWORD exitCode = 1;
    ASSERT_TRUE(wizard.Package().Wait(30000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(temp, TempEntries());
    Outcome packageRun = ReadOutcome(machine, machine.log);
    EXPECT_EQ(folderRun.logLines, packageRun.logLines);
    EXPECT_EQ(folderRun.missing, packageRun.missing);
    EXPECT_EQ(folderRun.entry, packageRun.entry);
    EXPECT_EQ(folderRun.queued, packageRun.queued);
    EXPECT_EQ(folderRun.registered, packageRun.registered);
    // The uninstall entry names a program that is still there when the package is gone.
    std::string uninstall = packageRun.entry["UninstallString"];
    EXPECT_TRUE(FileExists(uninstall.substr(0, uninstall.find(" -uninst")))) << uninstall;
    ASSERT_EQ(0u, RunSilently(quietRemoval).exitCode);

    // Unattended: the command line reaches the installer unchanged and its exit code comes back.
    TempFolder records("package records");
    std::string record = records.File("setup record.txt");
    FixedPlace dest(machine.dest + " Two");
    RegistryValueGuard runOnce(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install AcmeView.dll");
    FixedPlace staged(SystemFolder() + "\\AcmeView.dl_");
    temp = TempEntries();
    const struct {
        std::string arguments;
        DWORD exitCode;
        bool serverInUse;
    } cases[] = {
        {"/S /D=" + Quoted(dest.Path()) + " /COMPONENTS=Desktop /LOG=" + Quoted(record), 0, false},
        {"/S /X", 87, false},
        {"/S", 3010, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        if (c.serverInUse) {
            ASSERT_TRUE(WriteFileBytes(machine.systemServer, "old version"));
            ASSERT_TRUE(machine.holder.Hold(machine.systemServer));
        }
        SilentRun run = RunSilently(Quoted(package) + " " + c.arguments, 120000, true);
        machine.holder.Release();
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_FALSE(run.windowSeen);
        EXPECT_EQ(temp, TempEntries());
    }
    std::vector<std::string> expected = {"Setup started: " + cases[0].arguments, EnglishLine(),
                                         "Result: done", "Exit code: 0"};
    EXPECT_EQ(expected, RecordEvents(record));
    EXPECT_TRUE(FileExists(dest.Path() + "\\_Install.log"));
}

TEST(PackageTest, DamagedPackagesInstallNothingAndSayWhy) {
    SampleMachine machine;
    TempFolder packages("damaged packages");
    std::string good = packages.File("good.exe");
    ASSERT_EQ(1, MakePackage(machine.product.Path(), good));
    std::string bytes = ReadFileBytes(good);
    size_t data = PackageDataOffset(good);
    ASSERT_NE(0u, data);
    std::string changed = bytes;
    changed[data + (bytes.size() - data) / 2] ^= 0x20;
    std::string cut = bytes.substr(0, data + (bytes.size() - data) / 2);
    std::string missingTemp = packages.File("no such folder");
    const struct {
        const char* what;
        std::string bytes;
        bool silent;
        std::string tempFolder; // empty: the user's own
        std::string caption;
        std::string text;
    } cases[] = {
        {"changed byte", changed, false, "", "Acme Reader Installation", DAMAGED},
        {"changed byte", changed, true, "", "", DAMAGED},
        {"cut short", cut, false, "", "Acme Reader Installation", DAMAGED},
        {"cut short", cut, true, "", "", DAMAGED},
        // Without a readable title the caption is plain.
        {"cut in its header", bytes.substr(0, data + 20), false, "", "Setup", DAMAGED},
        {"temporary folder missing", bytes, false, missingTemp, "Acme Reader Installation",
         "Setup cannot write to the temporary folder \"" + missingTemp + "\\\"."},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) + (c.silent ? ", silent" : ""));
        std::string package = packages.File("case" + std::to_string(++number) + ".exe");
        ASSERT_TRUE(WriteFileBytes(package, c.bytes));
        std::vector<std::string> temp = TempEntries();
        DWORD exitCode = 0;
        {
            std::string tempFolder = c.tempFolder.empty() ? TempPath() : c.tempFolder;
            EnvironmentValue tmp("TMP", tempFolder);
            EnvironmentValue tempValue("TEMP", tempFolder);
            if (c.silent) {
                std::string record = packages.File("record" + std::to_string(number) + ".txt");
                SilentRun run =
                    RunSilently(Quoted(package) + " /S /LOG=" + Quoted(record), 60000, true);
                ASSERT_TRUE(run.ended);
                exitCode = run.exitCode;
                EXPECT_FALSE(run.windowSeen);
                std::vector<std::string> expected = {c.text, "Result: failed or incomplete",
                                                     "Exit code: 1603"};
                EXPECT_EQ(expected, RecordEvents(record));
            } else {
                ChildProcess process;
                ASSERT_TRUE(process.Start(Quoted(package)));
                BoxAnswerer answerer(process.Id(), {IDOK});
                ASSERT_TRUE(process.Wait(60000, &exitCode));
                std::vector<SeenBox> seen = answerer.Stop();
                ASSERT_EQ(1u, seen.size());
                EXPECT_EQ(c.caption, seen[0].caption);
                EXPECT_EQ(c.text, seen[0].text);
            }
        }
        EXPECT_EQ(1603u, exitCode);
        EXPECT_EQ(temp, TempEntries());
        EXPECT_FALSE(machine.UninstallEntryExists());
        EXPECT_FALSE(FileExists(machine.dest));
    }
}
