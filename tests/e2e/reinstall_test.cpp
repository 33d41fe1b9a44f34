// The sample product installed again over an installation of itself: into the folder it is in,
// or into another one after the earlier installation is removed, so that one installation exists
// and its uninstall entry removes it whole.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/sample_machine.h"

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

TEST_F(ReinstallElsewhereTest, TheEarlierInstallationIsRemovedFirst) {
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

TEST_F(ReinstallElsewhereTest, AFileOfTheEarlierInstallationInUseStopsTheRun) {
    std::string locked = machine.dest + "\\Reader.exe";
    ASSERT_TRUE(machine.holder.Hold(locked));
    EXPECT_EQ(1603u, InstallElsewhere());
    EXPECT_NE(std::string::npos,
              ReadFileBytes(record).find("Acme Reader Installation: ERROR: Can't remove the "
                                         "earlier installation in \"" +
                                         machine.dest + "\", so nothing was installed."))
        << ReadFileBytes(record);
    // The earlier installation stays whole, and its entry with it.
    EXPECT_FALSE(FileExists(other.Path()));
    EXPECT_EQ(WindowsFolder() + "\\Setup.exe -uninst" + machine.dest + "\\_Install.log",
              EntryValue(machine, "UninstallString"));
    for (const char* file : {"Reader.exe", "ReadMe.txt", "Guide\\Guide.txt", "_Install.log"})
        EXPECT_TRUE(FileExists(machine.dest + "\\" + file)) << file;
    EXPECT_TRUE(FileExists(machine.desktopLink));
    machine.holder.Release();
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
