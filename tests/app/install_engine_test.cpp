#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "app/install_context.h"
#include "app/install_engine.h"
#include "log/install_log_hook.h"
#include "palm/palm_bridge_testing.h"
#include "palm/palm_error_texts.h"
#include "resources/resource_ids.h"
#include "script/setup_script.h"
#include "support/desktop_support.h"
#include "support/palm_fakes.h"
#include "support/system_standins.h"
#include "system/digest.h"
#include "system/digest_hook.h"
#include "system/external_programs.h"
#include "system/message_box.h"
#include "system/module.h"
#include "system/registry_hook.h"
#include "system/run_lock.h"
#include "system/text.h"
#include "ui/components_page.h"
#include "uninstall/log_replay.h"
#include "uninstall/log_trust.h"
#include "uninstall/uninstall_driver.h"

namespace {
// Size of the one nothrow allocation to refuse next; 0 refuses none.
std::atomic<size_t> refusedAllocationSize{0};
} // namespace

// The run allocates its context without exceptions; refusing that allocation shows what a run
// does when memory runs out, without a hook in the program.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    size_t refused = refusedAllocationSize.load();
    if (refused != 0 && size == refused &&
        refusedAllocationSize.compare_exchange_strong(refused, 0))
        return nullptr;
    return malloc(size != 0 ? size : 1);
}

namespace {

using Lines = std::vector<std::string>;

const char TITLE[] = "Orvex EngineTest";
const char CAPTION[] = "Orvex EngineTest Installation";
const char GROUP[] = "Orvex EngineTest Group";
const char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                             "Orvex EngineTest";
const char RUN_ONCE_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char INCOMPLETE[] = "Setup is incomplete. Some components you requested to add were not "
                          "installed.\nYou may run the setup program later to complete the "
                          "operations.";
const DWORD RUN_LIMIT_MS = 90000;

struct Box {
    std::string caption;
    std::string text;
    HWND owner;
};

struct Outcome {
    int result = 1;
    bool inTime = false;
    std::vector<Box> boxes;
    HWND owner = nullptr;
    HCURSOR cursorAfter = nullptr;
};

std::string TestProgramPath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    return path;
}

// The uninstall entry copies the running program, here the test program, into the Windows folder.
std::string InstallerCopy() {
    return WindowsFolder() + "\\" + FileNamePart(TestProgramPath().c_str());
}

std::string Stamp(const SYSTEMTIME& time) {
    char line[64];
    FormatText(line, sizeof(line), "***  Installation Started %02d/%02d/%02d %02d:%02d  ***",
               time.wMonth, time.wDay, time.wYear, time.wHour, time.wMinute);
    return line;
}

std::string Joined(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

class InstallEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
        activeSyncRunning = 1;
    }
    void TearDown() override {
        // The stand-in HotSync libraries must be unloaded before their folders go.
        ResetPalmBridgeForTesting(nullptr);
        hotSync.reset();
        script.reset();
        refusedAllocationSize = 0;
        activeSyncRunning = 1;
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
        DeleteFileA(InstallerCopy().c_str());
        for (const std::string& name : runOnceValues)
            DeleteRegistryValue(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, name.c_str());
        for (const std::string& path : servers)
            DeleteRegistryValue(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY, path.c_str());
        for (const std::string& path : outside)
            RemoveTree(path);
        EXPECT_TRUE(WaitForChildProcessesGone(15000)) << "a started program did not end";
    }

    // Writes Setup.ini into the product folder and reads it as the installer does.
    void Load(const std::string& components, const std::string& sections,
              const std::string& startMenu = GROUP) {
        std::string text =
            "[General]\nCompany=Orvex\nApplication=EngineTest\nDestFolder=" + Dest() +
            "\nStartMenu=" + startMenu + "\nComponents=" + components + "\n" + sections;
        ASSERT_TRUE(WriteFileBytes(product.File("Setup.ini"), text));
        script.reset(ReadSetupScript(product.File("Setup.ini").c_str()));
        ASSERT_TRUE(script);
        ASSERT_STREQ(TITLE, script->productTitle);
        // The reader takes the running program's folder.
        CopyText(script->installerFolder, sizeof(script->installerFolder), product.Path().c_str());
    }
    std::string Dest() const { return destRoot.File("Acme\\Reader"); }
    std::string DestFile(const char* name) const { return Dest() + "\\" + name; }
    void Provide(const char* name, const std::string& bytes = "contents") {
        ASSERT_TRUE(WriteFileBytes(product.File(name), bytes));
    }
    // A copy of the test COM server in the product folder, to be installed at target.
    void ProvideServer(const char* name, const std::string& target) {
        ASSERT_TRUE(CopyFileA(TestComServerPath().c_str(), product.File(name).c_str(), FALSE));
        servers.push_back(target);
    }
    void MakeDest() {
        ASSERT_TRUE(CreateDirectoryA(destRoot.File("Acme").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(Dest().c_str(), nullptr));
    }
    void UseHotSync(const std::vector<std::string>& users) {
        hotSync.reset(new SimulatedHotSync(users, product.Path()));
        ResetPalmBridgeForTesting(product.Path().c_str());
    }
    Lines Entries() const { return LogEntries(DestFile("_Install.log")); }
    bool UninstallEntryWritten() const {
        std::string name;
        return ReadRegistryValue(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayName", &name);
    }
    DWORD UninstallNumber(const char* name) const {
        DWORD number = 0;
        DWORD size = sizeof(number);
        EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, name,
                                              RRF_RT_REG_DWORD, nullptr, &number, &size))
            << name;
        return number;
    }
    std::string UninstallValue(const char* name) const {
        std::string value;
        EXPECT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, name, &value)) << name;
        return value;
    }

    // Runs RunInstall as the wizard does, on a thread of its own with a hidden owner window,
    // while this thread answers (and records) every message box the run shows.
    Outcome Run(bool reportErrors = true) {
        Outcome outcome;
        std::atomic<bool> running{true};
        std::thread answerer([&] {
            while (running) {
                HWND box = WaitForMessageBox(GetCurrentProcessId(), 100);
                if (!box)
                    continue;
                outcome.boxes.push_back(
                    {WindowText(box), MessageBoxText(box), GetWindow(box, GW_OWNER)});
                PressButton(box, IDOK);
                WaitWindowGone(box, 10000);
            }
        });
        outcome.inTime = CallWithDeadline(RUN_LIMIT_MS, [&] {
            CoInitialize(nullptr);
            HWND owner = CreateWindowExA(0, "STATIC", "Orvex wizard", WS_POPUP, 0, 0, 10, 10,
                                         nullptr, nullptr, nullptr, nullptr);
            outcome.owner = owner;
            outcome.result = RunInstall(script.get(), owner, reportErrors, false);
            outcome.cursorAfter = GetCursor();
            DestroyWindow(owner);
            CoUninitialize();
        });
        running = false;
        answerer.join();
        EXPECT_TRUE(outcome.inTime) << "the run did not end; a box may have stayed unanswered";
        for (const Box& box : outcome.boxes) {
            EXPECT_EQ(CAPTION, box.caption);
            EXPECT_EQ(outcome.owner, box.owner) << box.text;
        }
        return outcome;
    }
    // Runs on a disk that takes so many whole lines and then only part of each.
    Outcome RunOnFillingDisk(int wholeLines);

    TempFolder product{"orvex product"};
    TempFolder destRoot{"orvex engine"};
    std::unique_ptr<SetupScript, void (*)(SetupScript*)> script{nullptr, DestroySetupScript};
    std::unique_ptr<SimulatedHotSync> hotSync;
    std::vector<std::string> runOnceValues;
    std::vector<std::string> servers;
    std::vector<std::string> outside;
};

TEST_F(InstallEngineTest, SelectionWithoutItemsLeavesNoTrace) {
    Load("Empty;Off", "[Empty]\nName=Nothing here\n"
                      "[Off]\nSelected=0\nCopyFile1=1;%DEST_PATH%\\Off.txt\n");
    Provide("Off.txt");
    script->restartNeeded = 1;

    Outcome run = Run();

    EXPECT_EQ(RESULT_OK, run.result);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(0, script->restartNeeded);
    EXPECT_EQ(0, script->palmFilesQueued);
    EXPECT_FALSE(FileExists(destRoot.File("Acme")));
    EXPECT_FALSE(UninstallEntryWritten());
    EXPECT_FALSE(FileExists(InstallerCopy()));
}

TEST_F(InstallEngineTest, OnlyPalmItemsAreQueuedForTheChosenUserWithoutDesktopTraces) {
    UseHotSync({"Ann", "Bob"});
    // The service option means nothing on a Palm line: the file is still only queued.
    Load("Palm", "[Palm]\nCopyPalmFile1=10;Game.prc\nCopyPalmFile2=5;Palm\\Data.pdb\n"
                 "CopyPalmFile3=1;Extra.prc;REGSERVICE\n");
    Provide("Game.prc", "game");
    ASSERT_TRUE(CreateDirectoryA(product.File("Palm").c_str(), nullptr));
    Provide("Palm\\Data.pdb", "data");
    Provide("Extra.prc", "extra");
    CopyText(script->hotSyncUser, sizeof(script->hotSyncUser), "Bob");

    Outcome run = Run();

    EXPECT_EQ(RESULT_OK, run.result);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(1, script->palmFilesQueued);
    EXPECT_EQ("game", ReadFileBytes(hotSync->QueuedFile("Bob", "Game.prc")));
    EXPECT_EQ("data", ReadFileBytes(hotSync->QueuedFile("Bob", "Data.pdb")));
    EXPECT_EQ("extra", ReadFileBytes(hotSync->QueuedFile("Bob", "Extra.prc")));
    EXPECT_FALSE(FileExists(hotSync->QueuedFile("Ann", "Game.prc")));
    Lines calls = hotSync->Calls();
    EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(),
                                     "PltInstallFile|Bob|" + product.File("Palm\\Data.pdb")));
    EXPECT_FALSE(FileExists(destRoot.File("Acme")));
    EXPECT_FALSE(UninstallEntryWritten());
}

TEST_F(InstallEngineTest, MissingDesktopSourceStopsTheRunAndIsReported) {
    UseHotSync({"Ann"});
    Load("Main;Later", "[Main]\nCopyFile1=1;%DEST_PATH%\\First.txt\n"
                       "CopyFile2=1;%DEST_PATH%\\Missing.dll\nCopyFile3=1;%DEST_PATH%\\Third.txt\n"
                       "CopyPalmFile1=1;Game.prc\nShortcut1=%DEST_PATH%\\First.txt;0;;First\n"
                       "[Later]\nCopyFile1=1;%DEST_PATH%\\Later.txt\n");
    for (const char* name : {"First.txt", "Third.txt", "Later.txt", "Game.prc"})
        Provide(name);
    outside.push_back(ShellFolder(CSIDL_PROGRAMS) + "\\" + GROUP);

    Outcome run = Run();

    EXPECT_EQ(RESULT_SOURCE_MISSING, run.result);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ(std::string("ERROR: Can't find file \"Missing.dll\".\n\n") + INCOMPLETE,
              run.boxes[0].text);
    EXPECT_TRUE(FileExists(DestFile("First.txt")));
    EXPECT_FALSE(FileExists(DestFile("Third.txt")));
    EXPECT_FALSE(FileExists(DestFile("Later.txt")));
    EXPECT_FALSE(FileExists(outside.back()));
    // The log's folders first, made before any item; then the first item's folder.
    EXPECT_EQ(
        (Lines{"Made Dir: " + destRoot.File("Acme"), "Made Dir: " + Dest(), "Made Dir: " + Dest(),
               "File Copy: " + DestFile("First.txt"), "Made Dir: " + Dest()}),
        Entries());
    // What was done stays removable.
    EXPECT_EQ(TITLE, UninstallValue("DisplayName"));
    EXPECT_EQ(0, hotSync->CountCalls("PltInstallFile"));
    EXPECT_FALSE(FileExists(hotSync->QueuedFile("Ann", "Game.prc")));
    EXPECT_EQ(0, script->palmFilesQueued);
}

TEST_F(InstallEngineTest, ServiceOptionsComeFirstAndOtherOptionsDoNotChangeACopy) {
    std::string server = DestFile("OrvexEngSvc.dll");
    std::string lineServer = DestFile("OrvexEngLine.dll");
    ProvideServer("OrvexEngSvc.dll", server);
    ProvideServer("OrvexEngLine.dll", lineServer);
    Provide("Plain.txt");
    Provide("Other.txt");
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\OrvexEngSvc.dll;REGSERVICE\n"
                 "CopyFile2=1;%DEST_PATH%\\Plain.txt;SENDTO\n"
                 "CopyFile3=1;%DEST_PATH%\\Other.txt;DESKTOP\n"
                 "Shortcut1=%DEST_PATH%\\OrvexEngLine.dll;0;;Orvex Engine Line;REGSERVICE\n");
    // With the destination in place, the pre-pass entries reach the log.
    MakeDest();

    Outcome run = Run();

    EXPECT_EQ(RESULT_OK, run.result);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(TestComServerRegistered(server));
    EXPECT_TRUE(TestComServerRegistered(lineServer));
    EXPECT_EQ("contents", ReadFileBytes(DestFile("Plain.txt")));
    EXPECT_EQ("contents", ReadFileBytes(DestFile("Other.txt")));
    std::string made = "Made Dir: " + Dest();
    EXPECT_EQ(
        (Lines{made, made, made, "File Copy: " + server, "RegSvr32: " + server, made,
               "File Copy: " + DestFile("Plain.txt"), made, "File Copy: " + DestFile("Other.txt"),
               made, "File Copy: " + lineServer, "RegSvr32: " + lineServer}),
        Entries());
    EXPECT_FALSE(FileExists(ShellFolder(CSIDL_PROGRAMS) + "\\" + GROUP));
}

TEST_F(InstallEngineTest, AShortcutThatFailsDoesNotStopTheRun) {
    std::string sendToLink = ShellFolder(CSIDL_SENDTO) + "\\Orvex Engine Send.lnk";
    outside.push_back(sendToLink);
    Provide("Tool.exe", "MZ new");
    // The start-menu folder is named by a macro and does not exist: that link cannot be saved.
    Load("Links;After",
         "[Links]\nShortcut1=%DEST_PATH%\\Tool.exe;0;;Orvex Engine Broken\n"
         "Shortcut2=%DEST_PATH%\\Tool.exe;0;;Orvex Engine Send;SENDTO\n"
         "[After]\nCopyFile1=1;%DEST_PATH%\\Tool.exe\n",
         "%DEST_PATH%\\NoLinks");
    MakeDest();
    ASSERT_TRUE(WriteFileBytes(DestFile("Tool.exe"), "MZ old"));

    Outcome run = Run();

    EXPECT_EQ(RESULT_OK, run.result);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(FileExists(sendToLink));
    EXPECT_FALSE(FileExists(DestFile("NoLinks")));
    EXPECT_EQ("MZ new", ReadFileBytes(DestFile("Tool.exe")));
    EXPECT_EQ((Lines{"Shell Link: " + sendToLink, "Made Dir: " + Dest(),
                     "File Copy: " + DestFile("Tool.exe")}),
              Entries());
    EXPECT_TRUE(UninstallEntryWritten());
}

// Undoes what the log names, as the uninstaller does, without its window or pauses.
void RemoveByLog(const std::string& log) {
    struct Silent : ReplayProgress {
        void ShowStage(const char*) override {}
        void Step() override {}
    } silent;
    UninstallLog read;
    ReadUninstallLog(log.c_str(), &read);
    ReplayPauses none;
    none.pause = nullptr;
    ReplayLog(&silent, &read, none);
}

TEST_F(InstallEngineTest, LockedServiceFileIsDeferredAndTheRunSucceeds) {
    std::string target = DestFile("OrvexEngBusy.dll");
    ProvideServer("OrvexEngBusy.dll", target);
    Provide("After.txt");
    runOnceValues.push_back("Install OrvexEngBusy.dll");
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\OrvexEngBusy.dll;REGSERVICE\n"
                 "CopyFile2=1;%DEST_PATH%\\After.txt\n");
    MakeDest();
    ASSERT_TRUE(WriteFileBytes(target, "old server"));
    HeldFile held;
    ASSERT_TRUE(held.Hold(target)) << "holdfile.exe did not take " << target;

    Outcome run = Run();
    held.Release();

    EXPECT_EQ(RESULT_OK, run.result);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(1, script->restartNeeded);
    EXPECT_EQ("old server", ReadFileBytes(target));
    EXPECT_EQ(ReadFileBytes(TestComServerPath()), ReadFileBytes(DestFile("OrvexEngBusy.dl_")));
    std::string command;
    EXPECT_TRUE(
        ReadRegistryValue(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install OrvexEngBusy.dll", &command));
    // The copy that the uninstall entry names: the running installer may be on a CD.
    EXPECT_EQ("\"" + InstallerCopy() + "\" -register" + target, command);
    EXPECT_EQ("contents", ReadFileBytes(DestFile("After.txt")));

    // Removed before the restart, the product leaves nothing for the restart to bring back.
    RemoveByLog(DestFile("_Install.log"));
    EXPECT_FALSE(FileExists(target));
    EXPECT_FALSE(FileExists(DestFile("OrvexEngBusy.dl_")));
    EXPECT_FALSE(
        ReadRegistryValue(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install OrvexEngBusy.dll", &command));
}

// Every value of a key, name and bytes: an entry put back must be the same in every one.
Lines KeyValues(const char* key) {
    Lines values;
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return values;
    char name[256];
    BYTE data[1024];
    DWORD type = 0;
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof(name);
        DWORD dataSize = sizeof(data);
        if (RegEnumValueA(opened, index, name, &nameSize, nullptr, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        values.push_back(std::string(name) + "=" + std::to_string(type) + ":" +
                         std::string(reinterpret_cast<char*>(data), dataSize));
    }
    RegCloseKey(opened);
    std::sort(values.begin(), values.end());
    return values;
}

// An upgrade into another folder whose install fails leaves the first installation as it was.
TEST_F(InstallEngineTest, AFailedMoveToAnotherFolderLeavesTheEarlierInstallationAndItsEntry) {
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\Tool.txt\n");
    Provide("Tool.txt", "tool 1");
    ASSERT_EQ(RESULT_OK, Run().result);
    Lines entry = KeyValues(UNINSTALL_KEY);
    std::string log = ReadFileBytes(DestFile("_Install.log"));
    ASSERT_FALSE(entry.empty());

    std::string other = destRoot.File("Other");
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\Tool.txt\nCopyFile2=1;%DEST_PATH%\\Gone.txt\n");
    CopyText(script->destFolder, sizeof(script->destFolder), other.c_str());
    script->destGiven = 1;
    Provide("Tool.txt", "tool 2");
    Outcome run = Run();

    EXPECT_EQ(RESULT_SOURCE_MISSING, run.result);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ(std::string("ERROR: Can't find file \"Gone.txt\".\n\n") + INCOMPLETE,
              run.boxes[0].text);
    EXPECT_FALSE(FileExists(other));
    EXPECT_EQ("tool 1", ReadFileBytes(DestFile("Tool.txt")));
    EXPECT_EQ(log, ReadFileBytes(DestFile("_Install.log")));
    EXPECT_EQ(entry, KeyValues(UNINSTALL_KEY));
}

// Once the run has checked the earlier log, whoever can write the earlier folder adds a line to
// it while the new log is written.
std::string earlierLogPath;
std::string addedLine;
BOOL WINAPI WriteAddingToTheEarlierLog(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                       LPOVERLAPPED overlapped) {
    if (!addedLine.empty() &&
        WriteFileBytes(earlierLogPath, ReadFileBytes(earlierLogPath) + addedLine))
        addedLine.clear();
    return WriteFile(file, data, size, written, overlapped);
}

TEST_F(InstallEngineTest, AMoveRemovesTheEarlierInstallationAsItsLogWasChecked) {
    Provide("Victim.txt", "another product's");
    std::string victim = product.File("Victim.txt");
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\Tool.txt\n");
    Provide("Tool.txt", "tool 1");
    ASSERT_EQ(RESULT_OK, Run().result);

    std::string other = destRoot.File("Other");
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\Tool.txt\n");
    CopyText(script->destFolder, sizeof(script->destFolder), other.c_str());
    script->destGiven = 1;
    earlierLogPath = DestFile("_Install.log");
    addedLine = "File Copy: " + victim + "\n";
    {
        SeamGuard adding(writeLogFile, WriteAddingToTheEarlierLog);
        EXPECT_EQ(RESULT_OK, Run().result);
    }
    EXPECT_TRUE(addedLine.empty());
    EXPECT_TRUE(FileExists(victim));
    EXPECT_FALSE(FileExists(DestFile("Tool.txt")));
    EXPECT_FALSE(FileExists(earlierLogPath));
    EXPECT_EQ("tool 1", ReadFileBytes(other + "\\Tool.txt"));
}

// The disk fills up: the log takes so many whole lines, then only part of each.
int wholeLinesLeft = 0;
BOOL WINAPI WriteOnFillingDisk(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                               LPOVERLAPPED overlapped) {
    return WriteFile(file, data, wholeLinesLeft-- > 0 ? size : size / 2, written, overlapped);
}

Outcome InstallEngineTest::RunOnFillingDisk(int wholeLines) {
    wholeLinesLeft = wholeLines;
    SeamGuard fillingDisk(writeLogFile, WriteOnFillingDisk);
    return Run();
}

TEST_F(InstallEngineTest, RunWhoseLogCannotGrowStopsAtThatEntryAndStaysRemovable) {
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\One.txt\nCopyFile2=1;%DEST_PATH%\\Two.txt\n"
                 "Shortcut1=%DEST_PATH%\\One.txt;0;;One\n");
    Provide("One.txt");
    Provide("Two.txt");
    std::string log = DestFile("_Install.log");
    outside.push_back(ShellFolder(CSIDL_PROGRAMS) + "\\" + GROUP);
    // The user's own file in the destination stays through the uninstall.
    MakeDest();
    ASSERT_TRUE(WriteFileBytes(DestFile("Mine.txt"), "mine"));

    // The header, "Made Dir:" and "File Copy:" of One.txt, "Made Dir:" of Two.txt.
    Outcome run = RunOnFillingDisk(6);

    EXPECT_EQ(RESULT_LOG_INCOMPLETE, run.result);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ("ERROR: Can't write the install log \"" + log +
                  "\". The installation was stopped there, so that everything installed so far "
                  "can be removed.\n\n" +
                  INCOMPLETE,
              run.boxes[0].text);
    EXPECT_TRUE(FileExists(DestFile("One.txt")));
    EXPECT_FALSE(FileExists(DestFile("Two.txt")));
    EXPECT_FALSE(FileExists(outside.back()));
    EXPECT_EQ(
        (Lines{"Made Dir: " + Dest(), "File Copy: " + DestFile("One.txt"), "Made Dir: " + Dest()}),
        Entries());
    EXPECT_EQ(InstallerCopy() + " -uninst" + log, UninstallValue("UninstallString"));

    RemoveByLog(log);
    EXPECT_FALSE(FileExists(DestFile("One.txt")));
    EXPECT_FALSE(FileExists(log));
    EXPECT_EQ("mine", ReadFileBytes(DestFile("Mine.txt")));
    EXPECT_FALSE(UninstallEntryWritten());
}

// On a full disk not even the log's header lands: nothing is done, and what was made for the log
// goes again before the message.
TEST_F(InstallEngineTest, RunWhoseLogTakesNoLineLeavesNothingBehind) {
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\One.txt\n");
    Provide("One.txt");
    Outcome run = RunOnFillingDisk(0);
    EXPECT_EQ(RESULT_LOG_INCOMPLETE, run.result);
    EXPECT_EQ(1u, run.boxes.size());
    EXPECT_FALSE(FileExists(destRoot.File("Acme")));
    EXPECT_FALSE(UninstallEntryWritten());
}

// Refuses every registry value, as a computer without rights to the uninstall key would.
LONG WINAPI RefuseValues(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) {
    return ERROR_ACCESS_DENIED;
}

TEST_F(InstallEngineTest, EntryThatCannotBeWrittenStopsTheRunBeforeItsFirstAction) {
    UseHotSync({"Ann"});
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\One.txt\nCopyPalmFile1=1;Game.prc\n");
    Provide("One.txt");
    Provide("Game.prc");

    Outcome run;
    {
        SeamGuard refused(setRegistryValue, RefuseValues);
        run = Run();
    }

    EXPECT_EQ(RESULT_ENTRY_FAILED, run.result);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ(std::string("ERROR: Can't add \"") + TITLE +
                  "\" to the list of installed programs, so it could not be removed later. The "
                  "installation was stopped.\n\n" +
                  INCOMPLETE,
              run.boxes[0].text);
    EXPECT_FALSE(FileExists(DestFile("One.txt")));
    EXPECT_EQ(0, hotSync->CountCalls("PltInstallFile"));
    // What it logged (the folders made for the log) stays removable by hand.
    EXPECT_EQ((Lines{"Made Dir: " + destRoot.File("Acme"), "Made Dir: " + Dest()}), Entries());
    RemoveByLog(DestFile("_Install.log"));
    EXPECT_FALSE(FileExists(destRoot.File("Acme")));
}

TEST_F(InstallEngineTest, PalmFailureEndsThePalmPassWithTwoBoxesInOrder) {
    UseHotSync({"Ann", "Bob"});
    Load("Palm", "[Palm]\nCopyPalmFile1=1;First.prc\nCopyPalmFile2=1;Second.prc\n"
                 "CopyPalmFile3=1;Third.prc\n");
    Provide("First.prc", "first");
    Provide("Third.prc", "third");
    CopyText(script->hotSyncUser, sizeof(script->hotSyncUser), "Ann");
    // InstAide refuses a file that is not there.
    char palmText[256];
    InstAideErrorText(-513, palmText, sizeof(palmText));
    ASSERT_NE('\0', palmText[0]);
    std::string composed =
        std::string("ERROR: Can't install file \"Second.prc\" to device.\n\n") + INCOMPLETE;

    Outcome run = Run();

    EXPECT_EQ(RESULT_DEVICE_FILE_FAILED, run.result);
    ASSERT_EQ(2u, run.boxes.size());
    EXPECT_EQ(palmText, run.boxes[0].text);
    EXPECT_EQ(composed, run.boxes[1].text);
    EXPECT_EQ("first", ReadFileBytes(hotSync->QueuedFile("Ann", "First.prc")));
    EXPECT_EQ(1, script->palmFilesQueued);
    EXPECT_EQ(2, hotSync->CountCalls("PltInstallFile"));
    EXPECT_FALSE(FileExists(hotSync->QueuedFile("Ann", "Third.prc")));
    EXPECT_FALSE(UninstallEntryWritten());
    EXPECT_FALSE(FileExists(destRoot.File("Acme")));

    // The Palm library's text is shown even when the run reports no errors of its own.
    Outcome quiet = Run(false);
    EXPECT_EQ(RESULT_DEVICE_FILE_FAILED, quiet.result);
    ASSERT_EQ(1u, quiet.boxes.size());
    EXPECT_EQ(palmText, quiet.boxes[0].text);
}

TEST_F(InstallEngineTest, TypicalFirstInstallWritesTheWholeLogAndTheUninstallEntry) {
    std::string system = SystemFolder();
    std::string syncDll = system + "\\OrvexEngSync.dll";
    std::string group = ShellFolder(CSIDL_PROGRAMS) + "\\" + GROUP;
    std::string link = group + "\\Reader.lnk";
    outside.push_back(group);
    outside.push_back(syncDll);
    Provide("Reader.exe", "MZ reader");
    ProvideServer("OrvexEngSync.dll", syncDll);
    Load("Main", "[Main]\nCopyFile1=10;%DEST_PATH%\\Reader.exe\n"
                 "CopyFile2=20;%SYSTEM%\\OrvexEngSync.dll;ACTIVESYNC\n"
                 "Shortcut1=%DEST_PATH%\\Reader.exe;0;;Reader\n");
    SYSTEMTIME before;
    GetSystemTime(&before);

    Outcome run = Run();

    SYSTEMTIME after;
    GetSystemTime(&after);
    EXPECT_EQ(RESULT_OK, run.result);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), run.cursorAfter);
    EXPECT_EQ(0, script->restartNeeded);
    EXPECT_TRUE(TestComServerRegistered(syncDll));
    EXPECT_TRUE(FileExists(link));
    // The log, with its folder and the folder's new parent, opens before the first pass; the
    // pre-pass entry for the system folder follows.
    std::string opening = "Made Dir: " + destRoot.File("Acme") + "\nMade Dir: " + Dest() + "\n";
    std::string prePass = "Made Dir: " + system + "\n";
    Lines entries{"Made Dir: " + Dest(),  "File Copy: " + DestFile("Reader.exe"),
                  "Made Dir: " + system,  "File Copy: " + syncDll,
                  "RegSvr32: " + syncDll, "StopActiveSync: ",
                  "Made Dir: " + group,   "Shell Link: " + link};
    std::string log = ReadFileBytes(DestFile("_Install.log"));
    std::string stamp = log.substr(0, log.find('\n'));
    EXPECT_TRUE(stamp == Stamp(before) || stamp == Stamp(after)) << stamp;
    EXPECT_EQ(stamp + "\nTitle: Orvex EngineTest Installation\nSource: " + Dest() + "\n" + opening +
                  prePass + Joined(entries),
              log);

    EXPECT_EQ(ReadFileBytes(TestProgramPath()), ReadFileBytes(InstallerCopy()));
    EXPECT_EQ(TITLE, UninstallValue("DisplayName"));
    EXPECT_EQ(InstallerCopy() + ",-102", UninstallValue("DisplayIcon"));
    EXPECT_EQ(InstallerCopy() + " -uninst" + DestFile("_Install.log"),
              UninstallValue("UninstallString"));
    EXPECT_EQ("Orvex", UninstallValue("Publisher"));
    EXPECT_EQ(Dest(), UninstallValue("InstallLocation"));
    // Kilobytes, rounded up, of the files that the "File Copy:" lines name.
    DWORD bytes = static_cast<DWORD>(ReadFileBytes(DestFile("Reader.exe")).size() +
                                     ReadFileBytes(syncDll).size());
    DWORD size = (bytes + 1023) / 1024;
    EXPECT_EQ(size, UninstallNumber("EstimatedSize"));

    // The first run left the script's items intact: a second run appends without a header.
    Outcome again = Run();
    EXPECT_EQ(RESULT_OK, again.result);
    EXPECT_EQ(opening + prePass + Joined(entries) + prePass + Joined(entries), Joined(Entries()));
    // Each file counts once, however many runs copied it.
    EXPECT_EQ(size, UninstallNumber("EstimatedSize"));
}

namespace {
std::vector<std::string> digestsWhileWriting;

BOOL WINAPI WriteNotingTheDigest(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                 LPOVERLAPPED overlapped) {
    // A new log's first lines come before its entry.
    std::string value;
    if (ReadRegistryValue(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayName", &value)) {
        value.clear();
        ReadRegistryValue(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "LogDigest", &value);
        digestsWhileWriting.push_back(value);
    }
    return WriteFile(file, data, size, written, overlapped);
}

int RemoveSilently(const std::string& log) {
    UninstallOptions options = DefaultUninstallOptions();
    options.silent = true;
    options.noRestart = true;
    options.pauses.pause = nullptr;
    // The removal names its product in the captions, and forgets it at its end.
    const char* caption = captionTitle;
    int code = RunUninstallWith(moduleInstance, log.c_str(), options);
    captionTitle = caption;
    return code;
}
} // namespace

// SHA-1 stands for a system without SHA-256 (before Windows XP SP3).
TEST_F(InstallEngineTest, TheEntryKeepsTheLogsDigestAndAChangedLogIsNeitherAddedToNorRemoved) {
    Provide("Reader.exe");
    Provide("Victim.txt", "another product's");
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\Reader.exe\n");
    std::string log = DestFile("_Install.log");
    std::string victim = product.File("Victim.txt");
    for (bool withheld : {false, true}) {
        SCOPED_TRACE(withheld ? "SHA-1" : "SHA-256");
        SeamGuard<bool> noSha256(sha256Withheld, withheld);
        // A first run, then one that adds to its log.
        std::string written;
        UninstallLog read;
        char digest[DIGEST_TEXT_SIZE];
        for (int run = 0; run < 2; ++run) {
            digestsWhileWriting.clear();
            {
                SeamGuard<decltype(writeLogFile)> noting(writeLogFile, WriteNotingTheDigest);
                ASSERT_EQ(RESULT_OK, Run().result);
            }
            ASSERT_FALSE(digestsWhileWriting.empty());
            for (const std::string& value : digestsWhileWriting)
                EXPECT_EQ("pending", value);
            written = ReadFileBytes(log);
            ASSERT_TRUE(DigestText(written.data(), written.size(), withheld ? 40 : 64, digest,
                                   sizeof(digest)));
            EXPECT_EQ(digest, UninstallValue("LogDigest"));
            EXPECT_TRUE(InstallLogUnchanged(log.c_str(), &read));
        }

        std::string changed = written + "File Copy: " + victim + "\n";
        ASSERT_TRUE(WriteFileBytes(log, changed));
        EXPECT_FALSE(InstallLogUnchanged(log.c_str(), &read));
        Outcome again = Run();
        EXPECT_EQ(RESULT_LOG_CHANGED, again.result);
        ASSERT_EQ(1u, again.boxes.size());
        EXPECT_EQ("The uninstallation log \"" + log +
                      "\" was changed after the installation wrote it, so nothing was removed."
                      "\n\n" +
                      INCOMPLETE,
                  again.boxes[0].text);
        EXPECT_EQ(changed, ReadFileBytes(log));
        EXPECT_EQ(digest, UninstallValue("LogDigest"));
        EXPECT_EQ(1603, RemoveSilently(log));
        EXPECT_TRUE(FileExists(victim));
        EXPECT_TRUE(FileExists(DestFile("Reader.exe")));
        EXPECT_TRUE(UninstallEntryWritten());

        // As the run left it, the log is removed.
        ASSERT_TRUE(WriteFileBytes(log, written));
        EXPECT_EQ(0, RemoveSilently(log));
        EXPECT_FALSE(FileExists(DestFile("Reader.exe")));
        EXPECT_FALSE(UninstallEntryWritten());
    }
}

namespace {
// Another process that can write the product's folder adds its line to the log at the first
// registry write of the run that finds the log open to it. Wherever it lands, the removal must
// not delete what it names.
std::string racedLog;
std::string racedLine;
LONG WINAPI SetAddingToTheLog(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                              DWORD size) {
    FileHandle log(CreateFileA(racedLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!racedLine.empty() && log &&
        WriteFile(log.Get(), racedLine.data(), racedLine.size(), &written, nullptr))
        racedLine.clear();
    return RegSetValueExA(key, name, reserved, type, data, size);
}
} // namespace

// A first run (the gap between the log's last line and its seal) and a reinstall in place (the
// gap between the check of the log and the run's first line in it).
TEST_F(InstallEngineTest, ALineAddedWhileARunHoldsItsLogIsNeverSealed) {
    Provide("Reader.exe");
    Provide("Victim.txt", "another product's");
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\Reader.exe\n");
    racedLog = DestFile("_Install.log");
    std::string victim = product.File("Victim.txt");
    for (bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "first run");
        if (inPlace) {
            ASSERT_EQ(RESULT_OK, Run().result);
        }
        racedLine = "File Copy: " + victim + "\n";
        {
            SeamGuard<decltype(setRegistryValue)> racing(setRegistryValue, SetAddingToTheLog);
            ASSERT_EQ(RESULT_OK, Run().result);
        }
        bool added = ReadFileBytes(racedLog).find(victim) != std::string::npos;
        EXPECT_EQ(added ? 1603 : 0, RemoveSilently(racedLog));
        EXPECT_TRUE(FileExists(victim));
    }
}

TEST_F(InstallEngineTest, ARunThatFindsAnotherRunningOrAFolderOfWindowsChangesNothing) {
    Provide("Reader.exe");
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\Reader.exe\n");
    const struct {
        std::string dest;
        bool held; // by another run
        int result;
        std::string text;
    } cases[] = {
        {Dest(), true, RESULT_BUSY,
         "Another installation or removal is running. Wait until it has finished, then try "
         "again."},
        {"C:\\", false, RESULT_DEST_RESERVED,
         "ERROR: Can't install into \"C:\\\": give the product a folder of its own.\n\n" +
             std::string(INCOMPLETE)},
        {WindowsFolder(), false, RESULT_DEST_RESERVED,
         "ERROR: Can't install into \"" + WindowsFolder() +
             "\": give the product a folder of its own.\n\n" + INCOMPLETE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dest);
        CopyText(script->destFolder, sizeof(script->destFolder), c.dest.c_str());
        RunLock other;
        ASSERT_TRUE(!c.held || other.Take());
        Outcome run = Run();
        EXPECT_EQ(c.result, run.result);
        ASSERT_EQ(1u, run.boxes.size());
        EXPECT_EQ(c.text, run.boxes[0].text);
        EXPECT_FALSE(FileExists(c.dest + "\\Reader.exe"));
        EXPECT_FALSE(FileExists(c.dest + "\\_Install.log"));
        EXPECT_FALSE(UninstallEntryWritten());
        EXPECT_FALSE(FileExists(InstallerCopy()));
    }
}

TEST_F(InstallEngineTest, RunThatCannotAllocateItsContextEndsWithSetupIncomplete) {
    Provide("First.txt");
    Load("Main", "[Main]\nCopyFile1=1;%DEST_PATH%\\First.txt\n");
    refusedAllocationSize = sizeof(InstallContext);

    Outcome run = Run();

    EXPECT_EQ(0u, refusedAllocationSize.load()) << "the run did not allocate its context";
    EXPECT_EQ(RESULT_NOT_STARTED, run.result);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ(INCOMPLETE, run.boxes[0].text);
    EXPECT_FALSE(FileExists(destRoot.File("Acme")));
    EXPECT_FALSE(UninstallEntryWritten());

    refusedAllocationSize = sizeof(InstallContext);
    Outcome quiet = Run(false);
    EXPECT_EQ(RESULT_NOT_STARTED, quiet.result);
    EXPECT_TRUE(quiet.boxes.empty());

    // The script is unharmed: the next run installs.
    Outcome retry = Run();
    EXPECT_EQ(RESULT_OK, retry.result);
    EXPECT_TRUE(FileExists(DestFile("First.txt")));
}

TEST(ComposeErrorText, FourCodesWithTheFileNameAndTheIncompleteNote) {
    const struct {
        int result;
        const char* first;
    } cases[] = {
        {RESULT_SERVICE_REGISTER_FAILED, "ERROR: Can't install service file \"Acme.dll\"."},
        {RESULT_SOURCE_MISSING, "ERROR: Can't find file \"Acme.dll\"."},
        {RESULT_COPY_FAILED, "ERROR: Can't install file \"Acme.dll\"."},
        {RESULT_DEVICE_FILE_FAILED, "ERROR: Can't install file \"Acme.dll\" to device."},
    };
    for (const auto& code : cases) {
        char buffer[2048];
        EXPECT_EQ(buffer, ComposeErrorText(code.result, "Acme.dll", buffer, sizeof(buffer)));
        EXPECT_EQ(std::string(code.first) + "\n\n" + INCOMPLETE, buffer) << code.result;
    }
    // A buffer too small for the note keeps what fits.
    char small[48];
    std::string whole = std::string("ERROR: Can't install file \"Acme.dll\".\n\n") + INCOMPLETE;
    ASSERT_TRUE(ComposeErrorText(RESULT_COPY_FAILED, "Acme.dll", small, sizeof(small)));
    EXPECT_EQ(whole.substr(0, sizeof(small) - 1), small);
}

TEST(ComposeErrorText, UnknownCodesGiveNoTextAndAnEmptyBuffer) {
    for (int code : {0, -1, -5, -10, 7}) {
        char buffer[64] = "left over";
        EXPECT_EQ(nullptr, ComposeErrorText(code, "Acme.dll", buffer, sizeof(buffer))) << code;
        EXPECT_STREQ("", buffer) << code;
    }
}

} // namespace

TEST_F(InstallEngineTest, ChainOfFiveThousandIsShownAndInstalledWhole) {
    // Files at the top, in the middle and at the bottom of a chain far deeper than the old
    // limit of 1,000 components.
    const int depth = 5000;
    const int filed[] = {1, depth / 2, depth};
    std::string sections;
    for (int level = 1; level <= depth; ++level) {
        std::string n = std::to_string(level);
        sections += "[S" + n + "]\nName=Level " + n + "\n";
        if (level < depth)
            sections += "Components=S" + std::to_string(level + 1) + "\n";
        if (std::find(std::begin(filed), std::end(filed), level) != std::end(filed)) {
            sections += "CopyFile1=1;%DEST_PATH%\\Level" + n + ".txt\n";
            Provide(("Level" + n + ".txt").c_str(), "level " + n);
        }
    }
    Load("S1", sections);
    EXPECT_EQ(0, script->readIncomplete);

    // The components page, hidden as the wizard builds it, shows every level checked.
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(nullptr, host);
    ComponentsPage page(script.get(), host, moduleInstance);
    ASSERT_TRUE(page.Create());
    int shown = 0;
    HTREEITEM last = nullptr;
    for (HTREEITEM node = page.tree.Next(nullptr, TVGN_ROOT); node;
         node = page.tree.Next(node, TVGN_CHILD)) {
        ++shown;
        last = node;
    }
    EXPECT_EQ(depth, shown);
    EXPECT_TRUE(last && page.tree.IsChecked(last));
    char text[32] = "";
    GetDlgItemTextA(page.hwnd, IDC_DESKTOP_TOTAL, text, sizeof(text));
    EXPECT_STREQ("3 K", text);
    DestroyWindow(host);

    Outcome run = Run();

    EXPECT_EQ(RESULT_OK, run.result);
    for (int level : filed) {
        std::string name = "Level" + std::to_string(level) + ".txt";
        EXPECT_EQ("level " + std::to_string(level), ReadFileBytes(DestFile(name.c_str())));
    }
}
