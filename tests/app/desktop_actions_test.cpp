#include <gtest/gtest.h>
#include <objbase.h>
#include <string.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/desktop_actions.h"
#include "app/install_result.h"
#include "log/install_log_hook.h"
#include "support/desktop_support.h"
#include "system/text.h"

namespace {

using Lines = std::vector<std::string>;

class DesktopActionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CoInitialize(nullptr);
        context.reset(new InstallContext(setup.Path().c_str(), dest.Path().c_str(),
                                         "Orvex Desktop Test", nullptr));
    }
    void TearDown() override {
        context.reset();
        CoUninitialize();
    }
    // Closes the log so that it can be read.
    Lines Entries() {
        context->CloseLog();
        return LogEntries(dest.File("_Install.log"));
    }
    std::string Expanded(const char* text) {
        char out[MAX_PATH];
        context->Expand(text, out, sizeof(out));
        return out;
    }

    TempFolder setup{"orvex setup"};
    TempFolder dest{"orvex dest"};
    std::unique_ptr<InstallContext> context;
};

TEST_F(DesktopActionsTest, CopyTakesSourceFlatFromInstallerFolderAndMakesLevelsOutermostFirst) {
    ASSERT_TRUE(WriteFileBytes(setup.File("data.txt"), "flat source"));
    // A file of the same relative path below the installer folder must not be the source.
    CreateDirectoryA(setup.File("a").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(setup.File("a\\data.txt"), "nested"));

    EXPECT_EQ(RESULT_OK, CopyDesktopFile(*context, "%DEST_PATH%\\a\\b\\c\\data.txt"));

    EXPECT_EQ(setup.File("data.txt"), context->sourcePath);
    EXPECT_EQ(dest.File("a\\b\\c\\data.txt"), context->targetPath);
    EXPECT_EQ("flat source", ReadFileBytes(dest.File("a\\b\\c\\data.txt")));
    EXPECT_EQ((Lines{"Made Dir: " + dest.File("a"), "Made Dir: " + dest.File("a\\b"),
                     "Made Dir: " + dest.File("a\\b\\c"),
                     "File Copy: " + dest.File("a\\b\\c\\data.txt")}),
              Entries());
}

TEST_F(DesktopActionsTest, SystemFolderTargetAndExistingFolderGiveOneMadeDirEntry) {
    PrepareItemPaths(*context, "%SYSTEM%\\OrvexAcme.dll", true);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof(system));
    EXPECT_EQ(setup.File("OrvexAcme.dll"), context->sourcePath);
    EXPECT_EQ(std::string(system) + "\\OrvexAcme.dll", context->targetPath);
    EXPECT_EQ((Lines{std::string("Made Dir: ") + system}), Entries());
}

TEST_F(DesktopActionsTest, ReadOnlyTargetIsReplacedAndBothEndsStayWritable) {
    std::string source = setup.File("tool.dll");
    std::string target = dest.File("tool.dll");
    ASSERT_TRUE(WriteFileBytes(source, "new version"));
    ASSERT_TRUE(WriteFileBytes(target, "old"));
    // As from a CD: the copy would carry the source's read-only attribute along.
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(RESULT_OK, CopyDesktopFile(*context, "%DEST_PATH%\\tool.dll"));

    EXPECT_EQ("new version", ReadFileBytes(target));
    EXPECT_EQ(0u, Attributes(target) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ((Lines{"Made Dir: " + dest.Path(), "File Copy: " + target}), Entries());

    // A new target from the same media is made writable as well.
    ASSERT_TRUE(WriteFileBytes(setup.File("new.dll"), "first"));
    SetFileAttributesA(setup.File("new.dll").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(RESULT_OK, CopyDesktopFile(*context, "%DEST_PATH%\\new.dll"));
    EXPECT_EQ("first", ReadFileBytes(dest.File("new.dll")));
    EXPECT_EQ(0u, Attributes(dest.File("new.dll")) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(DesktopActionsTest, EqualSizeAndTimeSkipCopyButStillLog) {
    std::string source = setup.File("same.bin");
    std::string target = dest.File("same.bin");
    ASSERT_TRUE(WriteFileBytes(source, "AAAA"));
    ASSERT_TRUE(WriteFileBytes(target, "BBBB"));
    FILETIME time;
    ASSERT_TRUE(GetLastWriteTime(source, &time));
    ASSERT_TRUE(SetLastWriteTime(target, time));

    EXPECT_EQ(RESULT_OK, CopyDesktopFile(*context, "%DEST_PATH%\\same.bin"));

    EXPECT_EQ("BBBB", ReadFileBytes(target));
    EXPECT_EQ((Lines{"Made Dir: " + dest.Path(), "File Copy: " + target}), Entries());

    // A different time alone is enough to copy.
    time.dwHighDateTime -= 1;
    ASSERT_TRUE(SetLastWriteTime(target, time));
    EXPECT_EQ(RESULT_OK, CopyDesktopFile(*context, "%DEST_PATH%\\same.bin"));
    EXPECT_EQ("AAAA", ReadFileBytes(target));
}

TEST_F(DesktopActionsTest, MissingSourceGivesMinus7WithItsName) {
    EXPECT_EQ(RESULT_SOURCE_MISSING, CopyDesktopFile(*context, "%DEST_PATH%\\sub\\absent.dll"));
    EXPECT_STREQ("absent.dll", context->failedFileName);
    EXPECT_EQ((Lines{"Made Dir: " + dest.File("sub")}), Entries());
}

TEST_F(DesktopActionsTest, PathWithoutFileNameIsMissingSourceAndTouchesNothing) {
    // A relative target would land in the current folder, here the destination.
    ASSERT_TRUE(WriteFileBytes(setup.File("plain.txt"), "source"));
    ASSERT_TRUE(WriteFileBytes(dest.File("plain.txt"), "keep"));
    {
        CurrentFolder inDest(dest.Path());
        EXPECT_EQ(RESULT_SOURCE_MISSING, CopyDesktopFile(*context, "plain.txt"));
        EXPECT_STREQ("plain.txt", context->failedFileName);
        EXPECT_EQ(RESULT_SOURCE_MISSING, CopyDesktopFile(*context, ""));
        EXPECT_EQ(RESULT_SOURCE_MISSING, CopyDesktopFile(*context, "%DEST_PATH%\\"));
    }

    EXPECT_EQ("keep", ReadFileBytes(dest.File("plain.txt")));
    EXPECT_FALSE(FileExists(dest.File("_Install.log")));
}

TEST_F(DesktopActionsTest, OverlongPathsAreRefusedWithinTheBuffers) {
    std::string longName(240, 'n');
    ASSERT_TRUE(WriteFileBytes(setup.File("short.txt"), "x"));

    // The target does not fit: refused rather than cut into another file's name.
    std::string deep = "%DEST_PATH%\\" + std::string(250, 'd') + "\\short.txt";
    EXPECT_EQ(RESULT_COPY_FAILED, CopyDesktopFile(*context, deep.c_str()));
    EXPECT_STREQ("short.txt", context->failedFileName);
    EXPECT_EQ('\0', context->targetPath[0]);

    // The source does not fit beside the installer folder.
    std::string wide = "%DEST_PATH%\\" + longName;
    EXPECT_EQ(RESULT_SOURCE_MISSING, CopyDesktopFile(*context, wide.c_str()));
    EXPECT_EQ(63u, strlen(context->failedFileName));
    EXPECT_LT(strlen(context->sourcePath), sizeof(context->sourcePath));

    EXPECT_EQ((Lines{}), Entries());
}

// A target held by another program, or a copy that fails half-way (its source held): the old
// target stays as it was and no temporary file is left beside it.
TEST_F(DesktopActionsTest, ACopyThatFailsLeavesTheOldTargetAndNothingBesideIt) {
    for (bool holdSource : {false, true}) {
        SCOPED_TRACE(holdSource ? "source held" : "target held");
        std::string name = holdSource ? "busy2.dll" : "busy.dll";
        std::string target = dest.File(name);
        ASSERT_TRUE(WriteFileBytes(setup.File(name), "new"));
        ASSERT_TRUE(WriteFileBytes(target, "in use"));
        HeldFile held;
        ASSERT_TRUE(held.Hold(holdSource ? setup.File(name) : target));

        EXPECT_EQ(RESULT_COPY_FAILED, CopyDesktopFile(*context, ("%DEST_PATH%\\" + name).c_str()));
        EXPECT_EQ(name, context->failedFileName);
        held.Release();
        EXPECT_EQ("in use", ReadFileBytes(target));
    }
    EXPECT_EQ((Lines{"Made Dir: " + dest.Path(), "File Copy: " + dest.File("busy.dll"),
                     "Made Dir: " + dest.Path(), "File Copy: " + dest.File("busy2.dll")}),
              Entries());
    WIN32_FIND_DATAA found;
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(dest.File("*.tmp").c_str(), &found));
}

TEST_F(DesktopActionsTest, MakeDirectoryPathExpandsMacrosAndGivesUpWithoutExistingRoot) {
    EXPECT_TRUE(MakeDirectoryPath(*context, "%DEST_PATH%\\x\\y\\file.txt", true));
    EXPECT_TRUE(FileExists(dest.File("x\\y")));
    EXPECT_FALSE(FileExists(dest.File("x\\y\\file.txt")));
    const FixedPlace stray("nowhere-orvex");
    EXPECT_FALSE(MakeDirectoryPath(*context, "nowhere-orvex", false));
    EXPECT_FALSE(FileExists("nowhere-orvex"));
    EXPECT_EQ((Lines{"Made Dir: " + dest.File("x"), "Made Dir: " + dest.File("x\\y")}), Entries());
}

TEST_F(DesktopActionsTest, StartMenuShortcutMakesItsGroupBeforeTheLink) {
    std::string group = Expanded("%STARTMENU%\\Orvex Test Group");
    RemoveTree(group);
    ASSERT_FALSE(FileExists(group));
    ASSERT_TRUE(WriteFileBytes(dest.File("reader.exe"), "MZ"));

    EXPECT_TRUE(CreateShortcut(*context, "Orvex Reader", "Orvex Test Group",
                               "%DEST_PATH%\\reader.exe", "/open %DEST_PATH%\\notes.txt", 2));

    std::string linkPath = group + "\\Orvex Reader.lnk";
    SavedShortcut link;
    bool loaded = ReadShortcut(linkPath, &link);
    Lines entries = Entries();
    RemoveTree(group);
    ASSERT_TRUE(loaded) << linkPath;
    EXPECT_TRUE(EqualNoCase(dest.File("reader.exe").c_str(), link.path.c_str())) << link.path;
    EXPECT_EQ("/open " + dest.File("notes.txt"), link.arguments);
    EXPECT_EQ("Orvex Reader", link.description);
    EXPECT_EQ(dest.File("reader.exe"), link.iconPath);
    EXPECT_EQ(2, link.iconIndex);
    EXPECT_EQ((Lines{"Made Dir: " + group, "Shell Link: " + linkPath}), entries);
}

TEST_F(DesktopActionsTest, DesktopAndSendToShortcutsMakeNoFolder) {
    ASSERT_TRUE(WriteFileBytes(dest.File("viewer.exe"), "MZ"));
    std::string desktopLink = Expanded("%DESKTOP%\\Orvex Viewer.lnk");
    std::string sendToLink = Expanded("%SENDTO%\\Orvex Send.lnk");

    EXPECT_TRUE(CreateDesktopShortcut(*context, "Orvex Viewer", "%DEST_PATH%\\viewer.exe", "", 0));
    EXPECT_TRUE(CreateSendToShortcut(*context, "Orvex Send", "%DEST_PATH%\\viewer.exe", "", 0));
    // A link name that does not fit beside its folder is refused, not cut.
    std::string longName(250, 'L');
    EXPECT_FALSE(
        CreateDesktopShortcut(*context, longName.c_str(), "%DEST_PATH%\\viewer.exe", "", 0));
    // A folder named by a macro is used as it is, never made.
    EXPECT_FALSE(CreateShortcut(*context, "Orvex Nowhere", "%DEST_PATH%\\links",
                                "%DEST_PATH%\\viewer.exe", "", 0));

    SavedShortcut desktop;
    SavedShortcut sendTo;
    bool desktopLoaded = ReadShortcut(desktopLink, &desktop);
    bool sendToLoaded = ReadShortcut(sendToLink, &sendTo);
    DeleteFileA(desktopLink.c_str());
    DeleteFileA(sendToLink.c_str());
    ASSERT_TRUE(desktopLoaded) << desktopLink;
    ASSERT_TRUE(sendToLoaded) << sendToLink;
    EXPECT_EQ("", desktop.arguments);
    EXPECT_EQ("", desktop.iconPath);
    EXPECT_EQ("Orvex Viewer", desktop.description);
    EXPECT_EQ("Orvex Send", sendTo.description);
    EXPECT_TRUE(EqualNoCase(dest.File("viewer.exe").c_str(), sendTo.path.c_str()));
    EXPECT_FALSE(FileExists(dest.File("links")));
    EXPECT_EQ((Lines{"Shell Link: " + desktopLink, "Shell Link: " + sendToLink}), Entries());
}

} // namespace

namespace {
// A log on a full disk: no line is written.
BOOL WINAPI WriteNothing(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
    *written = 0;
    return FALSE;
}

// Notes whether the folder or link a line names was already there when its line was written.
const std::string* watchedPath = nullptr;
int watchedLines = 0;
int madeBeforeItsLine = 0;
BOOL WINAPI WriteNotingOrder(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                             LPOVERLAPPED overlapped) {
    std::string line(static_cast<const char*>(data), size);
    if (line.find(" " + *watchedPath + "\n") != std::string::npos) {
        ++watchedLines;
        madeBeforeItsLine += FileExists(*watchedPath);
    }
    return WriteFile(file, data, size, written, overlapped);
}
} // namespace

// A run ended by force between a line and its action leaves nothing the log does not name.
TEST_F(DesktopActionsTest, AFolderOrLinkIsMadeOnlyAfterItsLine) {
    const struct {
        const char* action;
        std::function<bool(InstallContext&)> run;
        std::string made;
    } cases[] = {
        {"folder",
         [&](InstallContext& c) {
             return MakeDirectoryPath(c, dest.File("new\\inner").c_str(), false);
         },
         dest.File("new")},
        {"link",
         [](InstallContext& c) {
             return CreateShortcut(c, "Orvex Undone", "%DEST_PATH%", "%WINDOWS%\\notepad.exe", "",
                                   0);
         },
         dest.File("Orvex Undone.lnk")},
    };
    for (const auto& row : cases) {
        InstallContext fresh(setup.Path().c_str(), dest.Path().c_str(), "Orvex Desktop Test",
                             nullptr);
        {
            SeamGuard fullDisk(writeLogFile, WriteNothing);
            EXPECT_FALSE(row.run(fresh)) << row.action;
        }
        EXPECT_TRUE(fresh.Stopped()) << row.action;
        EXPECT_FALSE(FileExists(row.made)) << row.action;
        fresh.CloseLog();
        DeleteFileA(dest.File("_Install.log").c_str());

        InstallContext logged(setup.Path().c_str(), dest.Path().c_str(), "Orvex Desktop Test",
                              nullptr);
        watchedPath = &row.made;
        watchedLines = 0;
        madeBeforeItsLine = 0;
        {
            SeamGuard noting(writeLogFile, WriteNotingOrder);
            EXPECT_TRUE(row.run(logged)) << row.action;
        }
        EXPECT_TRUE(FileExists(row.made)) << row.action;
        EXPECT_EQ(1, watchedLines) << row.action;
        EXPECT_EQ(0, madeBeforeItsLine) << row.action;
        logged.CloseLog();
        RemoveTree(row.made);
        DeleteFileA(dest.File("_Install.log").c_str());
    }
}
