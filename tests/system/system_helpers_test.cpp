#include <gtest/gtest.h>

#include <string.h>
#include <wchar.h>

#include <memory>
#include <string>

#include "resources/resource_ids.h"
#include "support/test_support.h"
#include "system/digest.h"
#include "system/digest_hook.h"
#include "system/file_holders.h"
#include "system/file_probe.h"
#include "system/file_replace.h"
#include "system/message_box.h"
#include "system/registry.h"
#include "system/reserved_destination.h"
#include "system/whole_file.h"

namespace {
const char TEST_ROOT[] = "Software\\OrvexFoundationTests";
const char TEST_KEY[] = "Software\\OrvexFoundationTests\\Registry";

class CaptionTitleOverride {
  public:
    explicit CaptionTitleOverride(const char* title) : saved_(captionTitle) {
        captionTitle = title;
    }
    ~CaptionTitleOverride() { captionTitle = saved_; }

  private:
    const char* saved_;
};

std::string Caption(UINT id) {
    char caption[256];
    ComposeCaption(id, caption, sizeof(caption));
    return caption;
}
} // namespace

TEST(RegistryTest, ReadsValuesThatFitTheBufferLessOneByte) {
    TempRegistryKey key(HKEY_CURRENT_USER, TEST_ROOT);
    std::string fits(258, 'f');
    std::string tooLong(259, 'g');
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, TEST_KEY, "Fits", fits.c_str()));
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, TEST_KEY, "TooLong", tooLong.c_str()));
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, TEST_KEY, nullptr, "default"));

    char buffer[260];
    ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, TEST_KEY, "Fits", buffer, sizeof(buffer)));
    EXPECT_EQ(fits, buffer);
    EXPECT_FALSE(
        ReadRegistryString(HKEY_CURRENT_USER, TEST_KEY, "TooLong", buffer, sizeof(buffer)));
    ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, TEST_KEY, nullptr, buffer, sizeof(buffer)));
    EXPECT_STREQ("default", buffer);
    EXPECT_FALSE(
        ReadRegistryString(HKEY_CURRENT_USER, TEST_KEY, "Missing", buffer, sizeof(buffer)));
    EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, TEST_KEY, "Fits", nullptr, 260));
    EXPECT_FALSE(WriteRegistryString(HKEY_CURRENT_USER, TEST_KEY, "Null", nullptr));
}

TEST(RegistryTest, ValueThatCannotBeSetIsAFailedWrite) {
    TempRegistryKey key(HKEY_CURRENT_USER, TEST_ROOT);
    // Beyond the registry's limit for value names.
    std::string name(20000, 'n');
    EXPECT_FALSE(WriteRegistryString(HKEY_CURRENT_USER, TEST_KEY, name.c_str(), "x"));
}

TEST(RegistryTest, DeleteNeedsTheParentKey) {
    TempRegistryKey key(HKEY_CURRENT_USER, TEST_ROOT);
    std::string child = std::string(TEST_KEY) + "\\Child";
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, child.c_str(), "Value", "x"));
    EXPECT_TRUE(DeleteRegistryKey(HKEY_CURRENT_USER, TEST_KEY, "Child"));
    std::string value;
    EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, child, "Value", &value));
    // A missing child under an existing parent still counts; a missing parent doesn't.
    EXPECT_TRUE(DeleteRegistryKey(HKEY_CURRENT_USER, TEST_KEY, "Child"));
    EXPECT_FALSE(
        DeleteRegistryKey(HKEY_CURRENT_USER, "Software\\OrvexFoundationTests\\Absent", "Child"));
}

TEST(FileProbeTest, ReportsSizeOfAnExistingFile) {
    TempFolder folder;
    ASSERT_TRUE(WriteFileBytes(folder.File("probe.bin"), std::string(1234, 'x')));
    WIN32_FIND_DATAA found;
    ASSERT_TRUE(ProbeFile(folder.File("probe.bin").c_str(), &found));
    EXPECT_EQ(1234u, found.nFileSizeLow);
    EXPECT_STREQ("probe.bin", found.cFileName);
    EXPECT_TRUE(ProbeFile(folder.Path().c_str(), nullptr));
    EXPECT_FALSE(ProbeFile(folder.File("missing.bin").c_str(), &found));
}

TEST(WholeFileTest, ReadsBytesThenPaddingAndTellsAbsentFromFailed) {
    TempFolder folder;
    std::string bytes("a\0b\r\nc", 6);
    ASSERT_TRUE(WriteFileBytes(folder.File("text.bin"), bytes));
    ASSERT_TRUE(WriteFileBytes(folder.File("empty.bin"), ""));
    std::unique_ptr<char[]> text;
    DWORD size = 99;
    ASSERT_EQ(WHOLE_FILE_READ, ReadWholeFile(folder.File("text.bin").c_str(), 3, &text, &size));
    EXPECT_EQ(6u, size);
    EXPECT_EQ(bytes + std::string(3, '\0'), std::string(text.get(), 9));
    ASSERT_EQ(WHOLE_FILE_READ, ReadWholeFile(folder.File("empty.bin").c_str(), 1, &text, &size));
    EXPECT_EQ(0u, size);
    EXPECT_EQ('\0', text[0]);
    EXPECT_EQ(WHOLE_FILE_ABSENT,
              ReadWholeFile(folder.File("missing.bin").c_str(), 1, &text, &size));
    EXPECT_EQ(nullptr, text.get());
    EXPECT_EQ(WHOLE_FILE_ABSENT, ReadWholeFile(folder.Path().c_str(), 1, &text, &size));
    // Padding that would not fit beside the file's size in memory is a failure, not a cut.
    EXPECT_EQ(WHOLE_FILE_FAILED,
              ReadWholeFile(folder.File("text.bin").c_str(), MAXDWORD - 2, &text, &size));
}

TEST(MessageCaptionTest, ProductTitleGoesBeforeInstallCaptionsOnly) {
    {
        CaptionTitleOverride title("Acme Viewer");
        EXPECT_EQ("Acme Viewer Installation", Caption(IDS_INSTALLATION));
        EXPECT_EQ("Acme Viewer Uninstallation", Caption(IDS_UNINSTALLATION));
        EXPECT_EQ("&Next >", Caption(IDS_LABEL_NEXT));
    }
    {
        CaptionTitleOverride title(nullptr);
        EXPECT_EQ("Installation", Caption(IDS_INSTALLATION));
    }
    {
        // A script without Company and Application has the title " ": the caption keeps it.
        CaptionTitleOverride title(" ");
        EXPECT_EQ("  Installation", Caption(IDS_INSTALLATION));
    }
    {
        CaptionTitleOverride title(" Viewer");
        EXPECT_EQ(" Viewer Uninstallation", Caption(IDS_UNINSTALLATION));
    }
    {
        // The caption is cut to its buffer, never overrun.
        std::string longTitle(300, 't');
        CaptionTitleOverride title(longTitle.c_str());
        char small[16];
        ComposeCaption(IDS_INSTALLATION, small, sizeof(small));
        EXPECT_EQ(std::string(15, 't'), small);
    }
}

TEST(DigestTest, Sha256WhereTheSystemHasItElseSha1InLowerCaseHex) {
    const std::string sha256abc =
        "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const std::string sha1abc = "a9993e364706816aba3e25717850c26c9cd0d89d";
    const struct {
        const char* bytes;
        size_t digits;
        bool withheld;        // as before Windows XP SP3
        std::string expected; // "": no digest
    } cases[] = {
        {"abc", 0, false, sha256abc},
        {"abc", 0, true, sha1abc},
        {"abc", 40, false, sha1abc},
        {"abc", 64, true, ""},
        {"", 64, false, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"", 40, false, "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.bytes) + " " + std::to_string(c.digits) +
                     (c.withheld ? " withheld" : ""));
        SeamGuard<bool> noSha256(sha256Withheld, c.withheld);
        char text[DIGEST_TEXT_SIZE] = "x";
        EXPECT_EQ(!c.expected.empty(),
                  DigestText(c.bytes, strlen(c.bytes), c.digits, text, sizeof(text)));
        EXPECT_EQ(c.expected, text);
    }
    char small[SHA256_DIGITS];
    EXPECT_FALSE(DigestText("abc", 3, 64, small, sizeof(small)));
}

TEST(ReservedDestinationTest, RootsAndWindowsOwnFoldersButNotTheFoldersBelowThem) {
    char programFiles[MAX_PATH] = "";
    char commonFiles[MAX_PATH] = "";
    ASSERT_NE(0u, GetEnvironmentVariableA("ProgramFiles", programFiles, MAX_PATH));
    ASSERT_NE(0u, GetEnvironmentVariableA("CommonProgramFiles", commonFiles, MAX_PATH));
    std::string windows = WindowsFolder();
    std::string upper = windows;
    CharUpperA(&upper[0]);
    const struct {
        std::string folder;
        bool reserved;
    } cases[] = {
        {"C:\\", true},
        {"c:", true},
        {"\\\\server\\share", true},
        {"\\\\server\\share\\", true},
        {windows, true},
        {windows + "\\", true},
        {windows + "\\Temp\\..", true},
        {upper, true},
        {SystemFolder(), true},
        {programFiles, true},
        {commonFiles, true},
        {"C:\\Acme", false},
        {windows + "\\Acme", false},
        {std::string(programFiles) + "\\Acme", false},
        {"\\\\server\\share\\Acme", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(c.reserved, IsReservedDestination(c.folder.c_str()));
    }
}

namespace {
// Restart Manager as a system that knows holderCount programs holding the file.
UINT holderCount = 0;
DWORD startAnswer = ERROR_SUCCESS;
std::wstring registered;
bool ended = false;

DWORD WINAPI StartSession(DWORD* session, DWORD, WCHAR key[]) {
    *session = 7;
    key[0] = L'\0';
    return startAnswer;
}
DWORD WINAPI RegisterResources(DWORD, UINT files, LPCWSTR names[], UINT, RM_UNIQUE_PROCESS[], UINT,
                               LPCWSTR[]) {
    registered = files == 1 ? names[0] : L"";
    return ERROR_SUCCESS;
}
DWORD WINAPI GetList(DWORD, UINT* needed, UINT* count, RM_PROCESS_INFO infos[], LPDWORD) {
    *needed = holderCount;
    if (*count < holderCount || !infos)
        return holderCount ? ERROR_MORE_DATA : ERROR_SUCCESS;
    for (UINT index = 0; index < holderCount; ++index)
        swprintf(infos[index].strAppName, CCH_RM_MAX_APP_NAME, L"App %u", index + 1);
    *count = holderCount;
    return ERROR_SUCCESS;
}
DWORD WINAPI EndSession(DWORD) {
    ended = true;
    return ERROR_SUCCESS;
}
} // namespace

TEST(FileHoldersTest, NamesAtMostFiveProgramsThenOthers) {
    const RestartManagerFunctions calls{StartSession, RegisterResources, GetList, EndSession};
    struct Case {
        UINT holders;
        DWORD start;
        const char* names;
    } cases[] = {
        {0, ERROR_SUCCESS, ""},
        {1, ERROR_SUCCESS, "App 1"},
        {5, ERROR_SUCCESS, "App 1, App 2, App 3, App 4, App 5"},
        {7, ERROR_SUCCESS, "App 1, App 2, App 3, App 4, App 5 and others"},
        {2, ERROR_ACCESS_DENIED, ""},
    };
    for (const Case& c : cases) {
        holderCount = c.holders;
        startAnswer = c.start;
        ended = false;
        char names[256] = "stale";
        EXPECT_EQ(c.names[0] != '\0', NameFileHolders(calls, "C:\\Acme\\Reader.exe", "and others",
                                                      names, sizeof(names)))
            << c.holders;
        EXPECT_STREQ(c.names, names) << c.holders;
        EXPECT_EQ(c.start == ERROR_SUCCESS, ended) << c.holders;
        if (c.start == ERROR_SUCCESS) {
            EXPECT_EQ(L"C:\\Acme\\Reader.exe", registered);
        }
    }
}

// Windows 95/98/Me have no delayed move: the line for the restart goes into WININIT.INI by
// hand, at the top of its [rename] section, wherever that is.
TEST(FileReplaceTest, WininitGetsTheRenameLineInItsSection) {
    TempFolder folder("wininit");
    std::string target = folder.File("Reader.exe");
    std::string staged = folder.File("Reader.ex_");
    ASSERT_TRUE(WriteFileBytes(target, "old"));
    ASSERT_TRUE(WriteFileBytes(staged, "new"));
    char shortTarget[MAX_PATH];
    char shortStaged[MAX_PATH];
    GetShortPathNameA(target.c_str(), shortTarget, sizeof(shortTarget));
    GetShortPathNameA(staged.c_str(), shortStaged, sizeof(shortStaged));
    std::string line = std::string(shortTarget) + "=" + shortStaged + "\r\n";
    struct Case {
        const char* before;
        std::string after;
    } cases[] = {
        {nullptr, "[rename]\r\n" + line},
        {"[Other]\r\nA=1", "[Other]\r\nA=1\r\n[rename]\r\n" + line},
        {"[Rename]\r\nNUL=C:\\X.TMP\r\n[Other]\r\n",
         "[Rename]\r\n" + line + "NUL=C:\\X.TMP\r\n[Other]\r\n"},
        {"[rename]", "[rename]\r\n" + line},
    };
    for (const Case& c : cases) {
        std::string ini = folder.File("WININIT.INI");
        DeleteFileA(ini.c_str());
        if (c.before) {
            ASSERT_TRUE(WriteFileBytes(ini, c.before));
        }
        EXPECT_TRUE(AddWininitRename(ini.c_str(), target.c_str(), staged.c_str()));
        EXPECT_EQ(c.after, ReadFileBytes(ini)) << (c.before ? c.before : "no file");
    }
}
