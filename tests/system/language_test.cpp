#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "resources/text_ids.h"
#include "support/test_support.h"
#include "system/exit_codes.h"
#include "system/language.h"
#include "system/language_choice.h"
#include "system/module.h"

namespace {
struct TableText {
    unsigned id;
    const char* english;
    bool stringTable;
};
const TableText tableTexts[] = {
#define STRING_TEXT(id, english) {id, english, true},
#define DIALOG_TEXT(dialog, control, id, english) {id, english, false},
#define CODE_TEXT(id, english) {id, english, false},
#define PALM_TEXT(id, english) {id, english, false},
#include "resources/text_ids.h"
};

std::string Header(const char* ids, const char* codePage) {
    return std::string("[Language]\r\nName=Test\r\nLangID=") + ids + "\r\nCodePage=" + codePage +
           "\r\n[Texts]\r\n";
}

struct Sink : LanguageProblemSink {
    std::vector<std::pair<unsigned, LanguageProblem>> seen;
    void Problem(unsigned line, LanguageProblem problem) override {
        seen.push_back({line, problem});
    }
};

// The text id 502 stands for in a file of these bytes, as a run would show it.
std::string Shown(const std::string& bytes, unsigned id, const char* english,
                  Sink* sink = nullptr) {
    static char store[LANGUAGE_FILE_LIMIT + 1];
    static LanguageFile file;
    ReadLanguageFile(bytes.data(), bytes.size(), store, &file, sink);
    const char* text = file.Find(id);
    return text && SameConversions(text, english) ? text : english;
}
} // namespace

// Every text a person reads has one id; the table's English is the program's own.
TEST(LanguageTest, TheTextTableMatchesTheProgramsTexts) {
    std::set<unsigned> ids;
    for (const TableText& row : tableTexts) {
        EXPECT_TRUE(ids.insert(row.id).second) << row.id;
        EXPECT_TRUE(SameConversions(row.english, row.english)) << row.id << " has * or %n";
        if (row.stringTable) {
            char text[1024];
            LoadModuleString(row.id, text, sizeof(text));
            EXPECT_STREQ(row.english, text) << row.id;
        } else {
            EXPECT_TRUE(row.id != 1 && row.id != 2 && row.id != 1011 && row.id != 1012);
        }
    }
}

TEST(LanguageTest, TextsWhoseConversionsDifferStayEnglish) {
    const struct {
        const char* english;
        const char* text;
        bool taken;
    } cases[] = {
        {"Installation", "Installation", true},
        {"ERROR: Can't find file \"%s\".", "FEHLER: Datei \"%s\" fehlt.", true},
        {"The file \"%s\" is in use by %s.", "%s benutzt \"%s\".", true}, // same order of types
        {"Unknown Palm error: 0x%lX", "Palm-Fehler: 0x%lx", false},
        {"Unknown Palm error: 0x%lX", "Palm-Fehler: 0x%X", false},
        {"%d K", "%d KB", true},
        {"%d K", "%5d K", false},
        {"%d K", "%d K %s", false},
        {"%d K", "K", false},
        {"%s", "%s %n", false},
        {"%s", "%.*s", false},
        {"100%% of %s", "%s zu 100%%", false},
        {"100%% of %s", "100%% von %s", true},
        {"Tip", "Hinweis 100%", false},
    };
    for (const auto& c : cases) {
        std::string file = Header("0x0407", "1252") + "502=" + c.text + "\r\n";
        EXPECT_EQ(c.taken ? c.text : c.english, Shown(file, 502, c.english)) << c.text;
    }
}

TEST(LanguageTest, DamagedLinesAndFilesAreLeftOut) {
    Sink sink;
    std::string japanese = Header("0x0411", "932") +
                           "501=\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\r\n" // whole
                           "502=cut \x83\r\n"  // a lead byte without its trail
                           "503=bell \x07\r\n" // a control character
                           "504=\x95\x5Cn and \\n\tand \\\\ and \\x\n" // 0x5C as a trail byte
                           "no id here\r\n"
                           "505=first\r\n505=second\r\n"
                           "99999999999=overflow\r\n"
                           "; 506=comment\r\n";
    EXPECT_EQ("\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B", Shown(japanese, 501, "E", &sink));
    EXPECT_EQ("E", Shown(japanese, 502, "E"));
    EXPECT_EQ("E", Shown(japanese, 503, "E"));
    EXPECT_EQ("\x95\x5Cn and \n\tand \\ and \\x", Shown(japanese, 504, "E"));
    EXPECT_EQ("first", Shown(japanese, 505, "E"));
    EXPECT_EQ("E", Shown(japanese, 506, "E"));
    std::vector<std::pair<unsigned, LanguageProblem>> expected = {{7, LANGUAGE_BAD_BYTES},
                                                                  {8, LANGUAGE_BAD_BYTES},
                                                                  {10, LANGUAGE_BAD_LINE},
                                                                  {12, LANGUAGE_REPEATED},
                                                                  {13, LANGUAGE_BAD_LINE}};
    EXPECT_EQ(expected, sink.seen);

    LanguageHeader header;
    const struct {
        std::string bytes;
        bool usable;
    } files[] = {
        {Header("0x0407", "1252"), true},
        {"[Texts]\n501=Installation\n", false},
        {"[Language]\nName=Deutsch\nLangID=0x0407\n[Texts]\n", false},
        {"[Sprache]\nCodePage=1252\n", false},
        {std::string("[Language]\nCodePage=1252\n\0\n", 26), true},
    };
    for (const auto& f : files) {
        ReadLanguageHeader(f.bytes.data(), f.bytes.size(), &header);
        EXPECT_EQ(f.usable, header.Usable()) << f.bytes;
    }
    // Too large to be read at all, whatever it holds.
    TempFolder folder("language");
    std::string huge = Header("0x0407", "1252") + std::string(LANGUAGE_FILE_LIMIT, ';');
    ASSERT_TRUE(WriteFileBytes(folder.File("Setup.de.lng"), huge));
    EXPECT_EQ(LANGUAGE_FILE_UNUSABLE,
              UseLanguageFile(folder.File("Setup.de.lng").c_str(), "de", 1252, &header));
    EXPECT_EQ(LANGUAGE_FILE_ABSENT,
              UseLanguageFile(folder.File("Setup.fr.lng").c_str(), "fr", 1252, &header));
}

// A translated text too long for its buffer is cut, never inside a double-byte character.
TEST(LanguageTest, LongTextsAreCutBetweenCharacters) {
    TempFolder folder("language");
    std::string path = folder.File("Setup.ja.lng");
    ASSERT_TRUE(WriteFileBytes(path, Header("0x0411", "932") + "1115=a\x83\x43\x83\x43\r\n"));
    LanguageHeader header;
    ASSERT_EQ(LANGUAGE_FILE_READ, UseLanguageFile(path.c_str(), "ja", 932, &header));
    char text[5];
    EXPECT_EQ(3u, CopyLocalText(text, sizeof(text), 1115, "Tip"));
    EXPECT_STREQ("a\x83\x43", text);
    EXPECT_EQ(1u, CopyLocalText(text, 3, 1115, "Tip"));
    EXPECT_STREQ("ja", LanguageTag());
    UseEnglish();
    EXPECT_STREQ("Tip", LocalText(1115, "Tip"));
}

TEST(LanguageTest, TheInterfaceLanguageAndCodePageChooseTheFile) {
    const std::map<std::string, std::string> files = {
        {"de", Header("0x0407,0x0807,0x0C07", "1252")},
        {"DE-ch", Header("0x0807", "1252")},
        {"fr", Header("0x040C,0x080C", "1252")},
        {"ja", Header("0x0411", "932")},
        {"pt-BR", Header("0x0416", "1252")},
        {"ru", Header("0x0419", "1251")},
        {"broken", "[Texts]\n501=x\n"},
    };
    const struct {
        LANGID language;
        UINT codePage;
        const char* tag; // /LANG
        const char* present;
        int exitCode;
        const char* why;
    } cases[] = {
        {0x0407, 1252, "", "de fr", 0, "Language: de (interface language 0x0407)"},
        // An exact match before the first of the same primary language, in tag order.
        {0x0807, 1252, "", "de DE-ch", 0, "Language: de (interface language 0x0807)"},
        {0x1007, 1252, "", "DE-ch de", 0, "Language: de (interface language 0x1007)"},
        {0x0816, 1252, "", "pt-BR", 0, "Language: pt-BR (interface language 0x0816)"},
        {0x0409, 1252, "", "de fr ja", 0, "Language: en (interface language 0x0409)"},
        {0x0411, 1252, "", "de ja", 0,
         "Language: en (Setup.ja.lng is written for code page 932, this system uses 1252)"},
        {0x0419, 1251, "", "de ru broken", 0, "Language: ru (interface language 0x0419)"},
        {0x0407, 1251, "", "de ru", 0,
         "Language: en (Setup.de.lng is written for code page 1252, this system uses 1251)"},
        {0x0407, 1252, "fr", "de fr", 0, "Language: fr (/LANG=fr)"},
        {0x0407, 1252, "en", "de", 0, "Language: en (/LANG=en)"},
        {0x0407, 1252, "it", "de", EXIT_WRONG_COMMAND, "Language: no Setup.it.lng for /LANG=it"},
        {0x0407, 1252, "..\\de", "de", EXIT_WRONG_COMMAND,
         "Language: no Setup...\\de.lng for /LANG=..\\de"},
        {0x0407, 1252, "ja", "de ja", 0,
         "Language: en (Setup.ja.lng is written for code page 932, this system uses 1252)"},
        {0x0407, 1252, "broken", "broken", 0,
         "Language: en (Setup.broken.lng is no usable language file)"},
    };
    for (const auto& c : cases) {
        TempFolder folder("language");
        std::string present = std::string(" ") + c.present + " ";
        for (const auto& file : files) {
            if (present.find(" " + file.first + " ") == std::string::npos)
                continue;
            ASSERT_TRUE(WriteFileBytes(folder.File("Setup." + file.first + ".lng"), file.second));
        }
        UseEnglish();
        char why[256];
        EXPECT_EQ(c.exitCode, ChooseInstallLanguageIn(folder.Path().c_str(), c.tag, c.language,
                                                      c.codePage, why, sizeof(why)))
            << c.why;
        EXPECT_STREQ(c.why, why);
        std::string shown = c.exitCode ? "en" : std::string(c.why + 10);
        EXPECT_EQ(shown.substr(0, shown.find(' ')),
                  LanguageTag()[0] ? LanguageTag() : std::string("en"))
            << c.why;
    }
    UseEnglish();
}

// The languages the project ships: every text there, none the installer would refuse.
TEST(LanguageTest, EveryShippedLanguageFileIsCompleteAndSafe) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(ORVEX_LANGUAGES_DIR "\\Setup.*.lng", &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    const std::set<UINT> codePages = {1250, 1251, 1252, 932, 936, 949, 950};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::string bytes = ReadFileBytes(std::string(ORVEX_LANGUAGES_DIR) + "\\" + name);
        ASSERT_LE(bytes.size(), LANGUAGE_FILE_LIMIT);
        static char store[LANGUAGE_FILE_LIMIT + 1];
        static LanguageFile file;
        Sink sink;
        ReadLanguageFile(bytes.data(), bytes.size(), store, &file, &sink);
        EXPECT_TRUE(sink.seen.empty()) << "line " << sink.seen[0].first;
        EXPECT_TRUE(file.header.Usable());
        EXPECT_TRUE(file.header.name[0] && file.header.langIdCount > 0);
        EXPECT_EQ(1u, codePages.count(file.header.codePage)) << file.header.codePage;
        std::set<unsigned> ids;
        for (const TableText& row : tableTexts) {
            ids.insert(row.id);
            const char* text = file.Find(row.id);
            EXPECT_TRUE(text && SameConversions(text, row.english)) << "text " << row.id;
        }
        for (size_t i = 0; i < file.textCount; ++i)
            EXPECT_EQ(1u, ids.count(file.texts[i].id)) << "unknown text " << file.texts[i].id;
    }
}
