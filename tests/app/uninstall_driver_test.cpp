#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/desktop_actions.h"
#include "app/install_context.h"
#include "app/service_registration.h"
#include "log/log_format.h"
#include "resources/resource_ids.h"
#include "support/desktop_support.h"
#include "support/message_boxes.h"
#include "support/system_standins.h"
#include "support/test_support.h"
#include "system/external_programs.h"
#include "system/message_box.h"
#include "system/registry.h"
#include "system/win_handles.h"
#include "uninstall/uninstall_driver.h"

namespace {

const char UNINSTALL_PARENT[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const DWORD RUN_LIMIT_MS = 60000;
const char BAD_ARGUMENTS[] = "Invalid uninstallation arguments or missing \"_install.log\" file.";
const char RESTART_QUESTION[] =
    "Uninstallation complete. Some services are still working. Please restart computer to stop "
    "all running services.\nPress 'Yes', to restart your computer now.";
const char LOG_NOT_READ[] = "The uninstallation log is too large to be read on this computer. "
                            "Nothing has been removed.\nClose other programs and try again.";

// What the progress window showed at one pause of the replay. The pauses run on the window's
// own thread, inside the replay, so the window can be asked directly.
struct Snapshot {
    std::string caption;
    std::string stage;
    int position;
    int rangeEnd;
    bool hasIcons;
    bool painted;
};
std::vector<Snapshot> snapshots;
int pausesWithoutWindow = 0;

HWND FindProgressWindow() {
    for (HWND window : TopWindowsOf(GetCurrentProcessId(), "#32770")) {
        if (GetDlgItem(window, IDC_STAGE_LABEL))
            return window;
    }
    return nullptr;
}

bool NothingLeftToPaint(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE))
        return false;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE))
            return false;
    }
    return true;
}

void SnapshotPause(DWORD) {
    HWND window = FindProgressWindow();
    if (!window) {
        ++pausesWithoutWindow;
        return;
    }
    HWND bar = GetDlgItem(window, IDC_UNINSTALL_PROGRESS);
    Snapshot shot;
    shot.caption = TextWithoutMessage(window);
    shot.stage = TextWithoutMessage(GetDlgItem(window, IDC_STAGE_LABEL));
    shot.position = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
    shot.rangeEnd = static_cast<int>(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
    shot.hasIcons = SendMessageA(window, WM_GETICON, ICON_BIG, 0) != 0 &&
                    SendMessageA(window, WM_GETICON, ICON_SMALL, 0) != 0;
    shot.painted = NothingLeftToPaint(window);
    snapshots.push_back(shot);
}

std::vector<UINT> restarts;
void RecordRestart(UINT flags) {
    restarts.push_back(flags);
}

UninstallOptions TestOptions() {
    UninstallOptions options = DefaultUninstallOptions();
    options.pauses.entryMs = 1;
    options.pauses.finishMs = 2;
    options.pauses.pause = SnapshotPause;
    options.restartComputer = RecordRestart;
    snapshots.clear();
    pausesWithoutWindow = 0;
    restarts.clear();
    return options;
}

// A product installed into a scratch folder: two files (one in a subfolder), a start-menu link,
// and the uninstall entry named by the title.
struct Product {
    Product() {
        setup = folder.File("setup");
        dest = folder.File("Acme\\Reader");
        CreateDirectoryA(setup.c_str(), nullptr);
        for (const char* name : {"Reader.exe", "Help.txt"})
            WriteFileBytes(setup + "\\" + name, std::string("content of ") + name);
        log = dest + "\\" + LOG_FILE_NAME;
        title = "Orvex Driver " + std::to_string(GetCurrentProcessId());
        group = "Orvex Driver Group " + std::to_string(GetCurrentProcessId());
        key = std::string(UNINSTALL_PARENT) + "\\" + title;
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, key);
    }
    ~Product() {
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, key);
        if (!groupFolder.empty())
            RemoveTree(groupFolder);
        captionTitle = nullptr;
    }

    void Install(const std::function<void(InstallContext&)>& more = nullptr) {
        CoInitialize(nullptr);
        {
            InstallContext context(setup.c_str(), dest.c_str(), title.c_str(), nullptr);
            EXPECT_EQ(0, CopyDesktopFile(context, "%DEST_PATH%\\Reader.exe"));
            EXPECT_EQ(0, CopyDesktopFile(context, "%DEST_PATH%\\doc\\Help.txt"));
            EXPECT_TRUE(
                CreateShortcut(context, "Reader", group.c_str(), "%DEST_PATH%\\Reader.exe", "", 0));
            link = context.targetPath;
            if (more)
                more(context);
            context.CloseLog();
        }
        CoUninitialize();
        groupFolder = link.substr(0, link.rfind('\\'));
        EXPECT_TRUE(
            WriteRegistryString(HKEY_LOCAL_MACHINE, key.c_str(), "DisplayName", title.c_str()));
        ASSERT_TRUE(FileExists(link));
    }
    std::vector<std::string> Installed() const {
        return {dest + "\\Reader.exe",
                dest + "\\doc\\Help.txt",
                dest + "\\doc",
                link,
                groupFolder,
                log,
                dest,
                folder.File("Acme")};
    }
    bool KeyExists() const {
        std::string value;
        return ReadRegistryValue(HKEY_LOCAL_MACHINE, key, "DisplayName", &value);
    }
    std::string Confirmation() const {
        return "Do you really want to uninstall \"" + title +
               "\"?\nPress 'Yes' to start uninstallation.";
    }

    TempFolder folder{"orvex-driver"};
    std::string setup, dest, log, title, group, key, link, groupFolder;
};

// Runs the driver on a thread of its own, as the program's only thread would, while the boxes
// are answered in order.
struct DriverRun {
    DriverRun(const std::string& argument, std::vector<int> answers,
              HINSTANCE instance = GetModuleHandleA(nullptr), bool silent = false,
              bool noRestart = false) {
        UninstallOptions options = TestOptions();
        options.silent = silent;
        options.noRestart = noRestart;
        BoxAnswerer answerer(GetCurrentProcessId(), std::move(answers));
        inTime = CallWithDeadline(RUN_LIMIT_MS, [&] {
            exitCode = RunUninstallWith(instance, argument.c_str(), options);
        });
        boxes = answerer.Stop();
        windowLeft = FindProgressWindow() != nullptr;
    }
    bool inTime = false;
    int exitCode = -1;
    std::vector<SeenBox> boxes;
    bool windowLeft = false;
};

void ExpectOneBox(const DriverRun& run, const std::string& caption, const std::string& text) {
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ(caption, run.boxes[0].caption);
    EXPECT_EQ(text, run.boxes[0].text);
}

} // namespace

TEST(RunUninstallTest, MissingOrUnreadableLogIsRefusedBeforeAnyQuestion) {
    captionTitle = nullptr;
    Product product;
    product.Install();
    std::string header = ReadFileBytes(product.log);
    std::string badHeader = product.dest + "\\bad-header.log";
    ASSERT_TRUE(WriteFileBytes(badHeader, "#" + header.substr(1)));
    // Sparse: a size beyond what a 32-bit process can hold, without writing the bytes.
    std::string huge = product.dest + "\\huge.log";
    ASSERT_TRUE(WriteFileBytes(huge, header));
    {
        FileHandle file(CreateFileA(huge.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        LONG high = 1;
        ASSERT_NE(INVALID_SET_FILE_POINTER, SetFilePointer(file.Get(), 0, &high, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file.Get()));
    }
    std::string noTitle = product.dest + "\\no-title.log";
    ASSERT_TRUE(WriteFileBytes(noTitle, "***  Installation Started 01/02/2003 04:05  ***\n"
                                        "Title: \nSource: " +
                                            product.dest + "\nFile Copy: " + product.dest +
                                            "\\Reader.exe\n"));

    // A missing log, a header that does not match, a header without a title, a folder, a log too
    // large to hold. (Nothing, and a blank before the path, are tried on the real Setup.exe by
    // the end-to-end tests.)
    const struct {
        std::string argument;
        const char* message;
    } cases[] = {{product.dest + "\\missing.log", BAD_ARGUMENTS},
                 {badHeader, BAD_ARGUMENTS},
                 {noTitle, BAD_ARGUMENTS},
                 {product.dest, BAD_ARGUMENTS},
                 {huge, LOG_NOT_READ}};
    for (const auto& c : cases) {
        SCOPED_TRACE("argument: " + c.argument);
        DriverRun run(c.argument, {IDOK});
        ASSERT_TRUE(run.inTime);
        EXPECT_EQ(0, run.exitCode);
        ExpectOneBox(run, "Uninstallation", c.message);
        EXPECT_TRUE(snapshots.empty());
    }
    for (const std::string& path : product.Installed())
        EXPECT_TRUE(FileExists(path)) << path;
    EXPECT_TRUE(FileExists(badHeader));
    EXPECT_TRUE(FileExists(huge));
    EXPECT_TRUE(product.KeyExists());
}

TEST(RunUninstallTest, YesReplaysUnderAPaintedProgressWindowAndAsksNothingMore) {
    Product product;
    ASSERT_TRUE(
        CopyFileA(TestComServerPath().c_str(), (product.setup + "\\Service.dll").c_str(), FALSE));
    std::string server = product.dest + "\\Service.dll";
    RegistryValueGuard marker(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY, server.c_str());
    ASSERT_TRUE(CallWithDeadline(RUN_LIMIT_MS, [&] {
        product.Install([](InstallContext& context) {
            int32_t restart = 0;
            EXPECT_EQ(0, RegisterService(context, "%DEST_PATH%\\Service.dll", &restart));
        });
    }));
    ASSERT_TRUE(TestComServerRegistered(server));
    UninstallLog counted;
    ReadUninstallLog(product.log.c_str(), &counted);
    const int entries = counted.EntryCount();
    captionTitle = nullptr;

    DriverRun run(product.log, {IDYES});
    ASSERT_TRUE(run.inTime);
    EXPECT_EQ(0, run.exitCode);
    ExpectOneBox(run, product.title + " Uninstallation", product.Confirmation());
    EXPECT_TRUE(restarts.empty());
    EXPECT_FALSE(run.windowLeft);

    // One pause per entry whose path existed: the server; its file, the link and the two files;
    // the destination's new parent, the destination (logged twice), the link's group and the
    // subfolder; then one per finishing run.
    std::vector<std::string> stages;
    for (const Snapshot& shot : snapshots)
        stages.push_back(shot.stage);
    std::vector<std::string> expected = {"Unregisterring services..."};
    expected.insert(expected.end(), 4, "Deleting Files...");
    expected.insert(expected.end(), 5, "Deleting Folder...");
    expected.insert(expected.end(), 2, "Finishing...");
    EXPECT_EQ(expected, stages);
    for (size_t i = 0; i < snapshots.size(); ++i) {
        SCOPED_TRACE("pause " + std::to_string(i));
        EXPECT_EQ("Uninstallation", snapshots[i].caption);
        EXPECT_EQ(entries, snapshots[i].rangeEnd);
        EXPECT_TRUE(snapshots[i].hasIcons);
        EXPECT_TRUE(snapshots[i].painted);
        if (i > 0) {
            EXPECT_GE(snapshots[i].position, snapshots[i - 1].position);
        }
    }
    // The pause comes before the step, so the first undone file sees the server's step only.
    EXPECT_EQ(1, snapshots[1].position);
    EXPECT_EQ(0, pausesWithoutWindow);

    for (const std::string& path : product.Installed())
        EXPECT_FALSE(FileExists(path)) << path;
    EXPECT_FALSE(FileExists(server));
    EXPECT_FALSE(TestComServerRegistered(server));
    EXPECT_FALSE(product.KeyExists());
}

// Without a restart (No, or nothing locked) the end-to-end tests show ActiveSync started again.
TEST(RunUninstallTest, YesToTheRestartQuestionRestartsAndLeavesActiveSyncStopped) {
    Product product;
    product.Install();
    // The log's ActiveSync record makes the replay tell ActiveSync to quit.
    ASSERT_TRUE(WriteFileBytes(product.log, ReadFileBytes(product.log) + "StopActiveSync: \n"));
    std::string activeSync = product.folder.File("ActiveSync");
    CreateDirectoryA(activeSync.c_str(), nullptr);
    ASSERT_TRUE(CopyActiveSyncStandIns(activeSync));
    TempRegistryKey appPath(HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATHS_KEY);
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATHS_KEY, nullptr,
                                    (activeSync + "\\CEAppMgr.exe").c_str()));
    std::string locked = product.dest + "\\Reader.exe";
    HeldFile holder;
    ASSERT_TRUE(holder.Hold(locked));
    SeamGuard running(activeSyncRunning, 1);

    DriverRun run(product.log, {IDYES, IDYES});
    ASSERT_TRUE(run.inTime);
    EXPECT_EQ(0, run.exitCode);
    ASSERT_EQ(2u, run.boxes.size());
    EXPECT_EQ(product.title + " Uninstallation", run.boxes[1].caption);
    EXPECT_EQ(RESTART_QUESTION, run.boxes[1].text);
    EXPECT_EQ(std::vector<UINT>{EWX_REBOOT}, restarts);
    EXPECT_EQ(0, activeSyncRunning);
    EXPECT_EQ("start /quit\nend /quit\n", WcesmgrRecord(activeSync));
    EXPECT_TRUE(FileExists(locked));
    EXPECT_FALSE(FileExists(product.dest + "\\doc\\Help.txt"));
    EXPECT_FALSE(product.KeyExists());
    holder.Release();
}

// /NORESTART: the caller restarts; it learns of the need from the exit code.
TEST(RunUninstallTest, NoRestartAsksNoRestartQuestionAndEndsWith3010WhenAFileStays) {
    Product product;
    product.Install();
    std::string locked = product.dest + "\\Reader.exe";
    HeldFile holder;
    ASSERT_TRUE(holder.Hold(locked));
    DriverRun run(product.log, {IDYES}, GetModuleHandleA(nullptr), false, true);
    ASSERT_TRUE(run.inTime);
    EXPECT_EQ(3010, run.exitCode);
    ExpectOneBox(run, product.title + " Uninstallation", product.Confirmation());
    EXPECT_TRUE(restarts.empty());
    EXPECT_TRUE(FileExists(locked));
    EXPECT_FALSE(product.KeyExists());
    holder.Release();
}

TEST(RunUninstallTest, WithoutAProgressWindowTheLogIsStillReplayed) {
    Product product;
    product.Install();
    // A module without the progress dialog's template: the window cannot be made.
    DriverRun run(product.log, {IDYES}, GetModuleHandleA("kernel32.dll"));
    ASSERT_TRUE(run.inTime);
    EXPECT_EQ(0, run.exitCode);
    ExpectOneBox(run, product.title + " Uninstallation", product.Confirmation());
    EXPECT_TRUE(snapshots.empty());
    // Two files, the link, four folders, then both finishing runs.
    EXPECT_EQ(9, pausesWithoutWindow);
    for (const std::string& path : product.Installed())
        EXPECT_FALSE(FileExists(path)) << path;
    EXPECT_FALSE(product.KeyExists());
}

TEST(RunUninstallTest, AQuarterMillionEntriesAreAllUndoneAndTheBarReachesItsEnd) {
    Product product;
    product.Install();
    std::string first = product.dest + "\\first.txt";
    std::string last = product.dest + "\\last.txt";
    ASSERT_TRUE(WriteFileBytes(first, "first"));
    ASSERT_TRUE(WriteFileBytes(last, "last"));
    // Entries of files already gone between the two, more than the bar has steps, in a file
    // larger than 16 MB.
    std::string text = ReadFileBytes(product.log) + "File Copy: " + first + "\n";
    std::string gone = "File Copy: " + product.folder.File("gone") + "\\" + std::string(60, 'g');
    for (int i = 0; i < 250000; ++i)
        text += gone + std::to_string(i) + "\n";
    text += "File Copy: " + last + "\n";
    ASSERT_GT(text.size(), 16u * 1024 * 1024);
    ASSERT_TRUE(WriteFileBytes(product.log, text));

    DriverRun run(product.log, {IDYES});
    ASSERT_TRUE(run.inTime);
    EXPECT_EQ(0, run.exitCode);
    ExpectOneBox(run, product.title + " Uninstallation", product.Confirmation());
    for (const std::string& path : product.Installed())
        EXPECT_FALSE(FileExists(path)) << path;
    EXPECT_FALSE(FileExists(first));
    EXPECT_FALSE(FileExists(last));
    EXPECT_FALSE(product.KeyExists());

    // The newest file is undone first, with the bar at its start; the finishing runs find it at
    // the end of its 16-bit range.
    ASSERT_FALSE(snapshots.empty());
    EXPECT_EQ("Deleting Files...", snapshots.front().stage);
    EXPECT_EQ(0, snapshots.front().position);
    EXPECT_EQ(0xFFFF, snapshots.back().rangeEnd);
    EXPECT_EQ("Finishing...", snapshots.back().stage);
    EXPECT_EQ(snapshots.back().rangeEnd, snapshots.back().position);
}

TEST(RunUninstallTest, SilentRemovalAsksAndShowsNothing) {
    Product product;
    product.Install();
    DriverRun run(product.log, {}, GetModuleHandleA(nullptr), true);
    ASSERT_TRUE(run.inTime);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(snapshots.empty()) << "a progress window was shown";
    for (const std::string& path : product.Installed())
        EXPECT_FALSE(FileExists(path)) << path;
    EXPECT_FALSE(product.KeyExists());
}

TEST(RunUninstallTest, TheWindowAnswersASentMessageThroughoutALongReplay) {
    Product product;
    product.Install();
    // A log as a real install of 1,500 more files writes it: 3,000 entries whose paths exist.
    std::string text = ReadFileBytes(product.log);
    for (int i = 0; i < 1500; ++i) {
        std::string file = product.dest + "\\file" + std::to_string(i) + ".dat";
        ASSERT_TRUE(WriteFileBytes(file, "data"));
        text += "Made Dir: " + product.dest + "\nFile Copy: " + file + "\n";
    }
    ASSERT_TRUE(WriteFileBytes(product.log, text));

    // The pause after each entry is shortened; the finishing steps keep their second.
    UninstallOptions options = DefaultUninstallOptions();
    options.pauses.entryMs = 10;
    options.restartComputer = RecordRestart;
    // Asked every quarter second, as another program would ask it, from the window's appearance
    // to its end.
    std::atomic<bool> done{false};
    int answered = 0;
    int late = 0;
    std::thread asker([&] {
        while (!done) {
            HWND window = FindProgressWindow();
            DWORD_PTR result = 0;
            if (window && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) {
                ++answered;
            } else if (window && GetLastError() == ERROR_TIMEOUT) {
                ++late;
            }
            Sleep(250);
        }
    });
    BoxAnswerer answerer(GetCurrentProcessId(), {IDYES});
    int exitCode = -1;
    bool inTime = CallWithDeadline(3 * RUN_LIMIT_MS, [&] {
        exitCode = RunUninstallWith(GetModuleHandleA(nullptr), product.log.c_str(), options);
    });
    done = true;
    asker.join();
    answerer.Stop();

    ASSERT_TRUE(inTime);
    EXPECT_EQ(0, exitCode);
    // The window never left an ask a second without its answer, finishing steps included.
    EXPECT_EQ(0, late) << "sent messages were not answered within a second";
    EXPECT_GT(answered, 40);
    EXPECT_FALSE(FileExists(product.dest));
}

namespace {
// Asks the progress window to close at the first pause of the file stage, as the taskbar or
// another program would, and notes whether the window took the request while the replay ran.
HWND closedWindow = nullptr;
bool closeServedDuringReplay = false;
void CloseAtFirstFile(DWORD ms) {
    HWND window = FindProgressWindow();
    MSG pending;
    if (closedWindow && window == closedWindow &&
        !PeekMessageA(&pending, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE))
        closeServedDuringReplay = true;
    if (!closedWindow && window &&
        TextWithoutMessage(GetDlgItem(window, IDC_STAGE_LABEL)) == "Deleting Files...") {
        closedWindow = window;
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    Sleep(ms);
}
} // namespace

// The replay serves the window's messages: a close request then must neither end the replay
// half-way nor swallow the restart question.
TEST(RunUninstallTest, ClosingTheWindowDuringTheReplayLetsItFinish) {
    Product product;
    product.Install();
    std::string text = ReadFileBytes(product.log);
    for (int i = 0; i < 100; ++i) {
        std::string file = product.dest + "\\file" + std::to_string(i) + ".dat";
        ASSERT_TRUE(WriteFileBytes(file, "data"));
        text += "File Copy: " + file + "\n";
    }
    ASSERT_TRUE(WriteFileBytes(product.log, text));
    std::string locked = product.dest + "\\Reader.exe";
    HeldFile holder;
    ASSERT_TRUE(holder.Hold(locked));

    UninstallOptions options = TestOptions();
    options.pauses.entryMs = 5;
    options.pauses.pause = CloseAtFirstFile;
    closedWindow = nullptr;
    closeServedDuringReplay = false;
    BoxAnswerer answerer(GetCurrentProcessId(), {IDYES, IDNO});
    int exitCode = -1;
    bool inTime = CallWithDeadline(RUN_LIMIT_MS, [&] {
        exitCode = RunUninstallWith(GetModuleHandleA(nullptr), product.log.c_str(), options);
    });
    std::vector<SeenBox> boxes = answerer.Stop();
    holder.Release();

    ASSERT_TRUE(inTime);
    EXPECT_EQ(0, exitCode);
    ASSERT_NE(nullptr, closedWindow);
    EXPECT_TRUE(closeServedDuringReplay);
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(RESTART_QUESTION, boxes[1].text);
    EXPECT_TRUE(restarts.empty());
    EXPECT_FALSE(FindProgressWindow());
    for (int i = 0; i < 100; ++i)
        EXPECT_FALSE(FileExists(product.dest + "\\file" + std::to_string(i) + ".dat")) << i;
    EXPECT_FALSE(FileExists(product.link));
    EXPECT_FALSE(product.KeyExists());
}
