#include <gtest/gtest.h>

#include <string>

#include "app/install_context.h"
#include "log/log_format.h"
#include "support/test_support.h"
#include "system/path_macros_testing.h"

TEST(InstallContextTest, BuildsTheRecordAndPointsTheLogIntoIt) {
    std::string longTitle(200, 't');
    HWND owner = reinterpret_cast<HWND>(0x1234);
    InstallContext context("C:\\Setup Folder", "%WINDOWS%\\Acme Reader", longTitle.c_str(), owner);
    const std::string dest = WindowsFolder() + "\\Acme Reader";
    EXPECT_EQ(dest, context.destPath);
    EXPECT_EQ(dest + "\\_Install.log", context.fileName);
    EXPECT_EQ(std::string(127, 't'), context.productTitle);
    EXPECT_EQ(context.productTitle, context.title);
    EXPECT_EQ(context.destPath, context.source);
    EXPECT_STREQ("C:\\Setup Folder", context.installerFolder);
    EXPECT_STREQ("", context.failedFileName);
    EXPECT_EQ(owner, context.ownerWindow);
    EXPECT_FALSE(context.fileHandle);

    // One separator behind a drive root; no log where the destination names nothing or the
    // log's path would not fit.
    EXPECT_STREQ("C:\\_Install.log", InstallContext("", "C:\\", "Acme", nullptr).fileName);
    EXPECT_STREQ("", InstallContext("", "%UNKNOWN%", "Acme", nullptr).fileName);
    std::string deep = "C:\\" + std::string(250, 'd');
    EXPECT_STREQ("", InstallContext("", deep.c_str(), "Acme", nullptr).fileName);
}

TEST(InstallContextTest, DestroyingThroughEitherBaseClosesTheLogAndReleasesTheShell) {
    TempFolder dest("orvexctx");
    const std::string log = dest.File(LOG_FILE_NAME);
    int liveBefore = InspectShellFolderBinding().liveObjects;

    InstallLog* asLog = new InstallContext("", dest.Path().c_str(), "Acme", nullptr);
    EXPECT_EQ(liveBefore + 1, InspectShellFolderBinding().liveObjects);
    asLog->WriteEntry(LogKeywordText(LOG_FILE_COPY), "C:\\a");
    EXPECT_EQ("", ReadFileBytes(log)) << "the log should be locked while open";
    delete asLog;
    EXPECT_EQ(liveBefore, InspectShellFolderBinding().liveObjects);
    std::string firstRun = ReadFileBytes(log);
    EXPECT_NE(std::string::npos, firstRun.find("File Copy: C:\\a\n"));

    PathMacros* asMacros = new InstallContext("", dest.Path().c_str(), "Acme", nullptr);
    static_cast<InstallContext*>(asMacros)->WriteEntry(LogKeywordText(LOG_FILE_COPY), "C:\\b");
    delete asMacros;
    EXPECT_EQ(liveBefore, InspectShellFolderBinding().liveObjects);
    EXPECT_EQ(firstRun + "File Copy: C:\\b\n", ReadFileBytes(log));
}
