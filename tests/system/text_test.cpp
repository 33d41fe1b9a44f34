#include <gtest/gtest.h>

#include <string.h>

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
