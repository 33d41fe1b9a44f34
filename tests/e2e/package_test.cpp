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
#include "package/unpack_folder.h"
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

// The entries of a folder (with its backslash) that match the pattern, as full paths when asked.
std::vector<std::string> TempEntries(const std::string& folder = TempPath(),
                                     const char* pattern = "*", bool full = false) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back((full ? folder : "") + found.cFileName);
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
        // The installer runs in the system folder, where a record named without its folder
        // would land: refused before anything is unpacked.
        {"/S /LOG=acme.log", 87, false},
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
    EXPECT_FALSE(FileExists(SystemFolder() + "\\acme.log"));
}

// From the moment a package makes its folder until its installer has ended, a process beside it
// can neither rename the folder nor open the installer for writing. A few hundred files give the
// race its chances while they are unpacked; the installer here holds a file for a second, and
// while it holds it the installer runs. A run with administrator rights (every run under Wine)
// unpacks under the Windows folder's Temp, whatever %TEMP% names.
TEST(PackageTest, NothingBesideAPackageRenamesItsFolderOrWritesItsInstaller) {
    ProductFolder product;
    ASSERT_TRUE(product.Write("Setup.exe", ReadFileBytes(BinPath("holdfile.exe"))));
    std::string items;
    for (int i = 2; i < 300; ++i) {
        std::string name = "File" + std::to_string(i) + ".txt";
        items += "CopyFile" + std::to_string(i) + "=1;%DEST_PATH%\\" + name + "\r\n";
        ASSERT_TRUE(product.Write(name, "file " + std::to_string(i)));
    }
    ASSERT_TRUE(WriteSmallProduct(product, items));
    TempFolder packages("race");
    std::string package = packages.File("race.exe");
    ASSERT_LE(MakePackage(product.Path(), package), 1);
    ASSERT_GT(PackageNames(package).size(), 300u);
    bool administrator = RunsAsAdministrator();
    std::string parent = administrator ? WindowsFolder() + "\\Temp\\" : TempPath();
    auto unpackFolders = [&]() { return TempEntries(parent, "Orvex*", true); };
    std::vector<std::string> before = unpackFolders();
    std::string held = packages.File("held.txt");
    ChildProcess run;
    {
        std::string temp = administrator ? packages.File("no temp") : TempPath();
        EnvironmentValue tmp("TMP", temp), tempValue("TEMP", temp);
        ASSERT_TRUE(run.Start(Quoted(package) + " 1 " + held));
    }
    // The installer has ended once its file can be opened.
    auto installerEnded = [&]() {
        HANDLE file = CreateFileA(held.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(file);
        return true;
    };
    int foldersSeen = 0, installerRefused = 0;
    std::vector<std::string> faults;
    for (DWORD start = GetTickCount(); run.Running() && GetTickCount() - start < 30000;) {
        std::vector<std::string> tried;
        for (const std::string& folder : unpackFolders()) {
            if (std::find(before.begin(), before.end(), folder) != before.end())
                continue;
            ++foldersSeen;
            if (MoveFileA(folder.c_str(), (folder + "x").c_str())) {
                tried.push_back("renamed " + folder);
                MoveFileA((folder + "x").c_str(), folder.c_str());
            }
            HANDLE installer = CreateFileA((folder + "\\Setup.exe").c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (installer != INVALID_HANDLE_VALUE) {
                tried.push_back("wrote " + folder + "\\Setup.exe");
                CloseHandle(installer);
            } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
                ++installerRefused;
            }
        }
        // What succeeded counts only when the installer was still running afterwards; once it
        // has ended the package may let go.
        if (installerEnded())
            break;
        faults.insert(faults.end(), tried.begin(), tried.end());
    }
    EXPECT_EQ(std::vector<std::string>(), faults);
    DWORD exitCode = 1;
    ASSERT_TRUE(run.Wait(30000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(FileExists(held)) << "the installer did not run";
    EXPECT_GT(foldersSeen, 0);
    EXPECT_GT(installerRefused, 0);
    EXPECT_EQ(before, unpackFolders());
}

// An installer Windows cannot start is named with the cause Windows gives.
TEST(PackageTest, AnInstallerThatDoesNotStartIsNamedWithItsCause) {
    ProductFolder product;
    ASSERT_TRUE(product.Write("Setup.exe", "no program"));
    ASSERT_TRUE(WriteSmallProduct(product));
    TempFolder packages("no start");
    std::string package = packages.File("no start.exe");
    std::string record = packages.File("record.txt");
    ASSERT_LE(MakePackage(product.Path(), package), 1);
    SilentRun run = RunSilently(Quoted(package) + " /S /LOG=" + Quoted(record), 60000, true);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(1603u, run.exitCode);
    std::vector<std::string> events = RecordEvents(record);
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ(0u, events[0].find("Setup cannot start the installer \"")) << events[0];
    EXPECT_NE(std::string::npos, events[0].find("\\Setup.exe\" (error 193).")) << events[0];
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
        // A run with administrator rights unpacks under the Windows folder, whatever %TEMP% says.
        if (!c.tempFolder.empty() && RunsAsAdministrator())
            continue;
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
