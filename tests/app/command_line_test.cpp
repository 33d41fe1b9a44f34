#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"

namespace {
struct Case {
    const char* text;
    RunMode mode;
    const char* argument; // null: none
    uint32_t given;
    const char* wrongAt; // the rest of the text from the first wrong token; null: none
    const char* dest;
    const char* components;
    const char* user;
    const char* log;
};

const uint32_t S = SWITCH_SILENT, D = SWITCH_DEST, C = SWITCH_COMPONENTS, U = SWITCH_USER,
               L = SWITCH_LOG;
} // namespace

TEST(CommandLineTest, SwitchesThenTheModeKeywordWithItsArgumentVerbatim) {
    const Case cases[] = {
        // Without any of the switches the design's meaning stays.
        {"", MODE_INSTALL, nullptr, 0, nullptr, "", "", "", ""},
        {"/uninst", MODE_INSTALL, nullptr, 0, nullptr, "", "", "", ""},
        {"/X -uninstC:\\a.log", MODE_INSTALL, nullptr, 0, nullptr, "", "", "", ""},
        {" -uninstC:\\a.log", MODE_INSTALL, nullptr, 0, nullptr, "", "", "", ""},
        {"-UNINSTC:\\a.log", MODE_UNINSTALL, "C:\\a.log", 0, nullptr, "", "", "", ""},
        // Switches in any case and order, values quoted or not.
        {"/s", MODE_INSTALL, nullptr, S, nullptr, "", "", "", ""},
        {"/S /D=\"C:\\Program Files\\Acme Reader\"  /components=Desktop;DesktopGuide\t/User=Ann "
         "/LOG=C:\\r.txt",
         MODE_INSTALL, nullptr, S | D | C | U | L, nullptr, "C:\\Program Files\\Acme Reader",
         "Desktop;DesktopGuide", "Ann", "C:\\r.txt"},
        {"/LOG=\"C:\\my logs\\r.txt\" /S -uninst C:\\App Folder\\_Install.log", MODE_UNINSTALL,
         " C:\\App Folder\\_Install.log", S | L, nullptr, "", "", "", "C:\\my logs\\r.txt"},
        {"/S -registerC:\\x.dll", MODE_REGISTER, "C:\\x.dll", S, nullptr, "", "", "", ""},
        {"/USER=\"All Users\"", MODE_INSTALL, nullptr, U, nullptr, "", "", "All Users", ""},
        // What is wrong is pointed at; the usable switches are still taken.
        {"/S /X", MODE_INSTALL, nullptr, S, "/X", "", "", "", ""},
        {"/X /S", MODE_INSTALL, nullptr, S, "/X /S", "", "", "", ""},
        {"/S /S", MODE_INSTALL, nullptr, S, "/S", "", "", "", ""},
        {"/S=1 /D=C:\\a", MODE_INSTALL, nullptr, D, "/S=1 /D=C:\\a", "C:\\a", "", "", ""},
        {"/S /D", MODE_INSTALL, nullptr, S, "/D", "", "", "", ""},
        {"/S /D=", MODE_INSTALL, nullptr, S, "/D=", "", "", "", ""},
        {"/S /D=\"C:\\a b", MODE_INSTALL, nullptr, S, "/D=\"C:\\a b", "", "", "", ""},
        {"/S /D=\"C:\\a\"b", MODE_INSTALL, nullptr, S, "/D=\"C:\\a\"b", "", "", "", ""},
        {"/S /D=C:\\Program Files\\Acme", MODE_INSTALL, nullptr, S | D, "Files\\Acme",
         "C:\\Program", "", "", ""},
        {"/S setup", MODE_INSTALL, nullptr, S, "setup", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CommandLine line;
        ParseCommandLine(c.text, &line);
        EXPECT_EQ(c.mode, line.mode);
        if (c.argument)
            EXPECT_STREQ(c.argument, line.argument);
        else
            EXPECT_EQ(nullptr, line.argument);
        EXPECT_EQ(c.given, line.given);
        EXPECT_STREQ(c.wrongAt, line.wrongAt);
        EXPECT_STREQ(c.dest, line.destFolder);
        EXPECT_STREQ(c.components, line.components);
        EXPECT_STREQ(c.user, line.user);
        EXPECT_STREQ(c.log, line.logPath);
    }
}

TEST(CommandLineTest, AValueLongerThanItsFieldIsWrongNotCut) {
    std::string text = "/S /D=C:\\" + std::string(MAX_PATH, 'a');
    CommandLine line;
    ParseCommandLine(text.c_str(), &line);
    EXPECT_EQ(SWITCH_SILENT, line.given);
    EXPECT_STREQ("", line.destFolder);
    ASSERT_NE(nullptr, line.wrongAt);
    EXPECT_EQ(text.c_str() + 3, line.wrongAt);
}
