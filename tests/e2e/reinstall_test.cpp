// The sample product installed again over an installation of itself: into the folder it is in,
// or into another one before the earlier installation is removed, so that one installation exists
// and its uninstall entry removes it whole.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/sample_machine.h"
#include "ui/page_table.h"

namespace {
// HotSync refuses a file queued twice: the unattended runs leave the handheld part out.
const char DESKTOP_PART[] = "/S /COMPONENTS=Desktop;DesktopGuide;DesktopSync";

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

DWORD RunSetup(const SampleMachine& machine, const std::string& arguments) {
    SilentRun run = RunSilently(Quoted(machine.product.SetupPath()) + " " + arguments);
    EXPECT_TRUE(run.ended) << arguments;
    EXPECT_FALSE(run.windowSeen) << arguments;
    return run.exitCode;
}

std::string EntryValue(const SampleMachine& machine, const char* name) {
    std::string value;
    ReadRegistryValue(HKEY_LOCAL_MACHINE, machine.traces.UninstallKey(), name, &value);
    return value;
}

void SetVersion(const SampleMachine& machine, const char* version) {
    WritePrivateProfileStringA("General", "Version", version,
                               machine.product.File("Setup.ini").c_str());
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Removes the product as Settings would when it is removed silently; true when nothing is left.
bool RemoveQuietly(const SampleMachine& machine, const std::string& folder) {
    SilentRun run = RunSilently(EntryValue(machine, "QuietUninstallString"));
    return run.ended && run.exitCode == 0 && !FileExists(folder) &&
           !machine.UninstallEntryExists() && !FileExists(machine.desktopLink);
}
} // namespace

TEST(ReinstallTest, WithoutDestinationTheProductIsInstalledAgainWhereItIs) {
    SampleMachine machine;
    FixedPlace first(machine.dest + " First");
    std::string log = first.Path() + "\\_Install.log";
    SetVersion(machine, "1.0");
    ASSERT_EQ(0u, RunSetup(machine, std::string(DESKTOP_PART) + " /D=" + Quoted(first.Path())));

    // The wizard, with the vendor's next version.
    SetVersion(machine, "2.0");
    WizardDriver wizard;
    ASSERT_TRUE(wizard.StartIn(machine.product.Path()));
    PageShots noPictures;
    std::string failure;
    ASSERT_TRUE(WalkSampleInstall(wizard, noPictures, &failure)) << failure;
    EXPECT_FALSE(FileExists(machine.dest));
    std::string text = ReadFileBytes(log);
    EXPECT_EQ(1u, Occurrences(text, "Installation Started"));
    EXPECT_EQ(2u, Occurrences(text, "File Copy: " + first.Path() + "\\Reader.exe\n"));
    EXPECT_EQ(WindowsFolder() + "\\Setup.exe -uninst" + log,
              EntryValue(machine, "UninstallString"));
    EXPECT_EQ(first.Path(), EntryValue(machine, "InstallLocation"));
    EXPECT_EQ("2.0", EntryValue(machine, "DisplayVersion"));
    // The read-me the finish page offered is the installed one.
    ASSERT_TRUE(machine.recorder.WaitForOpened(1, 15000));
    EXPECT_NE(std::string::npos, machine.recorder.Opened()[0].find(first.Path() + "\\ReadMe.txt"));

    // Unattended, with a version that no longer names itself.
    SetVersion(machine, nullptr);
    ASSERT_EQ(0u, RunSetup(machine, DESKTOP_PART));
    EXPECT_FALSE(FileExists(machine.dest));
    EXPECT_EQ(3u, Occurrences(ReadFileBytes(log), "File Copy: " + first.Path() + "\\Reader.exe\n"));
    EXPECT_EQ("", EntryValue(machine, "DisplayVersion"));
    EXPECT_TRUE(RemoveQuietly(machine, first.Path()));
}

// The sample installed unattended into its own folder, and another folder to install it into.
class ReinstallElsewhereTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(0u, RunSetup(machine, DESKTOP_PART)); }
    DWORD InstallElsewhere() const {
        return RunSetup(machine, std::string(DESKTOP_PART) + " /D=" + Quoted(other.Path()) +
                                     " /LOG=" + Quoted(record));
    }

    SampleMachine machine;
    FixedPlace other{machine.dest + " Two"};
    TempFolder records{"reinstall record"};
    std::string record = records.File("record.txt");
};

TEST_F(ReinstallElsewhereTest, TheEarlierInstallationIsRemovedOnceTheNewOneIsInPlace) {
    std::string notes = machine.dest + "\\Notes.txt";
    ASSERT_TRUE(WriteFileBytes(notes, "the user's own"));
    LoggedPaths earlier;
    ASSERT_TRUE(ReadLoggedPaths(machine.dest + "\\_Install.log", &earlier));

    ASSERT_EQ(0u, InstallElsewhere());
    EXPECT_NE(std::string::npos,
              ReadFileBytes(record).find("Removed the earlier installation in " + machine.dest));
    // The system folder's server is installed again.
    for (const std::string& file : earlier.files)
        EXPECT_EQ(file == machine.systemServer, FileExists(file)) << file;
    EXPECT_FALSE(FileExists(machine.dest + "\\Guide"));
    EXPECT_FALSE(FileExists(machine.dest + "\\_Install.log"));
    EXPECT_TRUE(FileExists(notes));
    EXPECT_EQ(WindowsFolder() + "\\Setup.exe -uninst" + other.Path() + "\\_Install.log",
              EntryValue(machine, "UninstallString"));
    EXPECT_TRUE(RemoveQuietly(machine, other.Path()));
    EXPECT_TRUE(FileExists(notes));
}

// Unattended, the earlier installation's open program is left where it is, as any removal leaves
// a file in use: the new installation stays and asks for the restart.
TEST_F(ReinstallElsewhereTest, AFileOfTheEarlierInstallationInUseIsLeftAndARestartAskedFor) {
    std::string locked = machine.dest + "\\Reader.exe";
    ASSERT_TRUE(machine.holder.Hold(locked));
    EXPECT_EQ(3010u, InstallElsewhere());
    machine.holder.Release();
    std::string text = ReadFileBytes(record);
    EXPECT_NE(std::string::npos, text.find("Could not delete file: " + locked)) << text;
    EXPECT_NE(std::string::npos, text.find("Removed the earlier installation in " + machine.dest));
    EXPECT_TRUE(FileExists(locked));
    for (const char* file : {"ReadMe.txt", "Guide\\Guide.txt", "_Install.log"})
        EXPECT_FALSE(FileExists(machine.dest + "\\" + file)) << file;
    for (const char* file : {"Reader.exe", "ReadMe.txt", "Guide\\Guide.txt", "_Install.log"})
        EXPECT_TRUE(FileExists(other.Path() + "\\" + file)) << file;
    // The links are at the same places: the new installation's.
    EXPECT_TRUE(FileExists(machine.desktopLink));
    EXPECT_EQ(WindowsFolder() + "\\Setup.exe -uninst" + other.Path() + "\\_Install.log",
              EntryValue(machine, "UninstallString"));
    EXPECT_TRUE(RemoveQuietly(machine, other.Path()));
}

// The vendor's next version, installed unattended while the product's program runs: every file
// is new at once but the program, which is new after the restart.
TEST(ReinstallTest, TheOpenProgramIsReplacedAtTheRestartAndEveryOtherFileAtOnce) {
    SampleMachine machine;
    TempFolder records("upgrade record");
    std::string record = records.File("record.txt");
    ASSERT_EQ(0u, RunSetup(machine, DESKTOP_PART));
    const char* const changed[] = {"Reader.exe", "ReadMe.txt", "Guide.txt"};
    for (const char* name : changed)
        ASSERT_TRUE(WriteFileBytes(machine.product.File(name),
                                   ReadFileBytes(machine.product.File(name)) + "version 2"));
    std::string reader = machine.dest + "\\Reader.exe";
    ASSERT_TRUE(machine.holder.Hold(reader));

    EXPECT_EQ(3010u, RunSetup(machine, std::string(DESKTOP_PART) + " /LOG=" + Quoted(record)));
    machine.holder.Release();
    EXPECT_NE(std::string::npos, ReadFileBytes(record).find("Replaced at restart: " + reader));
    // Logged, the staged copy goes with a removal before the restart.
    EXPECT_NE(std::string::npos, ReadFileBytes(machine.dest + "\\_Install.log")
                                     .find("File Copy: " + machine.dest + "\\Reader.ex_"));
    EXPECT_NE(ReadFileBytes(machine.product.File("Reader.exe")), ReadFileBytes(reader));
    EXPECT_EQ(ReadFileBytes(machine.product.File("ReadMe.txt")),
              ReadFileBytes(machine.dest + "\\ReadMe.txt"));
    EXPECT_EQ(ReadFileBytes(machine.product.File("Guide.txt")),
              ReadFileBytes(machine.dest + "\\Guide\\Guide.txt"));

    EXPECT_EQ(0, RunAndWait("wineboot.exe -r", 120000)) << "wineboot -r failed or hung";
    EXPECT_EQ(ReadFileBytes(machine.product.File("Reader.exe")), ReadFileBytes(reader));
    EXPECT_FALSE(FileExists(machine.dest + "\\Reader.ex_"));
    EXPECT_TRUE(RemoveQuietly(machine, machine.dest));
}

// The wizard asks about the open program before anything changes: Cancel leaves version 1 whole
// and the wizard on the page where Install was pressed; Retry, once the program is closed,
// installs version 2.
TEST(ReinstallTest, TheWizardAsksAboutTheOpenProgramUntilItIsClosed) {
    SampleMachine machine;
    ASSERT_EQ(0u, RunSetup(machine, DESKTOP_PART));
    std::string entry =
        EntryValue(machine, "UninstallString") + EntryValue(machine, "DisplayVersion");
    std::string log = ReadFileBytes(machine.dest + "\\_Install.log");
    std::string readMe = ReadFileBytes(machine.dest + "\\ReadMe.txt");
    SetVersion(machine, "2.0");
    for (const char* name : {"Reader.exe", "ReadMe.txt"})
        ASSERT_TRUE(WriteFileBytes(machine.product.File(name),
                                   ReadFileBytes(machine.product.File(name)) + "version 2"));
    std::string reader = machine.dest + "\\Reader.exe";
    ASSERT_TRUE(machine.holder.Hold(reader));

    WizardDriver wizard;
    ASSERT_TRUE(wizard.StartIn(machine.product.Path()));
    ASSERT_TRUE(wizard.WalkToComponents());
    for (int answer : {IDCANCEL, IDRETRY}) {
        wizard.PressFrameButton(IDOK);
        HWND box = nullptr;
        ASSERT_TRUE(
            WaitUntil([&] { return (box = FindBox(wizard.ProcessId())) != nullptr; }, 30000));
        EXPECT_EQ("The file \"" + reader +
                      "\" is in use.\nClose the program that uses it, then "
                      "click Retry. Cancel stops the installation before anything is changed.",
                  MessageBoxText(box));
        if (answer == IDRETRY)
            machine.holder.Release();
        PressButton(box, answer);
        ASSERT_TRUE(WaitWindowGone(box, 15000));
        if (answer == IDCANCEL) {
            ASSERT_TRUE(WaitUntil([&] { return wizard.FrameButtonEnabled(IDOK); }, 15000));
            EXPECT_EQ(PAGE_COMPONENTS, wizard.CurrentPage());
            EXPECT_EQ(log, ReadFileBytes(machine.dest + "\\_Install.log"));
            EXPECT_EQ(readMe, ReadFileBytes(machine.dest + "\\ReadMe.txt"));
            EXPECT_EQ(entry, EntryValue(machine, "UninstallString") +
                                 EntryValue(machine, "DisplayVersion"));
        }
    }
    ASSERT_TRUE(wizard.WaitForPage(PAGE_FINISH, 60000));
    wizard.PressFrameButton(IDCANCEL);
    EXPECT_TRUE(wizard.WaitForExit(30000));
    EXPECT_EQ(ReadFileBytes(machine.product.File("Reader.exe")), ReadFileBytes(reader));
    EXPECT_EQ("2.0", EntryValue(machine, "DisplayVersion"));
}

// A line added to the log after the install: whoever can write the product's folder could name
// any file there. Nothing it names is removed or unregistered, and the log is not added to.
TEST_F(ReinstallElsewhereTest, AChangedLogIsNeitherRemovedNorAddedTo) {
    std::string log = machine.dest + "\\_Install.log";
    std::string victim = records.File("victim.txt");
    ASSERT_TRUE(WriteFileBytes(victim, "not the product's"));
    ASSERT_TRUE(TestComServerRegistered(machine.systemServer));
    std::string changed =
        ReadFileBytes(log) + "File Copy: " + victim + "\nRegSvr32: " + machine.systemServer + "\n";
    ASSERT_TRUE(WriteFileBytes(log, changed));
    std::string refusal = "The uninstallation log \"" + log +
                          "\" was changed after the installation wrote it, so nothing was removed.";

    EXPECT_EQ(1603u, InstallElsewhere());
    EXPECT_NE(std::string::npos, ReadFileBytes(record).find(refusal)) << ReadFileBytes(record);
    EXPECT_FALSE(FileExists(other.Path()));
    EXPECT_EQ(1603u, RunSetup(machine, DESKTOP_PART));
    SilentRun removal = RunSilently(EntryValue(machine, "QuietUninstallString"));
    ASSERT_TRUE(removal.ended);
    EXPECT_EQ(1603u, removal.exitCode);

    EXPECT_EQ(changed, ReadFileBytes(log));
    EXPECT_TRUE(FileExists(victim));
    EXPECT_TRUE(TestComServerRegistered(machine.systemServer));
    for (const char* file : {"Reader.exe", "ReadMe.txt", "Guide\\Guide.txt"})
        EXPECT_TRUE(FileExists(machine.dest + "\\" + file)) << file;
    EXPECT_EQ(WindowsFolder() + "\\Setup.exe -uninst" + log,
              EntryValue(machine, "UninstallString"));
}
