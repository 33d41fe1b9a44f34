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
