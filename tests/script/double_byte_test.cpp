#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "script/field_text.h"
#include "script_test_support.h"
#include "system/text.h"

// Code page 932 texts whose second bytes equal "\" (0x5C): HYOU (0x95 0x5C) and SO (0x83 0x5C).
#define HYOU "\x95\x5C"
#define SO "\x83\x5C"

namespace {
// These tests need Wine's ANSI code page to be 932 (a Japanese locale). The run made for them
// sets ORVEX_EXPECT_ACP, so that a wrong locale fails instead of skipping.
bool NeedsCodePage932() {
    const char* expected = getenv("ORVEX_EXPECT_ACP");
    if (expected && *expected) {
        EXPECT_EQ(static_cast<UINT>(atoi(expected)), GetACP());
        return GetACP() == 932;
    }
    return GetACP() == 932;
}
} // namespace

#define REQUIRE_CODE_PAGE_932()                                                                    \
    do {                                                                                           \
        if (!NeedsCodePage932()) {                                                                 \
            if (::testing::Test::HasFailure())                                                     \
                return;                                                                            \
            GTEST_SKIP() << "runs under a Japanese locale (code page 932)";                        \
        }                                                                                          \
    } while (0)

TEST(DoubleByteTest, SeparatorsInsideCharactersAreText) {
    REQUIRE_CODE_PAGE_932();
    ScriptFile file("[General]\r\nCompany=" HYOU "\r\nApplication=" SO "\r\n"
                    "ReadMe=%DEST_PATH%\\" HYOU ".txt;" SO HYOU "\r\n"
                    "Components=" HYOU ";" SO "\\\r\n"
                    "[" HYOU "]\r\nName=" HYOU SO "\r\n"
                    "CopyFile1=12;%DEST_PATH%\\" HYOU "\\" SO ".dll;REGSERVICE\r\n"
                    "Shortcut1=%DEST_PATH%\\" SO ".exe;1;" HYOU ";" SO ";DESKTOP\r\n"
                    "[" SO "\\]\r\nName=second\r\n");
    ScriptPtr script = file.Read();
    EXPECT_STREQ(HYOU " " SO, script->productTitle);
    EXPECT_STREQ("%PROGRAM_FILES%\\" HYOU "\\" SO, script->destFolder);
    EXPECT_STREQ("%DEST_PATH%\\" HYOU ".txt", script->readMePath);
    EXPECT_STREQ(SO HYOU, script->readMeCaption);
    ASSERT_EQ(2, script->components.Count());
    const Component* first = ComponentAt(script->components, 0);
    EXPECT_STREQ(HYOU SO, first->name);
    EXPECT_STREQ("second", ComponentAt(script->components, 1)->name);
    ASSERT_EQ(2, first->items.Count());
    EXPECT_STREQ("%DEST_PATH%\\" HYOU "\\" SO ".dll", ItemAt(first, 0)->path);
    EXPECT_STREQ(SO ".dll", FileNamePart(ItemAt(first, 0)->path));
    EXPECT_EQ(ITEM_COPYFILE | ITEM_REGSERVICE, ItemAt(first, 0)->flags);
    const ShortcutItem* shortcut = ShortcutAt(first, 1);
    ASSERT_NE(nullptr, shortcut);
    EXPECT_STREQ(HYOU, shortcut->arguments);
    EXPECT_STREQ(SO, shortcut->linkName);
    EXPECT_EQ(ITEM_SHORTCUT | ITEM_DESKTOP, shortcut->flags);
}

TEST(DoubleByteTest, CutsKeepWholeCharacters) {
    REQUIRE_CODE_PAGE_932();
    // 258 bytes and one double-byte character: the path field holds 259, so the character goes.
    std::string path(258, 'a');
    ScriptFile file("[General]\nComponents=A\n[A]\nCopyFile1=1;" + path + HYOU ";DESKTOP\n");
    ScriptPtr script = file.Read();
    const InstallItem* item = ItemAt(ComponentAt(script->components, 0), 0);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(path, item->path);
    EXPECT_EQ(ITEM_COPYFILE | ITEM_DESKTOP, item->flags);

    char field[4];
    EXPECT_EQ(3u, CopyField(field, sizeof(field), "a" HYOU "b"));
    EXPECT_STREQ("a" HYOU, field);
    EXPECT_EQ(2u, CopyField(field, sizeof(field), "ab" HYOU));
    EXPECT_STREQ("ab", field);
    // Under a single-byte code page the same bytes are two characters.
    EXPECT_EQ(3u, CopyField(field, sizeof(field), "ab" HYOU, 1252));
}
