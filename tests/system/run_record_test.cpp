#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "support/message_boxes.h"
#include "support/test_support.h"
#include "system/message_box.h"
#include "system/run_record.h"
#include "system/run_record_hook.h"

TEST(RunRecordTest, LinesCarryTheLocalTimeAndKeepOneEventEach) {
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 8;
    time.wHour = 9;
    time.wMinute = 5;
    time.wSecond = 7;
    char line[64];
    FormatRunRecordLine(time, "Acme Installation: ", "ERROR: one.\n\nSetup\r\nis", line,
                        sizeof(line));
    EXPECT_STREQ("2026-12-08 09:05:07 Acme Installation: ERROR: one.  Setup  is\r\n", line);
    // A cut keeps the line end.
    FormatRunRecordLine(time, std::string(100, 'x').c_str(), nullptr, line, sizeof(line));
    EXPECT_EQ("2026-12-08 09:05:07 " + std::string(41, 'x') + "\r\n", std::string(line));
}

// A silent run's messages go to the record instead of a box, answered as a silent run answers.
TEST(RunRecordTest, UnattendedMessagesAreRecordedAppendedAndAnsweredWithoutABox) {
    TempFolder folder("runrecord");
    std::string path = folder.File("record.txt");
    ASSERT_TRUE(WriteFileBytes(path, "earlier run\r\n"));
    ASSERT_TRUE(OpenRunRecord(path.c_str()));
    const char* savedTitle = captionTitle;
    captionTitle = "Acme Reader";
    // A box shown by mistake is answered, and counted, instead of holding the test up.
    BoxAnswerer answerer(GetCurrentProcessId(), {});
    int ok = ShowMessage(nullptr, "ERROR: Can't find file \"x\".\n\nSetup is incomplete.",
                         IDS_INSTALLATION, MB_ICONHAND, IDOK, true);
    int no = ShowMessageId(nullptr, IDS_RESTART_AFTER_UNINSTALL, IDS_UNINSTALLATION,
                           MB_SYSTEMMODAL | MB_YESNO, IDNO, true);
    std::vector<SeenBox> boxes = answerer.Stop();
    captionTitle = savedTitle;
    CloseRunRecord();
    EXPECT_EQ(IDOK, ok);
    EXPECT_EQ(IDNO, no);
    EXPECT_TRUE(boxes.empty());

    std::vector<std::string> lines = SplitLines(ReadFileBytes(path), "\r\n");
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("earlier run", lines[0]);
    EXPECT_EQ("Acme Reader Installation: ERROR: Can't find file \"x\".  Setup is incomplete.",
              lines[1].substr(20));
    EXPECT_EQ(20u, lines[2].find("Acme Reader Uninstallation: Uninstallation complete."))
        << lines[2];
    // Missing folders are made; a file in the way of one cannot be passed.
    std::string deeper = folder.File("new folder\\deeper\\record.txt");
    EXPECT_TRUE(OpenRunRecord(deeper.c_str()));
    CloseRunRecord();
    EXPECT_TRUE(FileExists(deeper));
    EXPECT_FALSE(OpenRunRecord((deeper + "\\record.txt").c_str()));
}

// Nobody there: the named answer where the box offers it; otherwise the box's own way out, so
// that a Yes/No/Cancel box is never answered OK and a Yes/No box never Cancel.
TEST(RunRecordTest, AnUnattendedBoxTakesOnlyAnAnswerItOffers) {
    struct Case {
        UINT style;
        int named;
        int taken;
    } cases[] = {
        {MB_ICONHAND, IDOK, IDOK},
        {MB_ICONHAND, IDNO, IDOK},
        {MB_SYSTEMMODAL | MB_YESNO, IDYES, IDYES},
        {MB_SYSTEMMODAL | MB_YESNO, IDNO, IDNO},
        {MB_YESNO, IDOK, IDNO},
        {MB_YESNO, IDCANCEL, IDNO},
        {MB_YESNOCANCEL, IDNO, IDNO},
        {MB_YESNOCANCEL, IDOK, IDCANCEL},
        {MB_OKCANCEL | MB_ICONQUESTION, IDOK, IDOK},
        {MB_OKCANCEL, IDYES, IDCANCEL},
        {MB_RETRYCANCEL, IDRETRY, IDRETRY},
        {MB_ABORTRETRYIGNORE, IDCANCEL, IDABORT},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.taken, UnattendedAnswer(c.style, c.named)) << c.style << " " << c.named;
}

namespace {
// A disk with room for half a line.
BOOL WINAPI WriteHalf(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    return WriteFile(file, data, size / 2, written, nullptr);
}
} // namespace

TEST(RunRecordTest, ALineTheDiskRefusesEndsTheRecordWithoutAPartOfIt) {
    TempFolder folder("runrecord");
    std::string path = folder.File("record.txt");
    ASSERT_TRUE(OpenRunRecord(path.c_str()));
    EXPECT_TRUE(WriteRunRecord("Setup started: ", "/S"));
    {
        SeamGuard halfLines(writeRecordFile, WriteHalf);
        EXPECT_FALSE(WriteRunRecord("Result: done"));
    }
    EXPECT_FALSE(RunRecordOpen());
    EXPECT_FALSE(WriteRunRecord("Exit code: 0"));
    CloseRunRecord();
    std::vector<std::string> lines = SplitLines(ReadFileBytes(path), "\r\n");
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("Setup started: /S", lines[0].substr(20));
}
