#include <gtest/gtest.h>

#include <ctype.h>
#include <string.h>

#include <string>

#include "log/log_format.h"
#include "support/test_support.h"
#include "system/message_box.h"
#include "system/win_handles.h"
#include "uninstall/uninstall_log.h"

namespace {

const char HEADER[] = "***  Installation Started 03/09/2004 14:05  ***\n"
                      "Title: Acme Reader Installation\n"
                      "Source: C:\\Program Files\\Acme\\Reader\n";

// Reads bytes written to a scratch log file.
struct ReadLog {
    explicit ReadLog(const std::string& bytes) {
        path = folder.File("_Install.log");
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        ReadUninstallLog(path.c_str(), &log);
    }
    TempFolder folder{"orvex-log"};
    std::string path;
    UninstallLog log;
};

void ExpectEmpty(const UninstallLog& log) {
    EXPECT_STREQ("", log.title);
    EXPECT_STREQ("", log.sourceFolder);
    EXPECT_EQ(0, log.EntryCount());
}

} // namespace

TEST(ReadUninstallLogTest, HeaderAndEveryLineKindInFileOrder) {
    std::string bytes = "***  Installation Started 03/09/2004 14:05  ***\r\n"
                        "Title: Acme Reader Installation\r\n"
                        "Source:   C:\\Program Files\\Acme\\Reader \t\r\n"
                        "Made Dir: C:\\Program Files\\Acme\\Reader\n"
                        "\n"
                        "file copy:   C:\\Program Files\\Acme\\Reader\\Reader.exe\r\n"
                        " File Copy: C:\\blank-before.txt\n"
                        "no keyword here\n"
                        "StopActiveSync: \n"
                        "REGSVR32: C:\\WINDOWS\\SYSTEM\\ReaderSync.dll\n"
                        "UnregSvr32: C:\\u.dll\n"
                        "File Del: C:\\d.txt\n"
                        "Del Dir: C:\\dd\n"
                        "\r\n"
                        "Shell Link: C:\\Menu\\Reader.lnk";
    captionTitle = nullptr;
    {
        ReadLog read(bytes);
        const UninstallLog& log = read.log;
        EXPECT_STREQ(read.path.c_str(), log.logPath);
        EXPECT_STREQ("Acme Reader", log.title);
        EXPECT_EQ(log.title, captionTitle);
        EXPECT_STREQ("C:\\Program Files\\Acme\\Reader", log.sourceFolder);
        EXPECT_FALSE(log.deleteFailed);

        struct Expected {
            int32_t kind;
            const char* path;
        };
        // A line of only a carriage return is not empty: it becomes an entry without keyword.
        const Expected expected[] = {
            {LOG_MADE_DIR, "C:\\Program Files\\Acme\\Reader"},
            {LOG_FILE_COPY, "C:\\Program Files\\Acme\\Reader\\Reader.exe"},
            {LOG_NONE, ""},
            {LOG_NONE, ""},
            {LOG_STOP_ACTIVESYNC, ""},
            {LOG_REGSVR32, "C:\\WINDOWS\\SYSTEM\\ReaderSync.dll"},
            {LOG_UNREGSVR32, "C:\\u.dll"},
            {LOG_FILE_DEL, "C:\\d.txt"},
            {LOG_DEL_DIR, "C:\\dd"},
            {LOG_NONE, ""},
            // The last line has no line feed: it was cut while it was written and names nothing.
        };
        ASSERT_EQ(static_cast<int32_t>(sizeof(expected) / sizeof(expected[0])), log.EntryCount());
        for (int32_t i = 0; i < log.EntryCount(); ++i) {
            EXPECT_EQ(expected[i].kind, log.Entry(i)->kind) << "entry " << i;
            EXPECT_STREQ(expected[i].path, log.Entry(i)->path) << "entry " << i;
        }
    }
    // The caption must not keep pointing into a log that is gone.
    EXPECT_EQ(nullptr, captionTitle);
}

TEST(ReadUninstallLogTest, HeaderMismatchStopsAtTheLineThatFails) {
    const std::string entries = "File Copy: C:\\a.txt\n";
    // The header texts are compared with regard to case.
    ReadLog badFirst("***  installation started 03/09/2004 14:05  ***\n"
                     "Title: Acme Installation\nSource: C:\\Acme\n" +
                     entries);
    ExpectEmpty(badFirst.log);
    EXPECT_STREQ(badFirst.path.c_str(), badFirst.log.logPath);

    ReadLog badTitle("***  Installation Started 03/09/2004 14:05  ***\n"
                     "title: Acme Installation\nSource: C:\\Acme\n" +
                     entries);
    ExpectEmpty(badTitle.log);

    // The title read before the failing line stays; the folder and entries do not come.
    ReadLog badSource("***  Installation Started 03/09/2004 14:05  ***\n"
                      "Title: Acme Installation\n\nSource: C:\\Acme\n" +
                      entries);
    EXPECT_STREQ("Acme", badSource.log.title);
    EXPECT_STREQ("", badSource.log.sourceFolder);
    EXPECT_EQ(0, badSource.log.EntryCount());

    // Appended to an existing empty file, entries come without any header.
    ReadLog headless(entries);
    ExpectEmpty(headless.log);

    ReadLog headerOnly(HEADER);
    EXPECT_STREQ("Acme Reader", headerOnly.log.title);
    EXPECT_EQ(0, headerOnly.log.EntryCount());
    captionTitle = nullptr;
}

TEST(ReadUninstallLogTest, FilesThatCannotBeReadGiveAnEmptyLog) {
    TempFolder folder("orvex-log");
    UninstallLog log;
    std::string missing = folder.File("missing.log");
    ReadUninstallLog(missing.c_str(), &log);
    EXPECT_STREQ(missing.c_str(), log.logPath);
    ExpectEmpty(log);

    ReadUninstallLog(folder.Path().c_str(), &log);
    ExpectEmpty(log);

    ReadLog empty("");
    ExpectEmpty(empty.log);

    // Reading again starts from nothing.
    ReadLog filled(std::string(HEADER) + "File Copy: C:\\a.txt\n");
    ReadUninstallLog(missing.c_str(), &filled.log);
    ExpectEmpty(filled.log);

    // A path that does not fit is refused rather than cut to the name of another file.
    std::string tooLong = folder.File(std::string(300, 'x'));
    ReadUninstallLog(tooLong.c_str(), &log);
    EXPECT_STREQ("", log.logPath);
    captionTitle = nullptr;
}

TEST(ReadUninstallLogTest, TitleLosesOnlyTheInstallationSuffixAndIsCut) {
    ReadLog ownWord("***  Installation Started 03/09/2004 14:05  ***\n"
                    "Title: Acme Installation Kit Installation\nSource: C:\\Acme\n");
    EXPECT_STREQ("Acme Installation Kit", ownWord.log.title);

    ReadLog smallLetters("***  Installation Started 03/09/2004 14:05  ***\n"
                         "Title: Acme installation\nSource: C:\\Acme\n");
    EXPECT_STREQ("Acme installation", smallLetters.log.title);

    // Titles with outer blanks (an empty Company or Application) name their uninstall key as
    // written; a carriage return behind the suffix does not change that.
    ReadLog noApplication("***  Installation Started 03/09/2004 14:05  ***\n"
                          "Title: Acme  Installation\r\nSource: C:\\Acme\n");
    EXPECT_STREQ("Acme ", noApplication.log.title);
    ReadLog blank("***  Installation Started 03/09/2004 14:05  ***\n"
                  "Title:   Installation\nSource: C:\\Acme\n");
    EXPECT_STREQ(" ", blank.log.title);

    std::string longTitle(1000, 'T');
    ReadLog cut("***  Installation Started 03/09/2004 14:05  ***\nTitle: " + longTitle +
                " Installation\nSource: " + std::string(1000, 'S') + "\nFile Copy: C:\\a\n");
    EXPECT_EQ(std::string(127, 'T'), cut.log.title);
    EXPECT_EQ(std::string(259, 'S'), cut.log.sourceFolder);
    ASSERT_EQ(1, cut.log.EntryCount());
    EXPECT_STREQ("C:\\a", cut.log.Entry(0)->path);
    captionTitle = nullptr;
}

TEST(ParseLogEntryTest, EveryKeywordInAnyCaseWithItsValueTrimmed) {
    LogEntry entry;
    for (const LogKeyword& keyword : logKeywords) {
        std::string text = keyword.text;
        for (char& c : text)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        text += "\t C:\\x y \r";
        ParseLogEntry(&text[0], &entry);
        EXPECT_EQ(keyword.code, entry.kind) << keyword.text;
        EXPECT_STREQ("C:\\x y", entry.path) << keyword.text;
    }
    // A previous entry's content does not survive a line without keyword; a value is a path
    // only while it fits in one.
    const struct {
        std::string line;
        int32_t kind;
        std::string path;
    } cases[] = {
        {"File Cop: C:\\x", LOG_NONE, ""},
        {"File Copy: " + std::string(MAX_PATH - 1, 'p') + " ", LOG_FILE_COPY,
         std::string(MAX_PATH - 1, 'p')},
        {"File Copy: " + std::string(MAX_PATH, 'p'), LOG_NONE, ""},
    };
    for (const auto& c : cases) {
        std::string line = c.line;
        ParseLogEntry(&line[0], &entry);
        EXPECT_EQ(c.kind, entry.kind) << c.line.size();
        EXPECT_EQ(c.path, entry.path) << c.line.size();
    }
}

TEST(ReadUninstallLogTest, GarbageOfAnyShapeIsReadSafely) {
    // Binary garbage, with and without a valid header in front.
    std::string garbage;
    unsigned seed = 12345;
    for (int i = 0; i < 64 * 1024; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(seed >> 16));
    }
    ReadLog raw(garbage);
    ExpectEmpty(raw.log);
    ReadLog headed(std::string(HEADER) + garbage);
    EXPECT_STREQ("Acme Reader", headed.log.title);
    EXPECT_GT(headed.log.EntryCount(), 0);

    // No line feed at all, and a single line far longer than any buffer.
    ReadLog noFeed(std::string(100 * 1024, 'A'));
    ExpectEmpty(noFeed.log);
    // A value longer than any path names no file the installer wrote: cut, it could name another.
    ReadLog longLine(std::string(HEADER) + "Made Dir: " + std::string(100 * 1024, 'd') + "\n");
    ASSERT_EQ(1, longLine.log.EntryCount());
    EXPECT_EQ(LOG_NONE, longLine.log.Entry(0)->kind);
    EXPECT_STREQ("", longLine.log.Entry(0)->path);
    captionTitle = nullptr;
}

TEST(ReadUninstallLogTest, EveryLineOfALongLogIsKept) {
    // Three million empty lines are skipped; the entry behind them is still found.
    ReadLog blank(std::string(HEADER) + std::string(3000000, '\n') + "File Copy: C:\\last\n");
    ASSERT_EQ(1, blank.log.EntryCount());
    EXPECT_STREQ("C:\\last", blank.log.Entry(0)->path);

    // Far more lines than a progress bar has steps, in a file larger than any fixed limit.
    std::string lines(HEADER);
    const int32_t count = 2000000;
    for (int32_t i = 0; i < count; ++i)
        lines += "File Copy: C:\\" + std::to_string(i) + "\n";
    ReadLog many(lines);
    EXPECT_FALSE(many.log.incomplete);
    ASSERT_EQ(count, many.log.EntryCount());
    EXPECT_STREQ("C:\\0", many.log.Entry(0)->path);
    EXPECT_EQ(LOG_FILE_COPY, many.log.Entry(count - 1)->kind);
    EXPECT_STREQ("C:\\1999999", many.log.Entry(count - 1)->path);
    captionTitle = nullptr;
}

TEST(ReadUninstallLogTest, AFileTooLargeToHoldIsMarkedIncomplete) {
    TempFolder folder("orvex-log");
    std::string path = folder.File("_Install.log");
    ASSERT_TRUE(WriteFileBytes(path, HEADER));
    {
        // Sparse: the size is set without writing the bytes.
        FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        LONG high = 1;
        ASSERT_NE(INVALID_SET_FILE_POINTER, SetFilePointer(file.Get(), 16, &high, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file.Get()));
    }
    UninstallLog log;
    ReadUninstallLog(path.c_str(), &log);
    EXPECT_TRUE(log.incomplete);
    EXPECT_EQ(0, log.EntryCount());
    // Reading again starts from nothing.
    ReadUninstallLog(folder.File("missing.log").c_str(), &log);
    EXPECT_FALSE(log.incomplete);
    captionTitle = nullptr;
}
