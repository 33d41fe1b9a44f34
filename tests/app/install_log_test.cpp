#include <gtest/gtest.h>

#include <string.h>

#include <memory>
#include <string>

#include "app/install_context.h"
#include "log/install_log.h"
#include "log/install_log_hook.h"
#include "log/log_format.h"
#include "support/test_support.h"
#include "system/whole_file.h"

namespace {
std::string StartedLine(const SYSTEMTIME& utc) {
    char line[292];
    FormatLogStartedLine(utc, line, sizeof(line));
    return line;
}

std::string Header(const std::string& startedLine, const std::string& title,
                   const std::string& source) {
    return startedLine + "Title: " + title + " Installation\n" + "Source: " + source + "\n";
}

// Opening the log for reading fails while a run holds it.
bool LockedByWriter(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(file);
    return false;
}

class InstallLogTest : public ::testing::Test {
  protected:
    InstallLogTest() : dest_("orvex dest"), log_(dest_.File("_Install.log")) {}
    TempFolder installer_{"orvexinst"};
    TempFolder dest_;
    std::string log_;
};
} // namespace

TEST(InstallLogLinesTest, FormatsHeaderAndEntryLines) {
    SYSTEMTIME march{};
    march.wYear = 2004;
    march.wMonth = 3;
    march.wDay = 9;
    march.wHour = 14;
    march.wMinute = 5;
    EXPECT_EQ("***  Installation Started 03/09/2004 14:05  ***\n", StartedLine(march));

    // Cut, a line still ends with its line feed.
    char line[292];
    std::string tooLong(400, 'v');
    EXPECT_EQ(291u, FormatLogEntryLine("File Copy:", tooLong.c_str(), line, sizeof(line)));
    EXPECT_EQ('\n', line[290]);
}

TEST_F(InstallLogTest, FirstRunWritesHeaderAtFirstEntryAndExactLines) {
    std::string longValue = "C:\\" + std::string(256, 'v');
    ASSERT_EQ(259u, longValue.size());
    SYSTEMTIME before, after;
    std::string bytes;
    {
        InstallContext context(installer_.Path().c_str(), dest_.Path().c_str(), "Acme Reader",
                               nullptr);
        EXPECT_FALSE(FileExists(log_)) << "the log exists before its first entry";
        GetSystemTime(&before);
        context.WriteEntry(LogKeywordText(LOG_MADE_DIR), dest_.Path().c_str());
        GetSystemTime(&after);
        context.WriteEntry(LogKeywordText(LOG_FILE_COPY), longValue.c_str());
        context.WriteEntry(LogKeywordText(LOG_STOP_ACTIVESYNC), nullptr);
        context.WriteEntry(LogKeywordText(LOG_SHELL_LINK), "C:\\Links\\Reader.lnk");
        EXPECT_TRUE(LockedByWriter(log_));
        context.CloseLog();
        EXPECT_FALSE(LockedByWriter(log_));
        bytes = ReadFileBytes(log_);
        // After CloseLog a later entry opens the file again, without a second header.
        context.WriteEntry(LogKeywordText(LOG_REGSVR32), "C:\\x.dll");
    }
    std::string started = bytes.substr(0, bytes.find('\n') + 1);
    EXPECT_TRUE(started == StartedLine(before) || started == StartedLine(after)) << started;
    std::string body = "Made Dir: " + dest_.Path() + "\n" + "File Copy: " + longValue + "\n" +
                       "StopActiveSync: \n" + "Shell Link: C:\\Links\\Reader.lnk\n";
    EXPECT_EQ(Header(started, "Acme Reader", dest_.Path()) + body, bytes);
    EXPECT_EQ(bytes + "RegSvr32: C:\\x.dll\n", ReadFileBytes(log_));
}

TEST_F(InstallLogTest, LaterRunsStartOnANewLineAndAnEmptyLogGetsItsHeader) {
    {
        InstallContext first(installer_.Path().c_str(), dest_.Path().c_str(), "Acme", nullptr);
        EXPECT_TRUE(first.WriteEntry(LogKeywordText(LOG_FILE_COPY), "C:\\a.txt"));
    }
    std::string firstRun = ReadFileBytes(log_);
    ASSERT_FALSE(firstRun.empty());
    std::string header = firstRun.substr(0, firstRun.size() - strlen("File Copy: C:\\a.txt\n"));
    // Earlier contents, and what a second run makes of them.
    const struct {
        std::string before;
        std::string after;
    } cases[] = {
        {firstRun, firstRun + "File Copy: C:\\b.txt\n"},
        {firstRun + "File Co", firstRun + "File Co\nFile Copy: C:\\b.txt\n"},
        {"", header + "File Copy: C:\\b.txt\n"},
    };
    // Held first (a reinstall in place checks the log before adding to it), the log keeps other
    // writers out, is read as it is, and takes the run's lines through the same handle.
    for (bool held : {false, true})
        for (const auto& row : cases) {
            ASSERT_TRUE(WriteFileBytes(log_, row.before));
            {
                InstallContext second(installer_.Path().c_str(), dest_.Path().c_str(), "Acme",
                                      nullptr);
                HANDLE file = held ? second.HoldLog() : INVALID_HANDLE_VALUE;
                if (held) {
                    std::unique_ptr<char[]> bytes;
                    DWORD size = 0;
                    ASSERT_EQ(WHOLE_FILE_READ, ReadWholeHandle(file, 0, &bytes, &size));
                    EXPECT_EQ(row.before, std::string(bytes.get(), size));
                    EXPECT_TRUE(LockedByWriter(log_));
                }
                EXPECT_TRUE(second.WriteEntry(LogKeywordText(LOG_FILE_COPY), "C:\\b.txt"));
                EXPECT_EQ(held, file == second.fileHandle.Get());
            }
            std::string bytes = ReadFileBytes(log_);
            // The header's time may have moved on.
            if (row.before.empty())
                bytes.replace(0, bytes.find('\n'), firstRun.substr(0, firstRun.find('\n')));
            EXPECT_EQ(row.after, bytes) << row.before << held;
        }
}

// A disk with room for half a line.
BOOL WINAPI WriteHalf(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    return WriteFile(file, data, size / 2, written, nullptr);
}

TEST_F(InstallLogTest, ALineThatCannotBeWrittenWholeStopsTheLog) {
    InstallContext context(installer_.Path().c_str(), dest_.Path().c_str(), "Acme", nullptr);
    ASSERT_TRUE(context.WriteEntry(LogKeywordText(LOG_FILE_COPY), "C:\\a.txt"));
    context.CloseLog();
    std::string whole = ReadFileBytes(log_);
    SeamGuard halfLines(writeLogFile, WriteHalf);
    EXPECT_FALSE(context.WriteEntry(LogKeywordText(LOG_FILE_COPY), "C:\\b.txt"));
    EXPECT_TRUE(context.linesLost);
    EXPECT_TRUE(context.Stopped());
    // Nothing more is written once a line was lost, and the cut part is taken back.
    EXPECT_FALSE(context.WriteEntry(LogKeywordText(LOG_FILE_COPY), "C:\\c.txt"));
    EXPECT_FALSE(context.WriteFolder("C:\\made", true));
    context.CloseLog();
    EXPECT_EQ(whole, ReadFileBytes(log_));
}

TEST_F(InstallLogTest, NothingIsWrittenWithoutTitleAndTheLogMakesItsOwnFolder) {
    for (const char* title : {static_cast<const char*>(nullptr), ""}) {
        InstallContext context(installer_.Path().c_str(), dest_.Path().c_str(), title, nullptr);
        EXPECT_STREQ("", context.fileName);
        EXPECT_TRUE(context.WriteEntry(LogKeywordText(LOG_FILE_COPY), "C:\\a.txt"));
        EXPECT_EQ(INVALID_HANDLE_VALUE, context.OpenLog());
    }
    EXPECT_FALSE(FileExists(log_));

    std::string later = dest_.File("Later");
    InstallContext context(installer_.Path().c_str(), later.c_str(), "Acme", nullptr);
    // A folder that was there already records nothing before the log exists.
    EXPECT_TRUE(context.WriteFolder("C:\\lost", false));
    // Folders the run made wait for the log and come first, in the order they were made; the
    // first entry that names an action makes the log's folder.
    context.WriteFolder("C:\\made", true);
    context.WriteFolder("C:\\made\\inner", true);
    EXPECT_FALSE(FileExists(later));
    EXPECT_TRUE(context.WriteEntry(LogKeywordText(LOG_FILE_COPY), "C:\\x.txt"));
    context.WriteFolder("C:\\after", true);
    context.CloseLog();
    std::string bytes = ReadFileBytes(later + "\\_Install.log");
    std::string started = bytes.substr(0, bytes.find('\n') + 1);
    EXPECT_EQ(Header(started, "Acme", later) +
                  "Made Dir: C:\\made\nMade Dir: C:\\made\\inner\nMade Dir: " + later +
                  "\nFile Copy: C:\\x.txt\nMade Dir: C:\\after\n",
              bytes);
}
