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
    const char* wrong; // the wrong arguments as written, joined by "|"; null: none
    const char* why;   // why each is wrong, joined by "|"
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
    std::string wrong;
    std::string why;
    for (int i = 0; i < line.wrongCount; ++i) {
        wrong += (i ? "|" : "") + std::string(line.wrong[i].at, line.wrong[i].length);
        why += (i ? "|" : "") + std::string(line.wrong[i].why);
    }
    EXPECT_EQ(c.wrong ? c.wrong : "", wrong);
    EXPECT_EQ(c.why ? c.why : "", why);
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
        // Escaped quotes in pairs stay quotes with a blank behind; "" ends the quoted part, as
        // msvcrt.dll has it.
        {"\"/USER=Ann \\\"Jr\\\" Smith\" /S", MODE_INSTALL, nullptr, U | S, nullptr, nullptr, "",
         "", "Ann \"Jr\" Smith", ""},
        {"/S /USER=\"Ann \"\"Jr\"\" Smith\"", MODE_INSTALL, nullptr, S | U, "Smith\"", NOT_A_SWITCH,
         "", "", "Ann \"Jr", ""},
        {"/S -registerC:\\x.dll", MODE_REGISTER, "C:\\x.dll", S, "/S", "not with -register", "", "",
         "", ""},
        {"/?", MODE_INSTALL, nullptr, H, nullptr, nullptr, "", "", "", ""},
        {"/LANG=de /S -uninstC:\\a.log", MODE_UNINSTALL, "C:\\a.log", SWITCH_LANG | S, nullptr,
         nullptr, "", "", "", ""},
        {"/LANG= /S", MODE_INSTALL, nullptr, S, "/LANG=", NEEDS, "", "", "", ""},
        {"/lang=ja -registerC:\\x.dll", MODE_REGISTER, "C:\\x.dll", SWITCH_LANG, "/lang=ja",
         "not with -register", "", "", "", ""},
        {"/help", MODE_INSTALL, nullptr, H, nullptr, nullptr, "", "", "", ""},
        // What is wrong is named; the usable switches are still taken, a /LOG behind it too.
        {"/S /X", MODE_INSTALL, nullptr, S, "/X", "unknown switch", "", "", "", ""},
        {"/X /D=C:\\a /Y=1 /D=C:\\b /USER", MODE_INSTALL, nullptr, D, "/X|/Y=1|/D=C:\\b|/USER",
         "unknown switch|unknown switch|given twice|needs a value", "C:\\a", "", "", ""},
        {"/S /X /D=C:\\a -uninstC:\\a.log", MODE_UNINSTALL, "C:\\a.log", S | D, "/X|/D=C:\\a",
         "unknown switch|not with -uninst", "C:\\a", "", "", ""},
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
    ASSERT_EQ(1, line.wrongCount);
    EXPECT_EQ(text.c_str() + 3, line.wrong[0].at);
    EXPECT_EQ(text.size() - 3, line.wrong[0].length);

    // Past the named ones the wrong arguments are counted.
    std::string many = "/S";
    for (int i = 0; i < CommandLine::WRONG_NAMED + 3; ++i)
        many += " /X" + std::to_string(i);
    ParseCommandLine(many.c_str(), &line);
    EXPECT_EQ(CommandLine::WRONG_NAMED + 3, line.wrongCount);
    EXPECT_EQ("/X7", std::string(line.wrong[7].at, line.wrong[7].length));
}

TEST(CommandLineTest, ARunAsLocalSystemDefaultsToAllUsers) {
    const struct {
        const char* text;
        bool localSystem;
        bool earlierForAllUsers;
        bool allUsers;
    } cases[] = {
        {"/S", false, false, false},
        {"/S", true, false, true},
        {"/S /ALLUSERS", false, false, true},
        {"/CURRENTUSER", true, false, false},
        // A reinstall keeps the earlier choice unless a switch changes it.
        {"", false, true, true},
        {"/S /CURRENTUSER", false, true, false},
        {"/S", true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CommandLine line;
        ParseCommandLine(c.text, &line);
        EXPECT_EQ(c.allUsers,
                  ShortcutsForAllUsers(line, c.localSystem ? Yes : No, c.earlierForAllUsers));
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
// missing would leave its line empty. A message box neither keeps tab stops nor stops a long line
// from wrapping: no tab, and every line short.
TEST(CommandLineTest, TheHelpListsEverySwitchAndExitCode) {
    char text[2048];
    size_t length = FormatCommandLineHelp(text, sizeof(text));
    EXPECT_EQ(strlen(text), length);
    EXPECT_STREQ(
        "Setup.exe [switches]\nSetup.exe [switches] -uninst<install log>\n"
        "\n/S\n    Silent: no window, no question, never a restart.\n    Also with -uninst."
        "\n/D=<folder>\n    Installs into this folder."
        "\n/COMPONENTS=<Section;...>\n    Installs exactly these components."
        "\n/USER=<name>\n    The HotSync user who receives the Palm files."
        "\n/LOG=<full path>\n    Appends a record of the run to the file.\n    Also with -uninst."
        "\n/NORESTART\n    Never restarts the computer.\n    Also with -uninst."
        "\n/ALLUSERS\n    Start-menu and desktop shortcuts for every user."
        "\n/CURRENTUSER\n    Start-menu and desktop shortcuts for the current"
        "\n    user: the default, except under LocalSystem or after"
        "\n    an install for every user."
        "\n/LANG=<tag>\n    Shows the texts of Setup.<tag>.lng; /LANG=en shows\n    English."
        "\n    Also with -uninst."
        "\n/? or /HELP\n    Shows this list."
        "\n\nExit codes:\n0: done\n3010: done, a restart is needed"
        "\n1603: failed or incomplete\n1618: another install or removal running, nothing done"
        "\n87: wrong command line, nothing done",
        text);
    for (const char* line = text; line;) {
        const char* end = strchr(line, '\n');
        size_t bytes = end ? static_cast<size_t>(end - line) : strlen(line);
        EXPECT_LE(bytes, 56u) << std::string(line, bytes);
        line = end ? end + 1 : nullptr;
    }
    EXPECT_EQ(nullptr, strchr(text, '\t'));
}
