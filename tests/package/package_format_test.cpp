// The package data as the starter reads it: names that could reach outside the new folder, and
// tables whose counts, sizes and names do not agree with the header.
#include <gtest/gtest.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "package/package_format.h"
#include "starter/starter_format.h"

namespace {
struct NameCase {
    const char* name;
    bool usable;
};

PackageHeader HeaderFor(const std::vector<uint8_t>& table, uint32_t files, uint32_t unpacked) {
    PackageHeader header = {};
    header.fileCount = files;
    header.tableSize = static_cast<uint32_t>(table.size());
    header.unpackedSize = unpacked;
    return header;
}

void AddEntry(std::vector<uint8_t>* table, const char* name, uint32_t size) {
    uint8_t bytes[8] = {};
    WriteLe32(bytes, size);
    table->insert(table->end(), bytes, bytes + 8);
    table->push_back(static_cast<uint8_t>(strlen(name)));
    table->insert(table->end(), name, name + strlen(name));
}
} // namespace

TEST(PackageFormat, OnlyPlainNamesOfTheFolderItselfAreUsable) {
    const NameCase cases[] = {
        {"Setup.exe", true},
        {"Read Me.txt", true},
        {"a.b.c", true},
        {"", false},
        {"..", false},
        {".", false},
        {"..\\Setup.exe", false},
        {"sub/x.dll", false},
        {"C:x.dll", false},
        {"x.dll:stream", false},
        {"name.", false},
        {"name ", false},
        {"a\x01.txt", false},
        {"a?.txt", false},
        {"CON", false},
        {"con.txt", false},
        {"LPT1.log", false},
        {"COM9", false},
        {"COM\xB9", false},
        {"lpt\xB2.txt", false},
        {"LPT\xB3", false},
        {"COM\xB4", true},
        {"NUL .txt", false},
        {"CONOUT$", false},
        {"COM10", true},
        {"CONSOLE.txt", true},
        {"lpt.txt", true},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(c.usable, PackageNameUsable(c.name)) << c.name;
    EXPECT_FALSE(PackageNameUsable(std::string(PACKAGE_MAX_NAME + 1, 'a').c_str()));
    EXPECT_TRUE(PackageNameUsable(std::string(PACKAGE_MAX_NAME, 'a').c_str()));
}

TEST(PackageFormat, TablesThatDisagreeWithTheirHeaderAreRefused) {
    struct TableCase {
        const char* what;
        std::vector<std::pair<const char*, uint32_t>> entries;
        int filesDelta;    // header count against the entries
        int unpackedDelta; // header total against the sizes
        int extraBytes;    // bytes behind the last entry
        bool accepted;
    };
    const TableCase cases[] = {
        {"whole", {{"Setup.exe", 10}, {"Setup.ini", 5}}, 0, 0, 0, true},
        {"empty file", {{"Setup.exe", 10}, {"Empty.txt", 0}}, 0, 0, 0, true},
        {"no program", {{"Setup.ini", 5}}, 0, 0, 0, false},
        {"repeated name", {{"Setup.exe", 1}, {"SETUP.EXE", 1}}, 0, 0, 0, false},
        {"bad name", {{"Setup.exe", 1}, {"..\\evil.dll", 1}}, 0, 0, 0, false},
        {"device", {{"Setup.exe", 1}, {"aux.dll", 1}}, 0, 0, 0, false},
        {"count too high", {{"Setup.exe", 1}}, 1, 0, 0, false},
        {"count too low", {{"Setup.exe", 1}, {"b", 1}}, -1, -1, 0, false},
        {"sizes above total", {{"Setup.exe", 10}}, 0, -1, 0, false},
        {"sizes below total", {{"Setup.exe", 10}}, 0, 1, 0, false},
        {"trailing bytes", {{"Setup.exe", 10}}, 0, 0, 3, false},
        {"size wraps", {{"Setup.exe", 0xffffffffu}, {"b", 2}}, 0, 0, 0, false},
    };
    for (const TableCase& c : cases) {
        std::vector<uint8_t> table;
        uint32_t total = 0;
        for (const auto& entry : c.entries) {
            AddEntry(&table, entry.first, entry.second);
            total += entry.second;
        }
        table.insert(table.end(), c.extraBytes, 'x');
        PackageHeader header = HeaderFor(
            table, static_cast<uint32_t>(c.entries.size() + c.filesDelta), total + c.unpackedDelta);
        std::vector<PackageEntry> entries(header.fileCount + 1);
        EXPECT_EQ(c.accepted, ReadPackageTable(header, table.data(), entries.data())) << c.what;
    }
    // A name whose length byte runs past the table.
    std::vector<uint8_t> table;
    AddEntry(&table, "Setup.exe", 1);
    table[8] = 200;
    std::vector<PackageEntry> entries(1);
    EXPECT_FALSE(ReadPackageTable(HeaderFor(table, 1, 1), table.data(), entries.data()));
}

TEST(PackageFormat, HeadersWithATitleNoCaptionCanShowAreRefused) {
    PackageHeader header = {};
    header.fileCount = 1;
    strcpy(header.title, "Acme Reader");
    uint8_t bytes[PACKAGE_HEADER_SIZE];
    WritePackageHeader(header, bytes);
    PackageHeader read = {};
    ASSERT_TRUE(ReadPackageHeader(bytes, sizeof(bytes), &read));
    EXPECT_STREQ("Acme Reader", read.title);
    memset(bytes + PACKAGE_TITLE_AT, 'A', PACKAGE_TITLE_SIZE); // no terminator
    EXPECT_FALSE(ReadPackageHeader(bytes, sizeof(bytes), &read));
    bytes[PACKAGE_TITLE_AT + 1] = '\0';
    bytes[PACKAGE_TITLE_AT] = '\n';
    EXPECT_FALSE(ReadPackageHeader(bytes, sizeof(bytes), &read));
}

// The common CRC-32, as zip and PNG compute it, however the bytes are aligned and split between
// calls.
TEST(PackageFormat, Crc32OfBytesInAnyPiecesAndPlaces) {
    std::string ascending;
    for (char i = 0; i < 32; ++i)
        ascending += i;
    const std::pair<std::string, uint32_t> cases[] = {{"123456789", 0xcbf43926u},
                                                      {std::string(32, '\0'), 0x190a55adu},
                                                      {std::string(32, '\xff'), 0xff6cab0bu},
                                                      {ascending, 0x91267e8au}};
    uint8_t buffer[40];
    for (const auto& [bytes, crc] : cases) {
        for (size_t offset = 0; offset < 8; ++offset) {
            uint8_t* at = buffer + offset;
            memcpy(at, bytes.data(), bytes.size());
            for (size_t split = 0; split <= bytes.size(); ++split)
                EXPECT_EQ(crc, Crc32(Crc32(0, at, split), at + split, bytes.size() - split))
                    << bytes.size() << " bytes at " << offset << ", split at " << split;
        }
    }
}

namespace {
std::string StarterText(size_t size, const char* format, ...) {
    char out[64];
    va_list args;
    va_start(args, format);
    int length = StarterFormat(out, size, format, args);
    va_end(args);
    return std::to_string(length) + ":" + out;
}

std::string RuntimeText(size_t size, const char* format, ...) {
    char out[64];
    va_list args;
    va_start(args, format);
    int length = _vsnprintf(out, size, format, args);
    va_end(args);
    out[size - 1] = '\0';
    return std::to_string(length < 0 ? static_cast<int>(size) + 1 : length) + ":" + out;
}
} // namespace

// Every conversion the starter formats comes out as msvcrt.dll's, and takes exactly its
// arguments: the %s behind each shows that.
TEST(StarterFormatTest, ConversionsMatchTheRuntime) {
#define SAME(...) EXPECT_EQ(RuntimeText(64, __VA_ARGS__), StarterText(64, __VA_ARGS__))
    SAME("%s|%c|%5s|%-5s|%.2s|%.*s|%s", "ab", 'c', "de", "fg", "hij", 1, "kl", "end");
    SAME("%d|%i|%u|%ld|%lu|%s", -42, 7, 4000000000u, -2147483647L - 1, 0ul, "end");
    SAME("%x|%X|%lX|%08lX|%#x|%#X|%o|%#o|%s", 255, 255, 0xDEADBEEFul, 0xABCul, 26, 0, 8, 8, "end");
    SAME("%05d|%-5d|%+d|% d|%+5d|%.3d|%8.3d|%.0d|%s", -42, 42, 3, 3, 3, 7, -7, 0, "end");
    SAME("%*d|%-*d|%*d|%.*d|%hd|%hu|%%|%s", 4, 1, 4, 2, -4, 3, 2, 5, 7, 9, "end");
    SAME("%04u-%02u-%02u %02u:%02u|%p|%s", 2026u, 12u, 8u, 7u, 5u,
         reinterpret_cast<void*>(0xC0FFEE), "end");
#undef SAME
    // Cut, always terminated, the length as C99 gives it.
    EXPECT_EQ("9:abc", StarterText(4, "%s-%d", "abcdef", 42));
}
