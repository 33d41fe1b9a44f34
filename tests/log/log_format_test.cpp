#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "log/log_format.h"

// The log lies in the destination: one separator between them, and a path that would not fit
// is no path at all rather than a cut one naming some other file.
TEST(LogFormatTest, TheLogPathFitsWholeOrNotAtAll) {
    std::string longest = "C:\\" + std::string(243, 'a'); // 246 + "\_Install.log" = 259
    const struct {
        std::string dest;
        std::string path;
    } cases[] = {
        {"C:\\Program Files\\Acme", "C:\\Program Files\\Acme\\_Install.log"},
        {"C:\\", "C:\\_Install.log"},
        {"\\\\server\\share\\", "\\\\server\\share\\_Install.log"},
        {longest, longest + "\\_Install.log"},
        {longest + "a", ""},
        {longest + "\\", longest + "\\_Install.log"},
    };
    for (const auto& c : cases) {
        char path[MAX_PATH] = "stale";
        EXPECT_EQ(!c.path.empty(), FormLogPath(c.dest.c_str(), path, sizeof(path))) << c.dest;
        EXPECT_EQ(c.path, path) << c.dest;
    }
}
