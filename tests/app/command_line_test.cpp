#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <string>

#include "app/command_line.h"
#include "system/process_account.h"

namespace {
struct Case {
    const char* text;
    RunMode mode;
    const char* argument; // null: none
    uint32_t given;
    const char* wrong; // the first wrong argument as written; null: none
    const char* why;
    const char* dest;
    const char* components;
    const char* user;
    const char* log;
};

const uint32_t S = SWITCH_SILENT, D = SWITCH_DEST, C = SWITCH_COMPONENTS, U = SWITCH_USER,
               L = SWITCH_LOG, N = SWITCH_NORESTART, A = SWITCH_ALLUSERS, H = SWITCH_HELP;
const char* const NEEDS = "needs a value";
const char* const NOT_A_SWITCH = "not a switch";

void ExpectParsed(const Case& c, const CommandLine& line) {
    EXPECT_EQ(c.mode, line.mode);
    if (c.argument)
        EXPECT_STREQ(c.argument, line.argument);
    else
        EXPECT_EQ(nullptr, line.argument);
    EXPECT_EQ(c.given, line.given);
    if (c.wrong) {
        ASSERT_NE(nullptr, line.wrongAt);
        EXPECT_EQ(c.wrong, std::string(line.wrongAt, line.wrongLength));
        EXPECT_STREQ(c.why, line.wrongWhy);
    } else {
        EXPECT_EQ(nullptr, line.wrongAt) << line.wrongAt;
    }
    EXPECT_STREQ(c.dest, line.destFolder);
    EXPECT_STREQ(c.components, line.components);
    EXPECT_STREQ(c.user, line.user);
    EXPECT_STREQ(c.log, line.logPath);
}

bool Yes() {
    return true;
}
bool No() {
    return false;
}
} // namespace

TEST(CommandLineTest, SwitchesThenTheModeKeywordWithItsArgumentVerbatim) {
    const Case cases[] = {
        // Without any of the switches the old meaning stays.
        {"", MODE_INSTALL, nullptr, 0, nullptr, nullptr, "", "", "", ""},
        {"/uninst", MODE_INSTALL, nullptr, 0, nullptr, nullptr, "", "", "", ""},
        {"/X -uninstC:\\a.log", MODE_INSTALL, nullptr, 0, nullptr, nullptr, "", "", "", ""},
        {" -uninstC:\\a.log", MODE_INSTALL, nullptr, 0, nullptr, nullptr, "", "", "", ""},
        {"-UNINSTC:\\a.log", MODE_UNINSTALL, "C:\\a.log", 0, nullptr, nullptr, "", "", "", ""},
        // Switches in any case and order.
        {"/s", MODE_INSTALL, nullptr, S, nullptr, nullptr, "", "", "", ""},
        {"/S /D=\"C:\\Program Files\\Acme Reader\"  /components=Desktop;DesktopGuide\t/User=Ann "
         "/LOG=C:\\r.txt",
         MODE_INSTALL, nullptr, S | D | C | U | L, nullptr, nullptr,
         "C:\\Program Files\\Acme Reader", "Desktop;DesktopGuide", "Ann", "C:\\r.txt"},
        {"/LOG=\"C:\\my logs\\r.txt\" /S /norestart -uninst C:\\App Folder\\_Install.log",
         MODE_UNINSTALL, " C:\\App Folder\\_Install.log", S | L | N, nullptr, nullptr, "", "", "",
         "C:\\my logs\\r.txt"},
        // As tools pass them: Wine's start, PowerShell's call operator and Start-Process, and
        // per-argument quoting (a trailing backslash doubled) all give the same values.
        {"/S \"/D=C:\\Program Files\\Acme Two\" /COMPONENTS=Desktop;HandheldBooks /USER=Bob "
         "\"/LOG=C:\\Deploy\\acme.log\"",
         MODE_INSTALL, nullptr, S | D | C | U | L, nullptr, nullptr, "C:\\Program Files\\Acme Two",
         "Desktop;HandheldBooks", "Bob", "C:\\Deploy\\acme.log"},
        {"/D=C:\\\"Program Files\"\\Acme /USER=\"All Users\"", MODE_INSTALL, nullptr, D | U,
         nullptr, nullptr, "C:\\Program Files\\Acme", "", "All Users", ""},
        {"/S \"/D=C:\\Program Files\\Acme\\\\\" /ALLUSERS", MODE_INSTALL, nullptr, S | D | A,
         nullptr, nullptr, "C:\\Program Files\\Acme\\", "", "", ""},
        {"/S \"/LOG=C:\\my logs\\r.txt\" \"-uninstC:\\Program Files\\Acme\\_Install.log\"  ",
         MODE_UNINSTALL, "C:\\Program Files\\Acme\\_Install.log", S | L, nullptr, nullptr, "", "",
         "", "C:\\my logs\\r.txt"},
        // The documented forms: a backslash before the closing quote stays one.
        {"/D=\"C:\\Acme\\\" /S", MODE_INSTALL, nullptr, D | S, nullptr, nullptr, "C:\\Acme\\", "",
         "", ""},
        {"/S /D=\"C:\\a b", MODE_INSTALL, nullptr, S | D, nullptr, nullptr, "C:\\a b", "", "", ""},
        // Escapes: "" and \" inside quotes are a quote; \\" halves; outside quotes a backslash
        // before a quote stays one.
        {"/USER=\"Ann \"\"Jr\"\"\" /D=C:\\a\\\\\"b c\"", MODE_INSTALL, nullptr, U | D, nullptr,
         nullptr, "C:\\a\\b c", "", "Ann \"Jr\"", ""},
        {"\"/USER=Ann \\\"Jr\\\"\" /D=a\\\\\\\"b", MODE_INSTALL, nullptr, U | D, nullptr, nullptr,
         "a\\\\b", "", "Ann \"Jr\"", ""},
        {"/S -registerC:\\x.dll", MODE_REGISTER, "C:\\x.dll", S, "/S", "not with -register", "", "",
         "", ""},
        {"/?", MODE_INSTALL, nullptr, H, nullptr, nullptr, "", "", "", ""},
        {"/help", MODE_INSTALL, nullptr, H, nullptr, nullptr, "", "", "", ""},
        // What is wrong is named; the usable switches are still taken, a /LOG behind it too.
        {"/S /X", MODE_INSTALL, nullptr, S, "/X", "unknown switch", "", "", "", ""},
        {"/X /LOG=C:\\r.txt /S", MODE_INSTALL, nullptr, L | S, "/X", "unknown switch", "", "", "",
         "C:\\r.txt"},
        {"/S /S", MODE_INSTALL, nullptr, S, "/S", "given twice", "", "", "", ""},
        {"/S=1 /D=C:\\a", MODE_INSTALL, nullptr, D, "/S=1", "takes no value", "C:\\a", "", "", ""},
        {"/S /D", MODE_INSTALL, nullptr, S, "/D", NEEDS, "", "", "", ""},
        {"/S /D=", MODE_INSTALL, nullptr, S, "/D=", NEEDS, "", "", "", ""},
        {"/S /D=C:\\Program Files\\Acme /LOG=C:\\r.txt", MODE_INSTALL, nullptr, S | D | L,
         "Files\\Acme", NOT_A_SWITCH, "C:\\Program", "", "", "C:\\r.txt"},
        {"/S setup", MODE_INSTALL, nullptr, S, "setup", NOT_A_SWITCH, "", "", "", ""},
        {"/ALLUSERS /S /CurrentUser", MODE_INSTALL, nullptr, A | S, "/CurrentUser",
         "does not go with a switch before it", "", "", "", ""},
        {"/S /?", MODE_INSTALL, nullptr, S, "/?", "does not go with a switch before it", "", "", "",
         ""},
        {"/S /D=C:\\a -uninstC:\\a.log", MODE_UNINSTALL, "C:\\a.log", S | D, "/D=C:\\a",
         "not with -uninst", "C:\\a", "", "", ""},
        {"/S \"-uninstC:\\a.log\" x", MODE_UNINSTALL, "C:\\a.log", S, "\"-uninstC:\\a.log\" x",
         "badly quoted", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CommandLine line;
        ParseCommandLine(c.text, &line);
        ExpectParsed(c, line);
    }

    // The second byte of a double-byte character is no backslash before a quote.
    const Case japanese = {
        "/D=\"C:\\Acme \x95\x5c\"\\Data /S", MODE_INSTALL, nullptr, D | S, nullptr, nullptr,
        "C:\\Acme \x95\x5c\\Data",           "",           "",      ""};
    CommandLine line;
    ParseCommandLine(japanese.text, &line, 932);
    ExpectParsed(japanese, line);
}

TEST(CommandLineTest, AValueLongerThanItsFieldIsWrongNotCut) {
    std::string text = "/S /D=C:\\" + std::string(MAX_PATH, 'a');
    CommandLine line;
    ParseCommandLine(text.c_str(), &line);
    EXPECT_EQ(SWITCH_SILENT, line.given);
    EXPECT_STREQ("", line.destFolder);
    ASSERT_NE(nullptr, line.wrongAt);
    EXPECT_EQ(text.c_str() + 3, line.wrongAt);
    EXPECT_EQ(text.size() - 3, line.wrongLength);
}

TEST(CommandLineTest, ARunAsLocalSystemDefaultsToAllUsers) {
    const struct {
        const char* text;
        bool localSystem;
        bool allUsers;
    } cases[] = {
        {"/S", false, false},
        {"/S", true, true},
        {"/S /ALLUSERS", false, true},
        {"/CURRENTUSER", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CommandLine line;
        ParseCommandLine(c.text, &line);
        EXPECT_EQ(c.allUsers, ShortcutsForAllUsers(line, c.localSystem ? Yes : No));
    }

    const struct {
        const char* sid;
        bool localSystem;
    } sids[] = {{"S-1-5-18", true}, {"S-1-5-19", false}, {"S-1-5-21-1-2-3-18", false}};
    for (const auto& s : sids) {
        PSID sid = nullptr;
        ASSERT_TRUE(ConvertStringSidToSidA(s.sid, &sid)) << s.sid;
        EXPECT_EQ(s.localSystem, IsLocalSystemSid(sid)) << s.sid;
        LocalFree(sid);
    }
    // The test runs as an ordinary user.
    EXPECT_FALSE(ProcessIsLocalSystem());
}

// Each switch's line comes from the string table by the id in its row: a row whose string is
// missing would leave its line empty.
TEST(CommandLineTest, TheHelpListsEverySwitchAndExitCode) {
    char text[2048];
    size_t length = FormatCommandLineHelp(text, sizeof(text));
    EXPECT_EQ(strlen(text), length);
    EXPECT_STREQ(
        "Setup.exe [switches]\nSetup.exe [switches] -uninst<install log>\n"
        "\n/S\tSilent: no window, no question, never a restart. Also with -uninst."
        "\n/D=<folder>\tInstalls into this folder."
        "\n/COMPONENTS=<Section;...>\tInstalls exactly these components."
        "\n/USER=<name>\tThe HotSync user who receives the Palm files."
        "\n/LOG=<file>\tAppends a record of the run to the file (a full path). Also with -uninst."
        "\n/NORESTART\tNever restarts the computer. Also with -uninst."
        "\n/ALLUSERS\tStart-menu and desktop shortcuts for every user."
        "\n/CURRENTUSER\tStart-menu and desktop shortcuts for the current user: the default, "
        "except for LocalSystem."
        "\n/? or /HELP\tShows this list."
        "\n\nExit codes:\n0\tdone\n3010\tdone, a restart is needed\n1603\tfailed or incomplete"
        "\n1618\tanother installation or removal was running, nothing done"
        "\n87\twrong command line, nothing done",
        text);
}
