#include <gtest/gtest.h>

#include <objbase.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "app/desktop_actions.h"
#include "app/install_context.h"
#include "app/service_registration.h"
#include "log/log_format.h"
#include "support/system_standins.h"
#include "support/test_support.h"
#include "system/external_programs.h"
#include "system/message_box.h"
#include "system/file_protection_hook.h"
#include "system/registry.h"
#include "system/shared_count.h"
#include "system/shared_count_hook.h"
#include "system/win_handles.h"
#include "uninstall/log_replay.h"

namespace {

const char UNINSTALL_PARENT[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const DWORD CALL_LIMIT_MS = 60000;

// Records what the replay shows; onStep runs at every step.
class RecordingProgress : public ReplayProgress {
  public:
    void ShowStage(const char* label) override {
        stages.push_back(label);
        steps.push_back(0);
    }
    void Step() override {
        ++steps.back();
        if (onStep)
            onStep();
    }
    std::vector<std::string> stages;
    std::vector<int> steps; // per stage
    std::function<void()> onStep;
};

std::vector<DWORD> pausesSeen;
void CountPause(DWORD ms) {
    pausesSeen.push_back(ms);
}

ReplayPauses CountingPauses() {
    ReplayPauses pauses;
    pauses.entryMs = 7;
    pauses.finishMs = 11;
    pauses.pause = CountPause;
    pausesSeen.clear();
    return pauses;
}

// A product folder to install from, and the destination below a scratch folder.
struct Installation {
    Installation() {
        setup = folder.File("setup");
        dest = folder.File("Acme\\Reader");
        CreateDirectoryA(setup.c_str(), nullptr);
        for (const char* name : {"a.txt", "b.txt", "c.txt", "locked.txt"})
            WriteFileBytes(setup + "\\" + name, std::string("content of ") + name);
        log = dest + "\\" + LOG_FILE_NAME;
        title = "Orvex Replay " + std::to_string(GetCurrentProcessId());
    }
    ~Installation() { captionTitle = nullptr; }

    // One install run into dest; the context's destructor closes the log.
    void Run(const std::function<void(InstallContext&)>& items) {
        InstallContext context(setup.c_str(), dest.c_str(), title.c_str(), nullptr);
        items(context);
        context.CloseLog();
    }

    TempFolder folder{"orvex-replay"};
    std::string setup, dest, log, title;
};

void ExpectAllGone(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        EXPECT_FALSE(FileExists(path)) << path;
}

} // namespace

TEST(ReplayLogTest, RealInstallIsUndoneFilesThenFoldersInnermostFirst) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    // The link's group lies in the prefix's Start menu, outside the scratch folders.
    struct GroupCleanup {
        std::string folder;
        ~GroupCleanup() {
            if (!folder.empty())
                RemoveTree(folder);
            CoUninitialize();
        }
    } cleanup;
    Installation install;
    // A folder that existed before the install and keeps a file of its own.
    std::string shared = install.folder.File("Shared");
    CreateDirectoryA(shared.c_str(), nullptr);
    WriteFileBytes(shared + "\\keep.txt", "keep");
    std::string group = "Orvex Replay Group " + std::to_string(GetCurrentProcessId());
    std::string linkPath;

    install.Run([&](InstallContext& context) {
        EXPECT_EQ(0, CopyDesktopFile(context, "%DEST_PATH%\\a.txt"));
        EXPECT_EQ(0, CopyDesktopFile(context, "%DEST_PATH%\\sub\\deep\\b.txt"));
        EXPECT_EQ(0, CopyDesktopFile(context, (shared + "\\c.txt").c_str()));
        ASSERT_TRUE(CreateShortcut(context, "Reader", group.c_str(), "%DEST_PATH%\\a.txt", "", 0));
        linkPath = context.targetPath;
    });
    std::string groupFolder = linkPath.substr(0, linkPath.rfind('\\'));
    cleanup.folder = groupFolder;
    ASSERT_TRUE(FileExists(linkPath));
    TempRegistryKey uninstallKey(HKEY_LOCAL_MACHINE,
                                 std::string(UNINSTALL_PARENT) + "\\" + install.title);
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, uninstallKey.Path().c_str(), "DisplayName",
                                    install.title.c_str()));

    UninstallLog log;
    ReadUninstallLog(install.log.c_str(), &log);
    EXPECT_EQ(install.title, log.title);
    EXPECT_EQ(install.dest, log.sourceFolder);
    std::vector<int32_t> kinds;
    for (int32_t i = 0; i < log.EntryCount(); ++i)
        kinds.push_back(log.Entry(i)->kind);
    // The parent made before the log could open is logged first, once the log is open.
    const std::vector<int32_t> expectedKinds = {
        LOG_MADE_DIR,  LOG_MADE_DIR, LOG_FILE_COPY, LOG_MADE_DIR, LOG_MADE_DIR,
        LOG_FILE_COPY, LOG_MADE_DIR, LOG_FILE_COPY, LOG_MADE_DIR, LOG_SHELL_LINK};
    EXPECT_EQ(expectedKinds, kinds);
    EXPECT_EQ(install.folder.File("Acme"), log.Entry(0)->path);
    EXPECT_EQ(install.dest, log.Entry(1)->path);

    RecordingProgress progress;
    ReplayLog(&progress, &log, CountingPauses());

    const std::vector<std::string> labels = {"Unregisterring services...", "Deleting Files...",
                                             "Deleting Folder...", "Finishing..."};
    EXPECT_EQ(labels, progress.stages);
    EXPECT_EQ((std::vector<int>{0, 4, 6, 0}), progress.steps);
    ExpectAllGone({install.dest + "\\a.txt", install.dest + "\\sub\\deep\\b.txt",
                   shared + "\\c.txt", linkPath, groupFolder, install.dest + "\\sub", install.log,
                   install.dest, install.folder.File("Acme")});
    // The shared folder still holds its own file; the scratch folder above the product's new
    // parent existed before and stays.
    EXPECT_TRUE(FileExists(shared + "\\keep.txt"));
    EXPECT_TRUE(FileExists(install.folder.Path()));
    EXPECT_FALSE(log.deleteFailed);
    std::string value;
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, uninstallKey.Path(), "DisplayName", &value));
    for (int32_t i = 0; i < log.EntryCount(); ++i)
        EXPECT_EQ(LOG_NONE, log.Entry(i)->kind);
}

TEST(ReplayLogTest, ServicesAreUnregisteredFirstAndActiveSyncToldToQuitOnce) {
    Installation install;
    for (const char* name : {"SyncA.dll", "SyncB.dll"})
        ASSERT_TRUE(
            CopyFileA(TestComServerPath().c_str(), (install.setup + "\\" + name).c_str(), FALSE));
    std::string activeSync = install.folder.File("ActiveSync");
    CreateDirectoryA(activeSync.c_str(), nullptr);
    ASSERT_TRUE(CopyActiveSyncStandIns(activeSync));
    TempRegistryKey appPath(HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATHS_KEY);
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATHS_KEY, nullptr,
                                    (activeSync + "\\CEAppMgr.exe").c_str()));
    std::string serverA = install.dest + "\\SyncA.dll";
    std::string serverB = install.dest + "\\SyncB.dll";
    RegistryValueGuard markerA(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY, serverA.c_str());
    RegistryValueGuard markerB(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY, serverB.c_str());

    ASSERT_TRUE(CallWithDeadline(CALL_LIMIT_MS, [&] {
        install.Run([](InstallContext& context) {
            int32_t restart = 0;
            EXPECT_EQ(0, RegisterActiveSyncService(context, "%DEST_PATH%\\SyncA.dll", &restart));
            EXPECT_EQ(0, RegisterActiveSyncService(context, "%DEST_PATH%\\SyncB.dll", &restart));
        });
    }));
    ASSERT_TRUE(TestComServerRegistered(serverA));
    ASSERT_TRUE(TestComServerRegistered(serverB));
    ASSERT_EQ("", WcesmgrRecord(activeSync));

    UninstallLog log;
    ReadUninstallLog(install.log.c_str(), &log);
    RecordingProgress progress;
    // After each step: servers still registered, files still there, connection manager runs.
    std::vector<std::string> snapshots;
    progress.onStep = [&]() {
        std::string record = WcesmgrRecord(activeSync);
        snapshots.push_back(std::string(TestComServerRegistered(serverA) ? "A" : "-") +
                            (TestComServerRegistered(serverB) ? "B" : "-") +
                            (FileExists(serverA) ? "a" : "-") + (FileExists(serverB) ? "b" : "-") +
                            " " + record);
    };
    SeamGuard running(activeSyncRunning, 1);
    ASSERT_TRUE(
        CallWithDeadline(CALL_LIMIT_MS, [&] { ReplayLog(&progress, &log, CountingPauses()); }));
    EXPECT_EQ(0, activeSyncRunning);

    // Newest first: the second StopActiveSync stops ActiveSync (and is waited for), the first
    // finds it stopped; each server is unregistered before its file is deleted.
    const std::string quit = "start /quit\nend /quit\n";
    const std::vector<std::string> expected = {"ABab " + quit, "A-ab " + quit, "A-ab " + quit,
                                               "--ab " + quit, "--a- " + quit, "---- " + quit,
                                               "---- " + quit, "---- " + quit, "---- " + quit};
    EXPECT_EQ(expected, snapshots);
    EXPECT_EQ((std::vector<int>{4, 2, 3, 0}), progress.steps);
    ExpectAllGone({install.dest, install.log, install.folder.File("Acme")});
}

TEST(ReplayLogTest, TwoRunsAreUndoneNewestFirstWithinEachStage) {
    Installation install;
    install.Run([](InstallContext& context) { CopyDesktopFile(context, "%DEST_PATH%\\x\\a.txt"); });
    install.Run(
        [](InstallContext& context) { CopyDesktopFile(context, "%DEST_PATH%\\x\\y\\b.txt"); });
    std::string first = install.dest + "\\x\\a.txt";
    std::string second = install.dest + "\\x\\y\\b.txt";

    UninstallLog log;
    ReadUninstallLog(install.log.c_str(), &log);
    ASSERT_EQ(6, log.EntryCount());
    RecordingProgress progress;
    std::vector<std::string> snapshots;
    progress.onStep = [&]() {
        snapshots.push_back(std::string(FileExists(first) ? "a" : "-") +
                            (FileExists(second) ? "b" : "-"));
    };
    ReplayLog(&progress, &log, CountingPauses());
    // Files: the second run's file goes first. Folders: y (second run) before x (first run),
    // so x is empty by the time its turn comes.
    EXPECT_EQ((std::vector<std::string>{"a-", "--", "--", "--", "--", "--"}), snapshots);
    ExpectAllGone(
        {install.dest + "\\x\\y", install.dest + "\\x", install.dest, install.folder.File("Acme")});
}

TEST(ReplayLogTest, FileHeldOpenStaysAndSetsDeleteFailed) {
    Installation install;
    install.Run([](InstallContext& context) {
        CopyDesktopFile(context, "%DEST_PATH%\\a.txt");
        CopyDesktopFile(context, "%DEST_PATH%\\locked.txt");
    });
    std::string locked = install.dest + "\\locked.txt";
    ChildProcess holder;
    ASSERT_TRUE(holder.Start("\"" + BinPath("holdfile.exe") + "\" 60 " + locked));
    // Wait (bounded) until the holder has the file open without sharing.
    bool held = false;
    for (int i = 0; i < 200 && !held; ++i) {
        HANDLE probe = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
            held = true;
        else if (probe != INVALID_HANDLE_VALUE)
            CloseHandle(probe);
        if (!held)
            Sleep(50);
    }
    ASSERT_TRUE(held);

    UninstallLog log;
    ReadUninstallLog(install.log.c_str(), &log);
    RecordingProgress progress;
    ReplayLog(&progress, &log, CountingPauses());
    EXPECT_TRUE(log.deleteFailed);
    EXPECT_TRUE(FileExists(locked));
    EXPECT_FALSE(FileExists(install.dest + "\\a.txt"));
    EXPECT_FALSE(FileExists(install.log));
    // The folder still holds the locked file.
    EXPECT_TRUE(FileExists(install.dest));
    holder.Kill();
    EXPECT_TRUE(holder.Wait(10000));
}

TEST(ReplayLogTest, PausesFollowOnlyEntriesWhosePathExisted) {
    // ActiveSync is not installed here: its stop fails and the flag stays set.
    TempRegistryKey noActiveSync(HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATHS_KEY);
    Installation install;
    install.Run([](InstallContext& context) { CopyDesktopFile(context, "%DEST_PATH%\\a.txt"); });
    std::string gone = install.dest + "\\gone";
    std::string text = ReadFileBytes(install.log) + "File Copy: " + gone + ".txt\n" +
                       "StopActiveSync: \n" + "Made Dir: " + gone + "\n" + "StopActiveSync: \n" +
                       "Shell Link: " + gone + ".lnk\n" + "RegSvr32: " + gone + ".dll\n" +
                       "File Del: " + install.dest + "\\a.txt\n" + "Del Dir: " + install.dest +
                       "\n" + "UnregSvr32: x\n" + "no keyword\n";
    ASSERT_TRUE(WriteFileBytes(install.log, text));

    UninstallLog log;
    ReadUninstallLog(install.log.c_str(), &log);
    ASSERT_EQ(13, log.EntryCount());
    SeamGuard running(activeSyncRunning, 1);
    RecordingProgress progress;
    ReplayLog(&progress, &log, CountingPauses());
    EXPECT_EQ(1, activeSyncRunning);
    // Existing: a.txt, the destination folder and its new parent; the finishing step adds its own
    // pause. Entries of kinds without an undo never step the bar.
    EXPECT_EQ((std::vector<DWORD>{7, 7, 7, 11}), pausesSeen);
    EXPECT_EQ((std::vector<int>{3, 3, 3, 0}), progress.steps);
    ExpectAllGone({install.dest + "\\a.txt", install.dest, install.folder.File("Acme")});
}

TEST(ReplayLogTest, HeaderMismatchRemovesOnlyTheLog) {
    Installation install;
    install.Run([](InstallContext& context) { CopyDesktopFile(context, "%DEST_PATH%\\a.txt"); });
    std::string text = ReadFileBytes(install.log);
    text[0] = '#';
    ASSERT_TRUE(WriteFileBytes(install.log, text));

    UninstallLog log;
    ReadUninstallLog(install.log.c_str(), &log);
    RecordingProgress progress;
    ReplayLog(&progress, &log, CountingPauses());
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), progress.steps);
    EXPECT_FALSE(FileExists(install.log));
    EXPECT_TRUE(FileExists(install.dest + "\\a.txt"));
    EXPECT_EQ((std::vector<DWORD>{11}), pausesSeen);
}

TEST(FinishUninstallTest, RemovesLogKeyAndEmptyFolderOnly) {
    TempFolder folder("orvex-finish");
    std::string title = "Orvex Finish " + std::to_string(GetCurrentProcessId());
    TempRegistryKey key(HKEY_LOCAL_MACHINE, std::string(UNINSTALL_PARENT) + "\\" + title);
    TempRegistryKey other(HKEY_LOCAL_MACHINE, key.Path() + " Other");
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, key.Path().c_str(), "DisplayName", "x"));
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, other.Path().c_str(), "DisplayName", "y"));

    std::string dest = folder.File("dest");
    CreateDirectoryA(dest.c_str(), nullptr);
    std::string logPath = dest + "\\_Install.log";
    ASSERT_TRUE(WriteFileBytes(logPath, "***  Installation Started 01/02/2003 04:05  ***\n"
                                        "Title: " +
                                            title + " Installation\nSource: " + dest + "\n"));
    std::string extra = dest + "\\user.txt";
    WriteFileBytes(extra, "user's own file");

    UninstallLog log;
    ReadUninstallLog(logPath.c_str(), &log);
    pausesSeen.clear();
    FinishUninstall(&log, 13, CountPause);
    std::string value;
    EXPECT_FALSE(FileExists(logPath));
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key.Path(), "DisplayName", &value));
    EXPECT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, other.Path(), "DisplayName", &value));
    EXPECT_TRUE(FileExists(dest));
    EXPECT_EQ((std::vector<DWORD>{13}), pausesSeen);

    // A second run, once the folder is empty, removes it.
    DeleteFileA(extra.c_str());
    FinishUninstall(&log, 0, CountPause);
    EXPECT_FALSE(FileExists(dest));

    // A log path too long to hold is never cut into the name of another file to delete.
    std::string stem = folder.File(std::string(300, 'n'));
    std::string cutName = stem.substr(0, MAX_PATH - 1);
    ASSERT_TRUE(WriteFileBytes(cutName, "another file"));
    ReadUninstallLog(stem.c_str(), &log);
    FinishUninstall(&log, 0, CountPause);
    EXPECT_TRUE(FileExists(cutName));
    captionTitle = nullptr;
}

TEST(ReplayLogTest, UndoingARegistrationCancelsOnlyItsOwnDeferral) {
    TempFolder folder("orvex-deferred");
    const char runOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    // Two products' servers of the same name: the value names the other one's folder.
    std::string target = folder.File("OrvexDefer.dll");
    const struct {
        std::string command;
        bool cancelled;
    } cases[] = {
        {"\"C:\\setup\\Setup.exe\" -register" + target, true},
        {"\"C:\\setup\\Setup.exe\" -registerC:\\Other\\OrvexDefer.dll", false},
    };
    for (const auto& row : cases) {
        RegistryValueGuard value(HKEY_LOCAL_MACHINE, runOnceKey, "Install OrvexDefer.dll");
        ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, runOnceKey, "Install OrvexDefer.dll",
                                        row.command.c_str()));
        std::string staged = folder.File("OrvexDefer.dl_");
        ASSERT_TRUE(WriteFileBytes(staged, "new server"));
        UninstallLog log;
        LogEntry entry{target.c_str(), LOG_REGSVR32};
        UndoEntry(&entry, &log, 0, nullptr);
        EXPECT_FALSE(FileExists(staged));
        std::string left;
        EXPECT_EQ(!row.cancelled, ReadRegistryValue(HKEY_LOCAL_MACHINE, runOnceKey,
                                                    "Install OrvexDefer.dll", &left));
    }
}

// Two products put one COM server (an ActiveSync one) and one plain file into a common folder; a
// third file they both ship was there before either.
TEST(ReplayLogTest, SharedFilesStayWithTheirRegistrationUntilTheLastProductIsRemoved) {
    for (bool firstIsA : {true, false}) {
        SCOPED_TRACE(firstIsA ? "A removed first" : "B removed first");
        TempFolder common("orvex common");
        std::string server = common.File("OrvexShared.dll");
        std::string plain = common.File("Shared.txt");
        std::string earlier = common.File("Earlier.txt");
        ASSERT_TRUE(WriteFileBytes(earlier, "earlier owner"));
        TempFolder activeSync("orvex as");
        ASSERT_TRUE(CopyActiveSyncStandIns(activeSync.Path()));
        RegistryValueGuard appPath(HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATHS_KEY, nullptr);
        ASSERT_TRUE(appPath.Set(activeSync.File("CEAppMgr.exe")));
        RegistryValueGuard marker(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY, server.c_str());

        Installation a;
        Installation b;
        for (Installation* product : {&a, &b}) {
            ASSERT_TRUE(CopyFileA(TestComServerPath().c_str(),
                                  (product->setup + "\\OrvexShared.dll").c_str(), FALSE));
            WriteFileBytes(product->setup + "\\Shared.txt", "shared");
            WriteFileBytes(product->setup + "\\Earlier.txt", "shipped");
            ASSERT_TRUE(CallWithDeadline(CALL_LIMIT_MS, [&] {
                product->Run([&](InstallContext& context) {
                    int32_t restart = 0;
                    RemoveOldActiveSyncService(context, server.c_str());
                    EXPECT_EQ(0, RegisterActiveSyncService(context, server.c_str(), &restart));
                    EXPECT_EQ(0, CopyDesktopFile(context, plain.c_str()));
                    EXPECT_EQ(0, CopyDesktopFile(context, earlier.c_str()));
                });
            }));
        }
        auto remove = [&](Installation& product) {
            UninstallLog log;
            ReadUninstallLog(product.log.c_str(), &log);
            RecordingProgress progress;
            activeSyncRunning = 1;
            EXPECT_TRUE(CallWithDeadline(CALL_LIMIT_MS,
                                         [&] { ReplayLog(&progress, &log, CountingPauses()); }));
            activeSyncRunning = 1;
        };
        // What stays: registration, files, counts, and whether ActiveSync was stopped.
        auto state = [&] {
            std::string text = TestComServerRegistered(server) ? "registered" : "unregistered";
            for (const std::string& path : {server, plain, earlier}) {
                DWORD count = 0;
                text += std::string(" ") + (FileExists(path) ? "file" : "gone") + "/" +
                        (ReadSharedCount(path.c_str(), &count) ? std::to_string(count) : "-");
            }
            return text + (WcesmgrRecord(activeSync.Path()).empty() ? "" : " stopped");
        };
        EXPECT_EQ("registered file/2 file/2 file/3", state());

        remove(firstIsA ? a : b);
        EXPECT_EQ("registered file/1 file/1 file/2", state());
        EXPECT_TRUE(FileExists(common.Path()));

        remove(firstIsA ? b : a);
        EXPECT_EQ("unregistered gone/- gone/- file/1 stopped", state());
        ExpectAllGone({a.dest, b.dest});
        RemoveSharedCount(earlier.c_str());
    }
}

std::string protectedFile;
bool ProtectOneFile(const char* path) {
    return protectedFile == path;
}

TEST(ReplayLogTest, AFileWindowsProtectsIsNeverDeleted) {
    Installation install;
    TempFolder common("orvex common");
    protectedFile = common.File("a.txt");
    install.Run([&](InstallContext& context) {
        EXPECT_EQ(0, CopyDesktopFile(context, protectedFile.c_str()));
    });
    bool (*askWindows)(const char*) = askFileProtected;
    askFileProtected = ProtectOneFile;
    UninstallLog log;
    ReadUninstallLog(install.log.c_str(), &log);
    RecordingProgress progress;
    ReplayLog(&progress, &log, CountingPauses());
    askFileProtected = askWindows;
    EXPECT_TRUE(FileExists(protectedFile));
    DWORD count = 0;
    EXPECT_FALSE(ReadSharedCount(protectedFile.c_str(), &count)) << "no product counts it now";
}

namespace {
std::string wow64Folder;
UINT StandInWow64Folder(char* folder, UINT size) {
    lstrcpynA(folder, wow64Folder.c_str(), static_cast<int>(size));
    return static_cast<UINT>(wow64Folder.size());
}

std::vector<std::string> askedProtected;
bool NoteProtectionQuestion(const char* path) {
    askedProtected.push_back(path);
    return false;
}

// "3" for a count of 3, "text" for a value that is no count, "-" for none.
std::string CountValue(const std::string& name) {
    DWORD count = 0;
    switch (ReadSharedCountState(name.c_str(), &count)) {
    case COUNT_READ:
        return std::to_string(count);
    case COUNT_UNREADABLE:
        return "text";
    default:
        return "-";
    }
}
} // namespace

// Counts as the registry keeps them: a name in another case (beyond ASCII), a value that is no
// count, a file in the product's own folder that someone counts, and the SysWOW64 spelling of a
// 32-bit run on 64-bit Windows (a stand-in folder here), where an earlier build's system32
// spelling is still found.
TEST(ReplayLogTest, CountsAreFoundAsTheRegistryMatchesThemAndKeptWhereTheFileIs) {
    TempFolder common("orvex common");
    TempFolder wow64("orvex syswow64");
    // In the 64-bit prefix the run is under WOW64 for real.
    char real[MAX_PATH] = "";
    bool realWow64 = GetSystemWow64DirectoryA(real, sizeof(real)) > 0;
    wow64Folder = realWow64 ? std::string(real) : wow64.Path();
    SeamGuard<UINT (*)(char*, UINT)> underWow64(wow64SystemFolder,
                                                realWow64 ? wow64SystemFolder : StandInWow64Folder);
    SeamGuard<bool (*)(const char*)> asking(askFileProtected, NoteProtectionQuestion);
    Installation install;
    std::string inSystem = SystemFolder() + "\\OrvexWow.dll";
    std::string wowName = wow64Folder + "\\OrvexWow.dll";
    const struct {
        std::string logged;
        std::string valueName; // "" for none
        DWORD count;           // 0: a text value instead
        bool stays;
        std::string after; // the count under the logged path as the removal leaves it
    } cases[] = {
        {common.File("\xC4rger.dll"), common.File("\xE4RGER.DLL"), 2, true, "1"},
        {common.File("Odd.dll"), common.File("Odd.dll"), 0, true, "text"},
        {common.File("Plain.dll"), "", 0, false, "-"},
        {install.dest + "\\Own.dll", install.dest + "\\OWN.dll", 2, true, "1"},
        {inSystem, wowName, 1, false, "-"},
        {inSystem, inSystem, 2, true, "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logged + " counted as " + c.valueName);
        CreateDirectoryA(install.folder.File("Acme").c_str(), nullptr);
        CreateDirectoryA(install.dest.c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(c.logged, "shared"));
        RegKey key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY_PATH, 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr));
        if (!c.valueName.empty() && c.count > 0)
            RegSetValueExA(key.Get(), c.valueName.c_str(), 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&c.count), sizeof(c.count));
        else if (!c.valueName.empty())
            RegSetValueExA(key.Get(), c.valueName.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>("2"), 2);
        ASSERT_TRUE(WriteFileBytes(install.log, "***  Installation Started 01/02/2026 10:00  ***\n"
                                                "Title: " +
                                                    install.title +
                                                    " Installation\nSource: " + install.dest +
                                                    "\nFile Copy: " + c.logged + "\n"));
        askedProtected.clear();
        UninstallLog log;
        ReadUninstallLog(install.log.c_str(), &log);
        RecordingProgress progress;
        ReplayLog(&progress, &log, CountingPauses());
        EXPECT_EQ(c.stays, FileExists(c.logged));
        EXPECT_EQ(c.after, CountValue(c.logged));
        if (c.logged == inSystem) {
            // Kept under where the file really is, and asked about there.
            EXPECT_EQ(c.after, CountValue(wowName));
            DWORD count = 0;
            EXPECT_FALSE(ReadRegistryNumber(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY_PATH,
                                            inSystem.c_str(), &count));
            if (!c.stays) {
                EXPECT_EQ(std::vector<std::string>{wowName}, askedProtected);
            }
        }
        RemoveRegistryValue(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY_PATH, c.logged.c_str());
        RemoveRegistryValue(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY_PATH, wowName.c_str());
        DeleteFileA(c.logged.c_str());
    }
    // An install counts the system folder's file under its SysWOW64 name.
    ASSERT_TRUE(WriteFileBytes(inSystem, "shared"));
    CountSharedFile(inSystem.c_str());
    EXPECT_EQ("2", CountValue(wowName));
    RemoveSharedCount(inSystem.c_str());
    EXPECT_EQ("-", CountValue(wowName));
    DeleteFileA(inSystem.c_str());
}
