#include <gtest/gtest.h>

#include <string>

#include "script/field_text.h"
#include "script/item_parser.h"

namespace {
InstallItem ParseFile(std::string value, uint32_t kind = ITEM_COPYFILE) {
    InstallItem item;
    ParseFileItem(&value[0], kind, &item);
    return item;
}

ShortcutItem ParseShortcut(std::string value) {
    ShortcutItem item;
    ParseShortcutItem(&value[0], &item);
    return item;
}
} // namespace

TEST(ItemParserTest, FileLines) {
    InstallItem item = ParseFile("120;%DEST_PATH%\\Sync.dll;regservice");
    EXPECT_EQ(120, item.sizeK);
    EXPECT_STREQ("%DEST_PATH%\\Sync.dll", item.path);
    EXPECT_EQ(ITEM_COPYFILE | ITEM_REGSERVICE, item.flags);

    item = ParseFile("  12K  ;  %DEST_PATH%\\a b.txt  ");
    EXPECT_EQ(12, item.sizeK);
    EXPECT_STREQ("%DEST_PATH%\\a b.txt", item.path);
    EXPECT_EQ(ITEM_COPYFILE, item.flags);

    item = ParseFile("just a path", ITEM_PALMFILE);
    EXPECT_EQ(0, item.sizeK);
    EXPECT_STREQ("", item.path);
    EXPECT_EQ(ITEM_PALMFILE, item.flags);

    item = ParseFile("K;bare.prc;Unknown;extra;fields", ITEM_PALMFILE);
    EXPECT_EQ(0, item.sizeK);
    EXPECT_STREQ("bare.prc", item.path);
    EXPECT_EQ(ITEM_PALMFILE, item.flags);

    item = ParseFile("5;x.dll; ActiveSync ;REGSERVICE");
    EXPECT_EQ(ITEM_COPYFILE | ITEM_ACTIVESYNC, item.flags);
    item = ParseFile("-3;x.dll;\tdesktop");
    EXPECT_EQ(-3, item.sizeK);
    EXPECT_EQ(ITEM_COPYFILE | ITEM_DESKTOP, item.flags);
}

TEST(ItemParserTest, ShortcutLines) {
    ShortcutItem item = ParseShortcut("%DEST_PATH%\\v.exe;0;;Viewer");
    EXPECT_STREQ("%DEST_PATH%\\v.exe", item.path);
    EXPECT_EQ(0, item.iconIndex);
    EXPECT_STREQ("", item.arguments);
    EXPECT_STREQ("Viewer", item.linkName);
    EXPECT_EQ(ITEM_SHORTCUT, item.flags);
    EXPECT_EQ(0, item.sizeK);

    item = ParseShortcut("no separator at all");
    EXPECT_STREQ("", item.path);
    EXPECT_STREQ("", item.linkName);
    EXPECT_STREQ("", item.arguments);
    EXPECT_EQ(ITEM_SHORTCUT, item.flags);

    item = ParseShortcut(" t.exe ; 3 icons");
    EXPECT_STREQ("t.exe", item.path);
    EXPECT_EQ(3, item.iconIndex);
    EXPECT_STREQ("", item.arguments);

    item = ParseShortcut("t.exe;1;%DEST_PATH%\\doc.txt ;  Read me ;SendTo;ignored");
    EXPECT_STREQ("%DEST_PATH%\\doc.txt", item.arguments);
    EXPECT_STREQ("Read me", item.linkName);
    EXPECT_EQ(ITEM_SHORTCUT | ITEM_SENDTO, item.flags);

    // The reader records any keyword; the engine decides what it means on a shortcut.
    item = ParseShortcut("t.exe;0;;Service;REGSERVICE");
    EXPECT_EQ(ITEM_SHORTCUT | ITEM_REGSERVICE, item.flags);
}

TEST(ItemParserTest, NumberFields) {
    EXPECT_EQ(0, ReadDecimal(""));
    EXPECT_EQ(0, ReadDecimal("abc"));
    EXPECT_EQ(42, ReadDecimal("  +42kb"));
    EXPECT_EQ(-7, ReadDecimal("-7"));
    // Hexadecimal is not a decimal number: "0x10" stops at the "x".
    EXPECT_EQ(0, ReadDecimal("0x10"));
    EXPECT_EQ(INT32_MAX, ReadDecimal("99999999999999999999"));
    EXPECT_EQ(INT32_MIN, ReadDecimal("-99999999999999999999"));
    EXPECT_EQ(INT32_MAX, AddSizes(INT32_MAX - 1, 5));
    EXPECT_EQ(INT32_MIN, AddSizes(INT32_MIN + 1, -5));
    EXPECT_EQ(15, AddSizes(10, 5));
}
