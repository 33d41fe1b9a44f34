#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "system/argument_splitter.h"
#include "system/text.h"

TEST(TextTest, FormatAndCopyAlwaysTerminateAndCut) {
    char small[6];
    memset(small, 'x', sizeof(small));
    EXPECT_EQ(5u, FormatText(small, sizeof(small), "%s-%d", "abcdef", 42));
    EXPECT_STREQ("abcde", small);
    EXPECT_EQ(3u, CopyText(small, 4, "abcdef"));
    EXPECT_STREQ("abc", small);
    CopyText(small, sizeof(small), "ab");
    EXPECT_EQ(5u, AppendText(small, sizeof(small), "cdefgh"));
    EXPECT_STREQ("abcde", small);
    EXPECT_EQ(0u, CopyText(small, sizeof(small), nullptr));
    EXPECT_STREQ("", small);
}

TEST(TextTest, DoubleByteTrailBytesAreNeverSeparators) {
    // In code page 932, 0x95 0x5C is one character whose second byte equals '\'.
    const char text[] = "a\x95\x5C;b\\c";
    EXPECT_EQ(text + 5, FindChar(text, '\\', 932));
    EXPECT_EQ(text + 3, FindChar(text, ';', 932));
    EXPECT_EQ(text + 5, FindLastChar(text, '\\', 932));
    // Read as single bytes the trail byte would be taken.
    EXPECT_EQ(text + 2, FindChar(text, '\\', 1252));
}

TEST(TextTest, PrefixComparisonFoldsOnlyAsciiLetters) {
    EXPECT_TRUE(StartsWithNoCase("-UNINSTC:\\x", "-uninst"));
    EXPECT_FALSE(StartsWithNoCase("-unins", "-uninst"));
    EXPECT_FALSE(StartsWithNoCase(" -uninst", "-uninst"));
    EXPECT_TRUE(EqualNoCase("Ann", "aNN"));
    EXPECT_FALSE(EqualNoCase("Ann", "Anna"));
    EXPECT_STREQ("file.dll", FileNamePart("C:\\a\\file.dll"));
    EXPECT_STREQ("bare", FileNamePart("bare"));
}

TEST(TextTest, CaseFreeOrderAgreesWithEqualNoCase) {
    // In code page 932 a trail byte is never folded: 0x82 0x61 and 0x82 0x41 are two different
    // characters, although 0x61 and 0x41 are 'a' and 'A'.
    const struct {
        const char* a;
        const char* b;
        int order;
    } pairs[] = {
        {"C:\\Win\\A.dll", "c:\\WIN\\a.DLL", 0},
        {"C:\\a", "C:\\b", -1},
        {"C:\\ab", "C:\\a", 1},
        {"\x82\x61", "\x82\x41", 1},
        {"x\x82\x61", "X\x82\x61", 0},
    };
    for (const auto& pair : pairs) {
        int order = CompareNoCase(pair.a, pair.b, 932);
        EXPECT_EQ(pair.order, order < 0 ? -1 : order > 0 ? 1 : 0) << pair.a << " " << pair.b;
        EXPECT_EQ(pair.order == 0, EqualNoCase(pair.a, pair.b, 932)) << pair.a << " " << pair.b;
    }
}

// Command lines split as msvcrt.dll splits argv, with the exception for paths typed with a
// backslash before a quote.
TEST(TextTest, ArgumentsSplitAsTheRuntimeSplitsThem) {
    const struct {
        const char* line;
        const char* arguments; // joined by |
        unsigned codePage;
    } cases[] = {
        {" a\t\"b c\"  d ", "a|b c|d", 0},
        {"x\\\\ y\\", "x\\\\|y\\", 0},
        {"/D=C:\\\"Program Files\"\\Acme x\\\\\\\"y", "/D=C:\\Program Files\\Acme|x\\\\y", 0},
        {"\"/D=C:\\Acme\\\\\" a\\\\\\\\\"b c\"", "/D=C:\\Acme\\|a\\\\b c", 0},
        // A backslash before the quote that ends a quoted value stays one...
        {"/D=\"C:\\Acme\\\" /S", "/D=C:\\Acme\\|/S", 0},
        {"/D=\"C:\\Acme\\\"", "/D=C:\\Acme\\", 0},
        // ...but escaped quotes in pairs are quotes, a blank behind the second or not.
        {"\"/USER=Ann \\\"Jr\\\" Smith\" /S", "/USER=Ann \"Jr\" Smith|/S", 0},
        {"\"/USER=\\\"Ann\\\"\" /S", "/USER=\"Ann\"|/S", 0},
        // "" inside quotes is a quote and ends the quoted part (Visual C++ 2008 and later would
        // give a "b" c and a"b|c), which only shows when the value goes on.
        {"\"a \"\"b\"\" c\"", "a \"b|c", 0},
        {"\"a\"\"b\" c", "a\"b c", 0},
        {"/USER=\"Ann \"\"Jr\"\"\"", "/USER=Ann \"Jr\"", 0},
        // The second byte of a double-byte character is no backslash before a quote.
        {"\"C:\\Acme \x95\x5c\"\\Data /S", "C:\\Acme \x95\x5c\\Data|/S", 932},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::string joined;
        char argument[64];
        bool fits = false;
        for (const char* p = SkipArgumentBlanks(c.line); *p; p = SkipArgumentBlanks(p)) {
            p = SplitArgument(p, argument, sizeof(argument), &fits, c.codePage);
            EXPECT_TRUE(fits);
            joined += (joined.empty() ? "" : "|") + std::string(argument);
        }
        EXPECT_EQ(c.arguments, joined);
    }

    char small[4];
    bool fits = true;
    const char* text = "\"abcdef\" x";
    EXPECT_EQ(text + 8, SplitArgument(text, small, sizeof(small), &fits));
    EXPECT_FALSE(fits);
    EXPECT_STREQ("abc", small);
}
