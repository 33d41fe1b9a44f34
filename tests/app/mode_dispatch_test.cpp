#include <gtest/gtest.h>

#include <string>

#include "app/mode_dispatch.h"

namespace {
struct Dispatch {
    RunMode mode;
    const char* argument;
};

Dispatch Choose(const char* commandLine) {
    Dispatch result{MODE_INSTALL, nullptr};
    result.mode = ChooseMode(commandLine, &result.argument);
    return result;
}
} // namespace

TEST(ModeDispatchTest, KeywordsAtTheVeryStartInAnyCase) {
    Dispatch d = Choose("-UNINSTC:\\App\\_Install.log");
    EXPECT_EQ(MODE_UNINSTALL, d.mode);
    EXPECT_STREQ("C:\\App\\_Install.log", d.argument);

    d = Choose("-uninst C:\\App\\_Install.log");
    EXPECT_EQ(MODE_UNINSTALL, d.mode);
    EXPECT_STREQ(" C:\\App\\_Install.log", d.argument);

    d = Choose("-uninstall");
    EXPECT_EQ(MODE_UNINSTALL, d.mode);
    EXPECT_STREQ("all", d.argument);

    d = Choose("-registerC:\\Windows\\System\\x.dll");
    EXPECT_EQ(MODE_REGISTER, d.mode);
    EXPECT_STREQ("C:\\Windows\\System\\x.dll", d.argument);

    d = Choose("-Register");
    EXPECT_EQ(MODE_REGISTER, d.mode);
    EXPECT_STREQ("", d.argument);
}

TEST(ModeDispatchTest, EverythingElseInstalls) {
    const char* lines[] = {"", "/uninst", "uninst", " -uninst", "-unins", "-regist", "/S"};
    for (const char* line : lines) {
        Dispatch d = Choose(line);
        EXPECT_EQ(MODE_INSTALL, d.mode) << line;
        EXPECT_EQ(nullptr, d.argument) << line;
    }
    EXPECT_EQ(MODE_INSTALL, Choose(nullptr).mode);
}
