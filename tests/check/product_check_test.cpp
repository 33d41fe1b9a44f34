// The checks of SetupCheck.exe against small product folders, each broken in one way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/findings.h"
#include "check/product_check.h"
#include "support/test_support.h"

namespace {

// A product that checks clean; each case below changes one line of it.
const std::vector<std::string> BASE_SCRIPT = {
    "[General]",                                   // 1
    "Company=Acme",                                // 2
    "Application=Viewer",                          // 3
    "Logo=Logo.bmp",                               // 4
    "ReadMe=%DEST_PATH%\\Viewer.txt;Read me",      // 5
    "Components=Main;Palm",                        // 6
    "[Main]",                                      // 7
    "Name=Viewer",                                 // 8
    "CopyFile1=1;%DEST_PATH%\\Viewer.exe",         // 9
    "CopyFile2=1;%SYSTEM%\\View.dll;REGSERVICE",   // 10
    "CopyFile3=1;%DEST_PATH%\\Viewer.txt",         // 11
    "Shortcut1=%DEST_PATH%\\Viewer.exe;0;;Viewer", // 12
    "[Palm]",                                      // 13
    "Name=Handheld",                               // 14
    "CopyPalmFile1=1;Viewer.prc",                  // 15
};
const char* const BASE_FILES[] = {"Licence.txt", "Logo.bmp",   "Viewer.exe", "View.dll",
                                  "Viewer.txt",  "Viewer.prc", "CondMgr.dll"};

struct Expected {
    int line;
    FindingLevel level;
    std::string part;
};

// A base line replaced by text; line 0 appends the text.
struct Edit {
    int line;
    std::string text;
};

struct Case {
    const char* name;
    std::vector<Edit> edits;
    const char* removed; // a file taken out of the folder
    const char* added;   // a file put into it
    std::vector<Expected> expected;
};

std::string Repeated(const std::string& part, int count, const char* separator) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? separator : "") + part;
    return text;
}

void MakeProduct(const TempFolder& folder, const Case& change) {
    std::vector<std::string> lines = BASE_SCRIPT;
    for (const Edit& edit : change.edits) {
        if (edit.line > 0)
            lines[edit.line - 1] = edit.text;
        else
            lines.push_back(edit.text);
    }
    std::string script;
    for (const std::string& line : lines)
        script += line + "\r\n";
    ASSERT_TRUE(WriteFileBytes(folder.File("Setup.ini"), script));
    for (const char* file : BASE_FILES) {
        if (!change.removed || std::string(change.removed) != file) {
            ASSERT_TRUE(WriteFileBytes(folder.File(file), std::string(100, 'x')));
        }
    }
    if (change.added) {
        ASSERT_TRUE(WriteFileBytes(folder.File(change.added), std::string(100, 'x')));
    }
}

TEST(ProductCheckTest, EachMistakeIsFoundAtItsLine) {
    const std::string longName(240, 'a');
    const std::string fortyY = "Components=" + Repeated("Y", 40, ";");
    const std::string fortyZ = "Components=" + Repeated("Z", 40, ";");
    const std::vector<Case> cases = {
        {"clean", {}, nullptr, nullptr, {}},
        {"desktop file missing",
         {},
         "Viewer.exe",
         nullptr,
         {{9, FINDING_ERROR, "\"Viewer.exe\" is not in the product folder"}}},
        {"Palm file missing",
         {},
         "Viewer.prc",
         nullptr,
         {{15, FINDING_ERROR, "\"Viewer.prc\" is not in the product folder"}}},
        {"logo missing", {}, "Logo.bmp", nullptr, {{4, FINDING_ERROR, "logo file \"Logo.bmp\""}}},
        {"licence missing",
         {},
         "Licence.txt",
         nullptr,
         {{1, FINDING_ERROR, "licence file \"Licence.txt\""}}},
        {"misspelt option",
         {{10, "CopyFile2=1;%SYSTEM%\\View.dll;REGSERVISE"}},
         nullptr,
         nullptr,
         {{10, FINDING_ERROR, "unknown option \"REGSERVISE\""}}},
        {"unknown macro",
         {{10, "CopyFile2=1;%System%\\View.dll;REGSERVICE"}},
         nullptr,
         nullptr,
         {{10, FINDING_ERROR, "unknown macro %System%"}}},
        {"unterminated macro",
         {{10, "CopyFile2=1;%SYSTEM\\View.dll;REGSERVICE"}},
         nullptr,
         nullptr,
         {{10, FINDING_ERROR, "without a closing one"}}},
        {"no destination",
         {{10, "CopyFile2=1"}},
         nullptr,
         nullptr,
         {{0, FINDING_WARNING, "\"View.dll\" is in the product folder, but no item names it"},
          {10, FINDING_ERROR, "\"CopyFile2\" has no \";\""}}},
        {"size not a number",
         {{10, "CopyFile2=one;%SYSTEM%\\View.dll;REGSERVICE"}},
         nullptr,
         nullptr,
         {{10, FINDING_ERROR, "size field \"one\" is not a number: the installer counts 0 K"}}},
        {"list names a missing section",
         {{6, "Components=Main;Palm;Extra"}},
         nullptr,
         nullptr,
         {{6, FINDING_ERROR, "no section [Extra]"}}},
        {"list names its own section",
         {{14, "Components=Palm"}},
         nullptr,
         nullptr,
         {{14, FINDING_ERROR, "\"Palm\", its own section"}}},
        {"list names an ancestor",
         {{8, "Components=Palm"}, {14, "Components=Main"}},
         nullptr,
         nullptr,
         {{14, FINDING_ERROR, "\"Main\", a section whose list leads here"}}},
        {"Palm files without CondMgr.dll",
         {},
         "CondMgr.dll",
         nullptr,
         {{15, FINDING_ERROR, "need \"CondMgr.dll\""}}},
        {"path too long",
         {{10, "CopyFile2=1;%SYSTEM%\\" + longName + "\\View.dll;REGSERVICE"}},
         nullptr,
         nullptr,
         {{10, FINDING_ERROR, "more than the 259 a Windows path holds"}}},
        {"value longer than its field",
         {{2, "Company=" + std::string(40, 'c')}},
         nullptr,
         nullptr,
         {{2, FINDING_WARNING,
           "is 40 bytes, longer than the 31 the installer keeps: it uses "
           "\"" +
               std::string(31, 'c') + "\""}}},
        {"numbering gap",
         {{12, "Shortcut2=%DEST_PATH%\\Viewer.exe;0;;Viewer"}},
         nullptr,
         nullptr,
         {{12, FINDING_WARNING, "\"Shortcut2\" is never read"}}},
        {"duplicate key",
         {{14, "CopyPalmFile1=1;Viewer.prc"}},
         nullptr,
         nullptr,
         {{15, FINDING_WARNING, "reads only the one at line 14"}}},
        {"duplicate section",
         {{0, "[main]"}},
         nullptr,
         nullptr,
         {{16, FINDING_WARNING, "section [main] appears again"}}},
        {"section nothing names",
         {{0, "[Unused]"}},
         nullptr,
         nullptr,
         {{16, FINDING_WARNING, "[Unused] is named by no \"Components\" list"}}},
        {"misspelt key",
         {{14, "Descripton=Handheld"}},
         nullptr,
         nullptr,
         {{14, FINDING_WARNING, "unknown key \"Descripton\" in [Palm]"}}},
        {"size differs",
         {{15, "CopyPalmFile1=5;Viewer.prc"}},
         nullptr,
         nullptr,
         {{15, FINDING_WARNING, "says 5 K, but \"Viewer.prc\" has 1 K"}}},
        {"file nothing names",
         {},
         nullptr,
         "Extra.dll",
         {{0, FINDING_WARNING, "\"Extra.dll\" is in the product folder, but no item names it"}}},
        {"shortcut to a file not installed",
         {{12, "Shortcut1=%DEST_PATH%\\Viewr.exe;0;;Viewer"}},
         nullptr,
         nullptr,
         {{12, FINDING_WARNING, "which no item installs"}}},
        {"read-me not installed",
         {{5, "ReadMe=%DEST_PATH%\\ReadMe.txt;Read me"}},
         nullptr,
         nullptr,
         {{5, FINDING_WARNING, "the read-me points at \"%DEST_PATH%\\ReadMe.txt\""}}},
        {"U key alone",
         {{9, "CopyFile1U=1;%DEST_PATH%\\Viewer.exe"}},
         nullptr,
         nullptr,
         {{9, FINDING_WARNING, "Windows 95, 98 and Me read no \"U\" keys"}}},
        // 1 + 40 + 1600 components from three short lists.
        {"more components than taken",
         {{14, "Components=X"}, {0, "[X]"}, {0, fortyY}, {0, "[Y]"}, {0, fortyZ}, {0, "[Z]"}},
         nullptr,
         nullptr,
         {{0, FINDING_WARNING, "more components or items than the installer takes"}}},
    };
    for (const Case& change : cases) {
        SCOPED_TRACE(change.name);
        TempFolder folder("check");
        MakeProduct(folder, change);
        Findings findings;
        CheckProduct(folder.Path().c_str(), &findings);
        std::vector<std::string> seen;
        char text[1024];
        for (int i = 0; i < findings.Count(); ++i) {
            findings.Format(i, text, sizeof(text));
            seen.push_back(text);
        }
        ASSERT_EQ(seen.size(), change.expected.size()) << ::testing::PrintToString(seen);
        int exitCode = 0;
        for (size_t i = 0; i < seen.size(); ++i) {
            const Expected& want = change.expected[i];
            const char* level = want.level == FINDING_ERROR ? "error" : "warning";
            std::string prefix = want.line > 0 ? "Setup.ini:" + std::to_string(want.line) + ": "
                                               : std::string("Setup.ini: ");
            EXPECT_EQ(seen[i].rfind(prefix + level + ": ", 0), 0u) << seen[i];
            EXPECT_NE(seen[i].find(want.part), std::string::npos) << seen[i];
            exitCode = std::max(exitCode, want.level == FINDING_ERROR ? 2 : 1);
        }
        EXPECT_EQ(findings.ExitCode(), exitCode);
    }
}

void Collect(const char* line, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(line);
}

TEST(ProductCheckTest, SizesListsItemLinesWithRealSizes) {
    TempFolder folder("check");
    Case change = {"sizes", {{15, "CopyPalmFile1=5;Viewer.prc"}}, "Viewer.txt", nullptr, {}};
    MakeProduct(folder, change);
    ASSERT_TRUE(WriteFileBytes(folder.File("Viewer.exe"), std::string(3000, 'x')));
    std::vector<std::string> lines;
    ASSERT_TRUE(ListCorrectedSizes(folder.Path().c_str(), Collect, &lines));
    const std::vector<std::string> expected = {
        "[Main]",
        "CopyFile1=3;%DEST_PATH%\\Viewer.exe",
        "CopyFile2=1;%SYSTEM%\\View.dll;REGSERVICE",
        "CopyFile3=1;%DEST_PATH%\\Viewer.txt", // missing: kept as written
        "[Palm]",
        "CopyPalmFile1=1;Viewer.prc",
    };
    EXPECT_EQ(lines, expected);
    std::string script = ReadFileBytes(folder.File("Setup.ini"));
    EXPECT_NE(script.find("CopyPalmFile1=5;"), std::string::npos) << "the script was rewritten";
}

} // namespace
