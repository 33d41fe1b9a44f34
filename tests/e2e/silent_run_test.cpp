// Setup.exe run by a script, as administrators and package managers run it: the sample product
// installed and removed with /S, the wizard preset by the switches, and the exit codes and
// records of runs that cannot be carried out.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "support/desktop_support.h"
#include "support/sample_machine.h"
#include "e2e/sample_outcome.h"
#include "support/sample_walk.h"
#include "support/system_standins.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"
#include "system/run_lock.h"
#include "ui/page_table.h"

namespace {
const char RUN_ONCE_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string DocumentPath(const char* name) {
    std::string path = std::string("Z:") + ORVEX_SAMPLES_DIR + "/../docs/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, strlen(prefix), prefix) == 0;
}

} // namespace

TEST(SilentRunTest, InstallLeavesWhatTheWizardLeavesAndRemovalLeavesNothing) {
    SampleMachine machine;
    ASSERT_NO_FATAL_FAILURE(machine.Install());
    Outcome wizard = ReadOutcome(machine, machine.log);
    ASSERT_TRUE(wizard.missing.empty());
    ASSERT_EQ(3u, wizard.queued.size());
    std::string quietRemoval = WindowsFolder() + "\\Setup.exe /S -uninst" + machine.log;

    SilentRun removal = RunSilently(quietRemoval);
    ASSERT_TRUE(removal.ended);
    EXPECT_EQ(0u, removal.exitCode);
    EXPECT_FALSE(removal.windowSeen);
    for (const std::string& path : machine.Everything())
        EXPECT_FALSE(FileExists(path)) << path;
    EXPECT_TRUE(KeyValues(machine.traces.UninstallKey()).empty());
    for (const std::string& server : machine.installed.servers)
        EXPECT_FALSE(TestComServerRegistered(server)) << server;

    ClearPalmQueue(machine);
    TempFolder records("silent record");
    std::string record = records.File("setup log.txt");
    std::string arguments = "/S /user=ann /LOG=" + Quoted(record);
    SilentRun install = RunSilently(Quoted(machine.product.SetupPath()) + " " + arguments);
    ASSERT_TRUE(install.ended);
    EXPECT_EQ(0u, install.exitCode);
    EXPECT_FALSE(install.windowSeen);
    Outcome silent = ReadOutcome(machine, machine.log);
    EXPECT_EQ(wizard.logLines, silent.logLines);
    EXPECT_EQ(wizard.missing, silent.missing);
    EXPECT_EQ(wizard.entry, silent.entry);
    EXPECT_EQ(wizard.queued, silent.queued);
    EXPECT_EQ(wizard.registered, silent.registered);
    // No read-me besides the one the wizard's walk asked for.
    EXPECT_EQ(1u, machine.recorder.Opened().size());
    std::vector<std::string> expected = {"Setup started: " + arguments, EnglishLine(),
                                         "Result: done", "Exit code: 0"};
    EXPECT_EQ(expected, RecordEvents(record));
}

// The batch example of docs/deployment.md, as written: Wine's start passes its /D on as
// "/D=C:\Program Files\...", as PowerShell and deployment tools do.
TEST(SilentRunTest, TheDocumentedBatchExampleInstallsAndALockedFileGives3010) {
    SampleMachine machine;
    FixedPlace dest("C:\\Program Files\\Acme Reader Two");
    FixedPlace deploy("C:\\Deploy");
    std::string document = DocumentPath("deployment.md");
    std::vector<std::string> lines = SplitLines(ReadFileBytes(document), "\n");
    auto example = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return StartsWith(line, "    start \"\" /wait Setup.exe /S");
    });
    ASSERT_NE(lines.end(), example) << "no batch example in " << document;
    std::string batch;
    for (auto line = example; line != lines.end() && StartsWith(*line, "    "); ++line)
        batch += line->substr(4) + "\r\n";
    ASSERT_TRUE(WriteFileBytes(machine.product.File("example.bat"), batch));
    ChildProcess cmd;
    ASSERT_TRUE(cmd.Start("cmd.exe /c example.bat", machine.product.Path().c_str()));
    ASSERT_TRUE(cmd.Wait(120000));
    std::vector<std::string> record = RecordEvents("C:\\Deploy\\acme.log");
    ASSERT_FALSE(record.empty());
    EXPECT_EQ("Exit code: 0", record.back());

    std::string log = dest.Path() + "\\_Install.log";
    LoggedPaths logged;
    ASSERT_TRUE(ReadLoggedPaths(log, &logged));
    EXPECT_EQ(dest.Path(), logged.folder);
    std::vector<std::string> files = {dest.Path() + "\\Reader.exe", dest.Path() + "\\ReadMe.txt",
                                      machine.systemServer};
    ASSERT_EQ(files.size(), logged.files.size());
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(0, lstrcmpiA(files[i].c_str(), logged.files[i].c_str())) << logged.files[i];
    // The parent of a named section comes with it, its other sub-component does not.
    for (const char* file : PALM_FILES) {
        EXPECT_TRUE(FileExists(machine.hotSync.QueuedFile("Bob", file))) << file;
        EXPECT_FALSE(FileExists(machine.hotSync.QueuedFile("Ann", file))) << file;
    }

    ASSERT_TRUE(machine.holder.Hold(files[0]));
    std::string removalRecord = deploy.Path() + "\\removal.log";
    std::string arguments = "/S /LOG=" + Quoted(removalRecord) + " -uninst" + log;
    SilentRun removal = RunSilently(WindowsFolder() + "\\Setup.exe " + arguments);
    ASSERT_TRUE(removal.ended);
    EXPECT_EQ(3010u, removal.exitCode);
    EXPECT_FALSE(removal.windowSeen);
    EXPECT_TRUE(FileExists(files[0]));
    EXPECT_FALSE(FileExists(files[1]));
    EXPECT_FALSE(machine.UninstallEntryExists());
    // What stays is named, and no question a silent run does not ask.
    std::vector<std::string> expected = {
        "Setup started: " + arguments,        "Language: en (no _Install.lng)",
        "Could not delete file: " + files[0], "Could not delete folder: " + dest.Path(),
        "Result: done, a restart is needed",  "Exit code: 3010"};
    EXPECT_EQ(expected, RecordEvents(removalRecord));
    machine.holder.Release();
}

TEST(SilentRunTest, AllUsersLinksAreWhereEveryUserSeesThemAndGoWithTheRemoval) {
    SampleMachine machine;
    FixedPlace programs(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Acme Reader");
    FixedPlace desktop(ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Acme Reader.lnk");
    SilentRun install =
        RunSilently(Quoted(machine.product.SetupPath()) + " /S \"/COMPONENTS=Desktop\" /ALLUSERS");
    ASSERT_TRUE(install.ended);
    EXPECT_EQ(0u, install.exitCode);
    machine.log = machine.dest + "\\_Install.log";
    LoggedPaths logged;
    ASSERT_TRUE(ReadLoggedPaths(machine.log, &logged));
    // Windows has no SendTo folder for all users.
    std::vector<std::string> links = {programs.Path() + "\\Acme Reader.lnk",
                                      programs.Path() + "\\Acme Reader Read-Me.lnk", desktop.Path(),
                                      machine.sendToLink};
    EXPECT_EQ(links, logged.links);
    for (const std::string& link : links)
        EXPECT_TRUE(FileExists(link)) << link;

    // A reinstall keeps the earlier choice; one that changes it leaves the earlier links, which
    // the removal takes away with the new ones.
    FixedPlace ownPrograms(ShellFolder(CSIDL_PROGRAMS) + "\\Acme Reader");
    FixedPlace ownDesktop(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Acme Reader.lnk");
    std::string reinstall = Quoted(machine.product.SetupPath()) + " /S \"/COMPONENTS=Desktop\"";
    for (const char* choice : {"", " /CURRENTUSER"}) {
        SCOPED_TRACE(choice);
        SilentRun again = RunSilently(reinstall + choice);
        ASSERT_TRUE(again.ended);
        EXPECT_EQ(0u, again.exitCode);
        EXPECT_EQ(*choice != '\0', FileExists(ownPrograms.Path() + "\\Acme Reader.lnk"));
        EXPECT_EQ(*choice != '\0', FileExists(ownDesktop.Path()));
        for (const std::string& link : links)
            EXPECT_TRUE(FileExists(link)) << link;
    }
    links.push_back(ownPrograms.Path() + "\\Acme Reader.lnk");
    links.push_back(ownDesktop.Path());

    // The keyword quoted whole, as tools quote an argument with blanks.
    SilentRun removal =
        RunSilently(WindowsFolder() + "\\Setup.exe /S " + Quoted("-uninst" + machine.log));
    ASSERT_TRUE(removal.ended);
    EXPECT_EQ(0u, removal.exitCode);
    for (const std::string& link : links)
        EXPECT_FALSE(FileExists(link)) << link;
    EXPECT_FALSE(FileExists(programs.Path()));
    EXPECT_FALSE(FileExists(ownPrograms.Path()));
}

TEST(SilentRunTest, HelpListsTheSwitchesAndExitCodesAndEndsWithZero) {
    SampleMachine machine;
    ChildProcess setup;
    ASSERT_TRUE(setup.Start(Quoted(machine.product.SetupPath()) + " /?"));
    HWND box = WaitForMessageBox(setup.Id(), 30000);
    ASSERT_NE(nullptr, box);
    char caption[64] = "";
    GetWindowTextA(box, caption, sizeof(caption));
    EXPECT_STREQ("Orvex Install Wizard", caption);
    std::string text = MessageBoxText(box);
    for (const char* part : {"/S", "/D=<folder>", "/COMPONENTS=", "/USER=", "/LOG=", "/NORESTART",
                             "/ALLUSERS", "/CURRENTUSER", "-uninst", "3010", "1603", "87"})
        EXPECT_NE(std::string::npos, text.find(part)) << part << " missing from: " << text;
    ASSERT_TRUE(PressButton(box, IDOK));
    DWORD exitCode = 1;
    ASSERT_TRUE(setup.Wait(30000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_FALSE(FileExists(machine.dest));
}

TEST(SilentRunTest, ALockedComServerIsDeferredWithExitCode3010) {
    SampleMachine machine;
    RegistryValueGuard runOnce(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install AcmeView.dll");
    ASSERT_TRUE(runOnce.Remove());
    FixedPlace staged(SystemFolder() + "\\AcmeView.dl_");
    // An older server, in use.
    ASSERT_TRUE(WriteFileBytes(machine.systemServer, "old version"));
    ASSERT_TRUE(machine.holder.Hold(machine.systemServer));
    SilentRun install = RunSilently(Quoted(machine.product.SetupPath()) + " /S /NORESTART");
    ASSERT_TRUE(install.ended);
    EXPECT_EQ(3010u, install.exitCode);
    EXPECT_FALSE(install.windowSeen);
    std::string value;
    ASSERT_TRUE(
        ReadRegistryValue(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install AcmeView.dll", &value));
    // The installer's copy in the Windows folder, which outlives the product folder.
    EXPECT_EQ(Quoted(WindowsFolder() + "\\Setup.exe") + " -register" + machine.systemServer, value);
    machine.holder.Release();
}

TEST(SilentRunTest, WrongCommandLinesChangeNothingAndFailuresAreRecorded) {
    SampleMachine machine;
    TempFolder records("records");
    std::string setup = Quoted(machine.product.SetupPath());
    std::string missingLog = records.File("_Install.log");
    ASSERT_TRUE(WriteFileBytes(records.File("a file"), ""));
    // The record goes where {LOG} stands, into a folder that does not exist yet.
    const struct {
        std::string arguments;
        DWORD exitCode;
        std::string recorded; // "": no record expected
    } cases[] = {
        {"/S /X {LOG}", 87, "Wrong command line at: /X (unknown switch)"},
        {"/S /X /Y=1 {LOG}", 87, "Wrong command line at: /Y=1 (unknown switch)"},
        {"/S /COMPONENTS=Desktop;Nope {LOG}", 87,
         "Wrong /COMPONENTS (an unknown section, or nothing to install): Desktop;Nope"},
        {"/S /D=C:\\" + std::string(250, 'a') + " {LOG}", 87,
         "Wrong /D (no full path, or too long): C:\\aaa"},
        {"{LOG} /S /D=Acme", 87, "Wrong /D (no full path, or too long): Acme"},
        {"/S /USER=Carl {LOG}", 87, "Wrong /USER (HotSync does not list it): Carl"},
        {"/ALLUSERS /S /CURRENTUSER {LOG}", 87,
         "Wrong command line at: /CURRENTUSER (does not go with a switch before it)"},
        {"/S /D=C:\\Acme {LOG} -uninst" + missingLog, 87,
         "Wrong command line at: /D=C:\\Acme (not with -uninst)"},
        {"/S {LOG} -uninst" + missingLog, 1603,
         "Uninstallation: Invalid uninstallation arguments or missing \"_install.log\" file."},
        {"/S /LOG=" + Quoted(records.File("a file\\record.txt")), 87, ""},
        {"/S /LOG=acme.log", 87, ""},
        {"/S /D=C:\\ {LOG}", 87,
         "Wrong /D (a drive's root or a folder of Windows itself, not a folder of the product's "
         "own): C:\\"},
        {"/S /D=" + Quoted(WindowsFolder()) + " {LOG}", 87,
         "Wrong /D (a drive's root or a folder of Windows itself, not a folder of the product's "
         "own): " +
             WindowsFolder()},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::string record = records.File("new " + std::to_string(++number) + "\\record.txt");
        std::string arguments = c.arguments;
        size_t at = arguments.find("{LOG}");
        if (at != std::string::npos)
            arguments.replace(at, 5, "/LOG=" + Quoted(record));
        SilentRun run = RunSilently(setup + " " + arguments);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_FALSE(run.windowSeen);
        EXPECT_FALSE(FileExists(machine.dest));
        EXPECT_FALSE(machine.UninstallEntryExists());
        if (!c.recorded.empty()) {
            EXPECT_NE(std::string::npos, ReadFileBytes(record).find(c.recorded))
                << ReadFileBytes(record);
        }
    }
    EXPECT_FALSE(FileExists(records.File("a file\\record.txt")));
    EXPECT_FALSE(FileExists(machine.product.File("acme.log")));
    EXPECT_FALSE(FileExists(SystemFolder() + "\\acme.log"));

    // A missing source: the message the wizard would have shown goes to the record.
    ASSERT_TRUE(DeleteFileA(machine.product.File("Reader.exe").c_str()));
    std::string record = records.File("missing.txt");
    SilentRun run = RunSilently(setup + " /S /LOG=" + Quoted(record));
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(1603u, run.exitCode);
    EXPECT_FALSE(run.windowSeen);
    std::vector<std::string> events = RecordEvents(record);
    ASSERT_EQ(5u, events.size());
    EXPECT_EQ(EnglishLine(), events[1]);
    EXPECT_EQ("Acme Reader Installation: ERROR: Can't find file \"Reader.exe\".  Setup is "
              "incomplete. Some components you requested to add were not installed. You may run "
              "the setup program later to complete the operations.",
              events[2]);
    EXPECT_EQ("Result: failed or incomplete", events[3]);
    EXPECT_EQ("Exit code: 1603", events[4]);
}

// Without /S the switches preset the wizard; one it cannot apply is left out.
TEST(SilentRunTest, SwitchesWithoutSilentPresetTheWizard) {
    SampleMachine machine;
    TempFolder records("wizard records");
    const struct {
        const char* arguments;
        int user;
        std::vector<bool> checked; // the tree's nodes in display order
        std::vector<std::string> leftOut;
    } cases[] = {
        {"/COMPONENTS=HandheldBooks /USER=bob", 2, {false, false, false, true, true}, {}},
        {"/X /D=rel\\dir /USER=Carl /COMPONENTS=Nope /Y",
         0,
         {true, true, true, true, true},
         {"Left out: /X (unknown switch)", "Left out: /Y (unknown switch)",
          "Left out /D (no full path, or too long): rel\\dir",
          "Left out /COMPONENTS (an unknown section, or nothing to install): Nope",
          "Left out /USER (HotSync does not list it): Carl"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::string record = records.File(std::to_string(c.user) + ".txt");
        std::string arguments = std::string(c.arguments) + " /LOG=" + Quoted(record);
        WizardDriver wizard;
        ASSERT_TRUE(wizard.StartIn(machine.product.Path(), 30000, arguments.c_str()));
        ASSERT_TRUE(wizard.WaitForPage(PAGE_LICENCE));
        wizard.PressFrameButton(IDOK);
        ASSERT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
        ASSERT_TRUE(WaitUntil([&] { return wizard.UserList().size() == 3; }, 15000));
        EXPECT_EQ(c.user, wizard.UserSelection());
        wizard.PressFrameButton(IDOK);
        ASSERT_TRUE(wizard.WaitForPage(PAGE_COMPONENTS));
        std::vector<bool> checked;
        for (const TreeNode& node : wizard.Nodes())
            checked.push_back(node.checked);
        EXPECT_EQ(c.checked, checked);
        wizard.PressFrameButton(IDCANCEL);
        DWORD exitCode = 1;
        EXPECT_TRUE(wizard.WaitForExit(15000, &exitCode));
        EXPECT_EQ(0u, exitCode);
        std::vector<std::string> events = RecordEvents(record);
        // The language is chosen after the command line is read, before the script is.
        auto language = std::find(events.begin(), events.end(), EnglishLine());
        ASSERT_NE(events.end(), language);
        events.erase(language);
        ASSERT_EQ(c.leftOut.size() + 3, events.size());
        EXPECT_EQ(c.leftOut, std::vector<std::string>(events.begin() + 1, events.end() - 2));
    }
    EXPECT_FALSE(FileExists(machine.dest));
}

// Another run holds the machine: an install and a removal end at once, and change nothing.
TEST(SilentRunTest, ARunWhileAnotherHoldsTheMachineEndsWith1618) {
    SampleMachine machine;
    SilentRun install = RunSilently(Quoted(machine.product.SetupPath()) +
                                    " /S /COMPONENTS=Desktop;DesktopGuide;DesktopSync");
    ASSERT_TRUE(install.ended);
    ASSERT_EQ(0u, install.exitCode);
    machine.log = machine.dest + "\\_Install.log";
    ASSERT_TRUE(ReadLoggedPaths(machine.log, &machine.installed));
    std::string log = machine.log;
    std::string before = ReadFileBytes(log);
    TempFolder records("busy records");
    char name[64];
    RunLockName(name, sizeof(name));
    HANDLE other = CreateMutexA(nullptr, TRUE, name);
    ASSERT_NE(nullptr, other);
    const std::string runs[] = {
        Quoted(machine.product.SetupPath()) + " /S /D=" + Quoted(machine.dest + " Two"),
        WindowsFolder() + "\\Setup.exe /S -uninst" + log,
    };
    int number = 0;
    for (const std::string& command : runs) {
        SCOPED_TRACE(command);
        std::string record = records.File("record " + std::to_string(++number) + ".txt");
        size_t keyword = command.find(" -uninst");
        std::string withRecord = command.substr(0, keyword) + " /LOG=" + Quoted(record) +
                                 (keyword == std::string::npos ? "" : command.substr(keyword));
        SilentRun run = RunSilently(withRecord);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(1618u, run.exitCode);
        EXPECT_FALSE(run.windowSeen);
        EXPECT_NE(std::string::npos,
                  ReadFileBytes(record).find("Another installation or removal is running. Wait "
                                             "until it has finished, then try again."))
            << ReadFileBytes(record);
        EXPECT_FALSE(FileExists(machine.dest + " Two"));
        EXPECT_EQ(before, ReadFileBytes(log));
        for (const std::string& path : machine.installed.files)
            EXPECT_TRUE(FileExists(path)) << path;
    }
    ReleaseMutex(other);
    CloseHandle(other);
    SilentRun removal = RunSilently(WindowsFolder() + "\\Setup.exe /S -uninst" + log);
    ASSERT_TRUE(removal.ended);
    EXPECT_EQ(0u, removal.exitCode);
}

// The wizard's Install, pressed while another run holds the machine: the box, and the wizard
// stays where it was, so that Install can be pressed again.
TEST(SilentRunTest, TheWizardStaysOnItsPageWhileAnotherRunHoldsTheMachine) {
    SampleMachine machine;
    char name[64];
    RunLockName(name, sizeof(name));
    HANDLE other = CreateMutexA(nullptr, TRUE, name);
    ASSERT_NE(nullptr, other);
    WizardDriver wizard;
    ASSERT_TRUE(wizard.StartIn(machine.product.Path(), 30000, "/COMPONENTS=Desktop"));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_LICENCE));
    wizard.PressFrameButton(IDOK);
    ASSERT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
    wizard.PressFrameButton(IDOK);
    ASSERT_TRUE(wizard.WaitForPage(PAGE_COMPONENTS));
    wizard.PressFrameButton(IDOK);
    HWND box = wizard.WaitForMessageBox(30000);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Another installation or removal is running. Wait until it has finished, then try "
              "again.",
              MessageBoxText(box));
    ASSERT_TRUE(PressButton(box, IDOK));
    ASSERT_TRUE(WaitWindowGone(box, 10000));
    EXPECT_EQ(PAGE_COMPONENTS, wizard.CurrentPage());
    EXPECT_FALSE(FileExists(machine.dest));
    EXPECT_FALSE(machine.UninstallEntryExists());

    ReleaseMutex(other);
    CloseHandle(other);
    wizard.PressFrameButton(IDOK);
    ASSERT_TRUE(wizard.WaitForPage(PAGE_FINISH, 60000));
    EXPECT_TRUE(FileExists(machine.dest + "\\_Install.log"));
    // Finish is the frame's Cancel button on the last page.
    wizard.PressFrameButton(IDCANCEL);
    EXPECT_TRUE(wizard.WaitForExit(30000));
    SilentRun removal =
        RunSilently(WindowsFolder() + "\\Setup.exe /S -uninst" + machine.dest + "\\_Install.log");
    EXPECT_TRUE(removal.ended);
}
