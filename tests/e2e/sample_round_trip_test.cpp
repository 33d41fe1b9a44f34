// The sample product installed through the wizard of the real Setup.exe, on a machine with a
// simulated HotSync and ActiveSync, and removed again through the command its uninstall entry
// registers, run as Windows would run it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/desktop_support.h"
#include "support/sample_machine.h"
#include "support/sample_walk.h"
#include "support/system_standins.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"

namespace {

const char CONFIRMATION[] =
    "Do you really want to uninstall \"Acme Reader\"?\nPress 'Yes' to start uninstallation.";
const char RESTART_QUESTION[] =
    "Uninstallation complete. Some services are still working. Please restart computer to stop "
    "all running services.\nPress 'Yes', to restart your computer now.";
const char BAD_ARGUMENTS[] = "Invalid uninstallation arguments or missing \"_install.log\" file.";
const char CAPTION[] = "Acme Reader Uninstallation";

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return static_cast<char>(tolower(static_cast<unsigned char>(c)));
    });
    return text;
}

std::vector<std::string> Sorted(std::vector<std::string> paths) {
    for (std::string& path : paths)
        path = Lower(path);
    std::sort(paths.begin(), paths.end());
    return paths;
}

void ExpectBox(const SeenBox& box, const std::string& caption, const std::string& text) {
    EXPECT_EQ(caption, box.caption);
    EXPECT_EQ(text, box.text);
}

} // namespace

TEST(SampleRoundTrip, WizardInstallsEverythingAndTheUninstallEntryRemovesItAll) {
    SampleMachine machine;
    ASSERT_NO_FATAL_FAILURE(machine.Install());

    // The uninstall entry starts the installer's copy in the Windows folder on the log.
    std::string copy = WindowsFolder() + "\\Setup.exe";
    EXPECT_EQ(copy + " -uninst" + machine.log, machine.uninstallString);
    std::string key = std::string(UNINSTALL_KEY_ROOT) + SAMPLE_TITLE;
    const struct {
        const char* name;
        std::string text;
    } values[] = {
        {"DisplayName", SAMPLE_TITLE},
        {"DisplayIcon", copy + ",-102"},
        {"QuietUninstallString", copy + " /S -uninst" + machine.log},
        {"Publisher", "Acme"},
        {"InstallLocation", machine.dest},
        {"URLInfoAbout", "http://www.example.com/acme-reader"},
    };
    for (const auto& expected : values) {
        std::string value;
        EXPECT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key, expected.name, &value));
        EXPECT_EQ(expected.text, value) << expected.name;
    }
    for (const char* name : {"NoModify", "NoRepair", "EstimatedSize"}) {
        DWORD number = 0;
        DWORD size = sizeof(number);
        EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name,
                                              RRF_RT_REG_DWORD, nullptr, &number, &size));
        EXPECT_NE(0u, number) << name;
    }
    EXPECT_TRUE(FileExists(copy));

    const LoggedPaths& installed = machine.installed;
    EXPECT_EQ(Lower(machine.dest), Lower(installed.folder));
    // "Acme" was made before the log could open, and is logged first once it does.
    ASSERT_FALSE(installed.folders.empty());
    EXPECT_EQ(Lower(machine.Parent()), Lower(installed.folders.front()));
    EXPECT_EQ(
        Sorted({machine.dest + "\\Reader.exe", machine.dest + "\\ReadMe.txt", machine.systemServer,
                machine.dest + "\\Guide\\Guide.txt", machine.dest + "\\AcmeSync.dll"}),
        Sorted(installed.files));
    EXPECT_EQ(Sorted({machine.programs + "\\Acme Reader.lnk",
                      machine.programs + "\\Acme Reader Read-Me.lnk", machine.desktopLink,
                      machine.sendToLink, machine.programs + "\\Acme Reader Guide.lnk"}),
              Sorted(installed.links));
    EXPECT_EQ(Sorted({machine.systemServer, machine.dest + "\\AcmeSync.dll"}),
              Sorted(installed.servers));
    for (const std::string& path : machine.Everything())
        EXPECT_TRUE(FileExists(path)) << path;
    for (const std::string& server : installed.servers)
        EXPECT_TRUE(TestComServerRegistered(server)) << server;
    for (const char* palmFile : {"Reader.prc", "Aesop.pdb", "Grimm.pdb"}) {
        EXPECT_TRUE(FileExists(machine.hotSync.QueuedFile("Ann", palmFile))) << palmFile;
        EXPECT_FALSE(FileExists(machine.hotSync.QueuedFile("Bob", palmFile))) << palmFile;
    }
    ASSERT_TRUE(machine.recorder.WaitForOpened(1, 15000)) << "the read-me was not opened";
    EXPECT_NE(std::string::npos,
              Lower(machine.recorder.Opened()[0]).find(Lower(machine.dest + "\\ReadMe.txt")));
    // A first install replaces no older conduit, so ActiveSync was left alone.
    EXPECT_EQ("", machine.WcesmgrRecordNow());

    PageShots noPictures;
    UninstallRun declined = RunUninstallCommand(machine.uninstallString, {IDNO}, noPictures);
    ASSERT_TRUE(declined.ended) << "the uninstaller did not end after No";
    EXPECT_EQ(1u, declined.exitCode);
    ASSERT_EQ(1u, declined.boxes.size());
    ExpectBox(declined.boxes[0], CAPTION, CONFIRMATION);
    EXPECT_TRUE(declined.stages.empty());
    for (const std::string& path : machine.Everything())
        EXPECT_TRUE(FileExists(path)) << path;
    EXPECT_TRUE(machine.UninstallEntryExists());

    UninstallRun run = RunUninstallCommand(machine.uninstallString, {IDYES}, noPictures);
    ASSERT_TRUE(run.ended) << "the uninstaller did not end";
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_EQ(1u, run.boxes.size());
    ExpectBox(run.boxes[0], CAPTION, CONFIRMATION);
    EXPECT_EQ(ReplayStageLabels(), ReplayStagesSeen(run));
    for (const std::string& path : machine.Everything())
        EXPECT_FALSE(FileExists(path)) << path;
    for (const std::string& server : installed.servers)
        EXPECT_FALSE(TestComServerRegistered(server)) << server;
    EXPECT_FALSE(machine.UninstallEntryExists());
    // The system folder was logged as made, but it held other files and stays; so does the
    // installer's copy that the entry ran.
    EXPECT_TRUE(FileExists(SystemFolder()));
    EXPECT_TRUE(FileExists(copy));
    // Told to quit (waited for) before the conduit was unregistered, and to show again at the
    // end without a wait.
    EXPECT_TRUE(WaitForWcesmgrRecord(machine.activeSync.Path(), "end /show", 20000));
    EXPECT_EQ("start /quit\nend /quit\nstart /show\nend /show\n", machine.WcesmgrRecordNow());
}

TEST(SampleRoundTrip, FileInUseLeadsToTheRestartQuestionAndNoLeavesOnlyThatFile) {
    SampleMachine machine;
    ASSERT_NO_FATAL_FAILURE(machine.Install());
    std::string locked = machine.dest + "\\Reader.exe";
    ASSERT_TRUE(machine.holder.Hold(locked)) << "holdfile.exe did not take " << locked;

    PageShots noPictures;
    UninstallRun run = RunUninstallCommand(machine.uninstallString, {IDYES, IDNO}, noPictures);
    ASSERT_TRUE(run.ended) << "the uninstaller did not end";
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_EQ(2u, run.boxes.size());
    ExpectBox(run.boxes[0], CAPTION, CONFIRMATION);
    ExpectBox(run.boxes[1], CAPTION, RESTART_QUESTION);
    EXPECT_EQ(ReplayStageLabels(), ReplayStagesSeen(run));

    for (const std::string& path : machine.Everything()) {
        bool stays = path == locked || path == machine.dest || path == machine.Parent();
        EXPECT_EQ(stays, FileExists(path)) << path;
    }
    EXPECT_FALSE(machine.UninstallEntryExists());
    // No restart chosen: ActiveSync is started again.
    EXPECT_TRUE(WaitForWcesmgrRecord(machine.activeSync.Path(), "end /show", 20000));
    EXPECT_EQ("start /quit\nend /quit\nstart /show\nend /show\n", machine.WcesmgrRecordNow());
}

TEST(SampleRoundTrip, UninstallArgumentsAreCheckedBeforeAnyQuestion) {
    ProductFolder product;
    TempFolder folder("orvex-args");
    std::string log = folder.File("_Install.log");
    ASSERT_TRUE(WriteFileBytes(log, "***  Installation Started 01/02/2003 04:05  ***\n"
                                    "Title: Orvex Args Installation\nSource: " +
                                        folder.Path() + "\n"));
    std::string setup = "\"" + product.SetupPath() + "\" ";
    PageShots noPictures;
    struct Case {
        std::string arguments;
        std::vector<int> answers;
        DWORD exitCode;
        const char* caption;
        std::string text;
    };
    const Case cases[] = {
        {"-uninst", {IDOK}, 0, "Uninstallation", BAD_ARGUMENTS},
        {"-uninst " + log, {IDOK}, 0, "Uninstallation", BAD_ARGUMENTS},
        {"-UNINST" + log,
         {IDNO},
         1,
         "Orvex Args Uninstallation",
         "Do you really want to uninstall \"Orvex Args\"?\nPress 'Yes' to start uninstallation."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        UninstallRun run = RunUninstallCommand(setup + c.arguments, c.answers, noPictures, 30000);
        ASSERT_TRUE(run.ended) << "Setup.exe did not end";
        EXPECT_EQ(c.exitCode, run.exitCode);
        ASSERT_EQ(1u, run.boxes.size());
        ExpectBox(run.boxes[0], c.caption, c.text);
        EXPECT_TRUE(run.stages.empty());
    }
    EXPECT_TRUE(FileExists(log));
}
