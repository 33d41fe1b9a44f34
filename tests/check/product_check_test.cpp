// The checks of SetupCheck.exe against small product folders, each broken in one way.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "check/findings.h"
#include "check/product_check.h"
#include "resources/text_ids.h"
#include "support/system_standins.h"
#include "support/test_support.h"

namespace {

// A product that checks clean; each case below changes one line of it. "<k>" is the size of the
// View.dll written.
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
    "CopyFile2=<k>;%SYSTEM%\\View.dll;REGSERVICE", // 10
    "CopyFile3=1;%DEST_PATH%\\Viewer.txt",         // 11
    "Shortcut1=%DEST_PATH%\\Viewer.exe;0;;Viewer", // 12
    "[Palm]",                                      // 13
    "Name=Handheld",                               // 14
    "CopyPalmFile1=1;Viewer.prc",                  // 15
};
const char* const BASE_FILES[] = {"Viewer.exe", "Viewer.txt", "Viewer.prc", "CondMgr.dll"};

enum Family { ALL, W95, NT };
enum Encoding { ANSI, UTF8_MARK, UTF16_LE, UTF16_BE, UTF16_NO_MARK };
// Files written as the case needs them.
enum Content {
    TEXT,
    COM_SERVER,
    PLAIN_DLL,
    BMP,
    BMP_V5,
    BMP_2_BITS,
    BMP_PNG,
    PNG,
    LICENCE,
    LICENCE_WIDE,
    LICENCE_SEVEN_WIDE,
    LICENCE_LF,
    LANGUAGE,         // every text, as English has it
    LANGUAGE_DAMAGED, // conversions changed, a bad byte, an unknown id, texts missing
    LANGUAGE_NO_SECTION,
};

struct Expected {
    int line; // of file
    FindingLevel level;
    Family family;
    std::string part;
    std::string file = "Setup.ini";
};

// A base line replaced by text; line 0 appends the text, line -1 puts it first.
struct Edit {
    int line;
    std::string text;
};

struct File {
    const char* name;
    Content content;
};

struct Case {
    const char* name;
    std::vector<Edit> edits;
    std::vector<File> files; // added or replaced; TEXT with no name: removed
    const char* removed;
    std::vector<Expected> expected;
    Encoding encoding = ANSI;
    const char* folderBelow = ""; // checks this folder below the product's
    bool tempMissing = false;     // the temporary folder does not exist
};

std::string Repeated(const std::string& part, int count, const char* separator) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? separator : "") + part;
    return text;
}

std::string Bitmap(unsigned infoSize, unsigned bits, unsigned compression) {
    std::string bytes = "BM" + std::string(12, '\0') + std::string(40, '\0');
    auto put = [&bytes](size_t at, unsigned value, int count) {
        for (int i = 0; i < count; ++i)
            bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(14, infoSize, 4);
    put(28, bits, 2);
    put(30, compression, 4);
    return bytes + std::string(64, '\0');
}

const std::pair<unsigned, std::string> englishTexts[] = {
#define STRING_TEXT(id, english) {id, english},
#define DIALOG_TEXT(dialog, control, id, english) {id, english},
#define CODE_TEXT(id, english) {id, english},
#define PALM_TEXT(id, english) {id, english},
#include "resources/text_ids.h"
};

std::string LanguageFile(bool damaged) {
    std::string file =
        "[Language]\r\nName=Deutsch\r\nLangID=0x0407\r\nCodePage=1252\r\n[Texts]\r\n";
    if (damaged)
        file += "1014=%d fertig\r\n1115=Tipp\x01\r\n9999=Unbekannt\r\n";
    for (const auto& text : englishTexts) {
        if (damaged && (text.first == 507 || text.first == 1014 || text.first == 1115))
            continue;
        file += std::to_string(text.first) + "=";
        for (char c : text.second)
            file += c == '\n' ? "\\n" : c == '\t' ? "\\t" : c == '\\' ? "\\\\" : std::string(1, c);
        file += "\r\n";
    }
    return file;
}

std::string Contents(Content content) {
    switch (content) {
    case COM_SERVER:
        return ReadFileBytes(TestComServerPath());
    case PLAIN_DLL:
        return ReadFileBytes(StandInPath("hotsync\\full\\CondMgr.dll"));
    case BMP:
        return Bitmap(40, 24, 0);
    case BMP_V5:
        return Bitmap(124, 24, 0);
    case BMP_2_BITS:
        return Bitmap(40, 2, 0);
    case BMP_PNG:
        return Bitmap(40, 0, 5);
    case PNG:
        return "\x89PNG\r\n\x1a\n" + std::string(100, 'p');
    case LICENCE:
        return "Terms of use.\r\n";
    // The box shows 428 pixels; "m" is 8 of them, "i" 2, "\xE9" 6, a tab reaches 48.
    case LICENCE_WIDE:
        return "Terms\r\n" + std::string(60, 'm') + "\r\n\t" + std::string(49, 'm') + "\r\n" +
               std::string(72, '\xE9') + "\r\n" + std::string(53, 'm') + "ii\r\n";
    case LICENCE_SEVEN_WIDE:
        return Repeated(std::string(60, 'm'), 7, "\r\n");
    case LICENCE_LF:
        return "Terms\r\nof use\nend\n";
    case LANGUAGE:
    case LANGUAGE_DAMAGED:
        return LanguageFile(content == LANGUAGE_DAMAGED);
    case LANGUAGE_NO_SECTION:
        return "[Texts]\r\n501=Installation\r\n";
    case TEXT:
        break;
    }
    return std::string(100, 'x');
}

std::string Utf16(const std::string& utf8, bool bigEndian) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    &wide[0], static_cast<int>(wide.size())));
    std::string bytes;
    for (wchar_t c : wide) {
        char low = static_cast<char>(c & 0xFF);
        char high = static_cast<char>(c >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::string Encode(const std::string& script, Encoding encoding) {
    switch (encoding) {
    case UTF8_MARK:
        return "\xEF\xBB\xBF" + script;
    case UTF16_LE:
        return "\xFF\xFE" + Utf16(script, false);
    case UTF16_BE:
        return "\xFE\xFF" + Utf16(script, true);
    case UTF16_NO_MARK:
        return Utf16(script, false);
    case ANSI:
        break;
    }
    return script;
}

void MakeProduct(const TempFolder& folder, const Case& change) {
    std::vector<File> files = {
        {"View.dll", COM_SERVER}, {"Logo.bmp", BMP}, {"Licence.txt", LICENCE}};
    for (const char* file : BASE_FILES)
        files.push_back({file, TEXT});
    files.insert(files.end(), change.files.begin(), change.files.end());
    for (const File& file : files) {
        ASSERT_TRUE(WriteFileBytes(folder.File(file.name), Contents(file.content)));
    }
    std::string removed = change.removed ? change.removed : "";
    if (!removed.empty() && removed != "Setup.ini") {
        ASSERT_TRUE(DeleteFileA(folder.File(removed).c_str()));
    }

    std::vector<std::string> lines = BASE_SCRIPT;
    for (const Edit& edit : change.edits) {
        if (edit.line > 0)
            lines[edit.line - 1] = edit.text;
        else if (edit.line == 0)
            lines.push_back(edit.text);
        else
            lines.insert(lines.begin(), edit.text);
    }
    std::string k = std::to_string((ReadFileBytes(folder.File("View.dll")).size() + 1023) / 1024);
    std::string script;
    for (std::string line : lines) {
        size_t at = line.find("<k>");
        if (at != std::string::npos)
            line.replace(at, 3, k);
        script += line + "\r\n";
    }
    if (removed != "Setup.ini") {
        ASSERT_TRUE(WriteFileBytes(folder.File("Setup.ini"), Encode(script, change.encoding)));
    }
}

TEST(ProductCheckTest, EachMistakeIsFoundAtItsLineForItsFamily) {
    const std::string longName(240, 'a');
    const std::string longFolder(260, 'f');
    const std::string fortyY = "Components=" + Repeated("Y", 40, ";");
    const std::string fortyZ = "Components=" + Repeated("Z", 40, ";");
    const std::vector<Edit> twoFamilies = {{0, "CopyFile1=1;%DEST_PATH%\\QuillA.dll"},
                                           {0, "CopyFile1U=1;%DEST_PATH%\\QuillW.dll"}};
    const std::vector<File> quills = {{"QuillA.dll", TEXT}, {"QuillW.dll", TEXT}};
    const std::vector<Case> cases = {
        {"clean", {}, {}, nullptr, {}},
        {"clean with a file for each family", twoFamilies, quills, nullptr, {}},
        {"file of Windows 95 missing",
         twoFamilies,
         quills,
         "QuillA.dll",
         {{16, FINDING_ERROR, W95, "the file \"QuillA.dll\" is not in the product folder"}}},
        {"file of the NT family missing",
         twoFamilies,
         quills,
         "QuillW.dll",
         {{17, FINDING_ERROR, NT, "the file \"QuillW.dll\" is not in the product folder"}}},
        {"U key alone",
         {{9, "CopyFile1U=1;%DEST_PATH%\\Viewer.exe"}},
         {},
         nullptr,
         {{5, FINDING_WARNING, W95, "the read-me points at \"%DEST_PATH%\\Viewer.txt\""},
          {9, FINDING_WARNING, W95,
           "\"CopyFile1U\" has no \"CopyFile1\" beside it: these systems read no \"U\" keys"},
          {10, FINDING_WARNING, W95, "\"CopyFile2\" is never read: the numbering stops at "},
          {11, FINDING_WARNING, W95, "\"CopyFile3\" is never read"},
          {12, FINDING_WARNING, W95, "the shortcut points at \"%DEST_PATH%\\Viewer.exe\""}}},
        // Encodings.
        {"mark hides [General]",
         {},
         {},
         nullptr,
         {{0, FINDING_ERROR, ALL, "[General] lists no component"},
          {1, FINDING_ERROR, ALL,
           "starts with a UTF-8 byte-order mark (bytes EF BB BF) before the section header "
           "[General]: Windows does not recognise the mark"}},
         UTF8_MARK},
        {"mark before a comment",
         {{-1, "; Acme Viewer"}},
         {},
         nullptr,
         {{1, FINDING_WARNING, ALL,
           "starts with a UTF-8 byte-order mark (bytes EF BB BF): Windows does not recognise "
           "the mark and reads the text as ANSI"}},
         UTF8_MARK},
        {"UTF-16",
         {},
         {},
         nullptr,
         {{0, FINDING_WARNING, ALL,
           "saved as UTF-16: Windows 2000 and later read it through the ANSI code page (1252), "
           "but Windows 95, 98 and Me and Windows NT 4 cannot read it"}},
         UTF16_LE},
        {"UTF-16 with a character code page 1252 lacks",
         {{8, "Name=Viewer \xC4\x81"}},
         {},
         nullptr,
         {{0, FINDING_WARNING, ALL, "saved as UTF-16"},
          {8, FINDING_WARNING, ALL, "U+0101 on this line is not in code page 1252"}},
         UTF16_LE},
        {"UTF-16 big-endian",
         {},
         {},
         nullptr,
         {{0, FINDING_ERROR, ALL, "UTF-16 big-endian: no Windows reads it"}},
         UTF16_BE},
        {"UTF-16 without a mark",
         {},
         {},
         nullptr,
         {{0, FINDING_ERROR, ALL, "UTF-16 without a byte-order mark: no Windows reads it"}},
         UTF16_NO_MARK},
        {"no script", {}, {}, "Setup.ini", {{0, FINDING_ERROR, ALL, "cannot read \""}}},
        {"folder path too long",
         {},
         {},
         nullptr,
         {{0, FINDING_ERROR, ALL, "the product folder's path is too long"}},
         ANSI,
         longFolder.c_str()},
        {"no temporary folder for the copy",
         {},
         {},
         nullptr,
         {{0, FINDING_WARNING, ALL, "saved as UTF-16"},
          {0, FINDING_ERROR, ALL, "cannot write the copy of Setup.ini"}},
         UTF16_LE,
         "",
         true},
        // Files.
        {"desktop file missing",
         {},
         {},
         "Viewer.exe",
         {{9, FINDING_ERROR, ALL, "the file \"Viewer.exe\" is not in the product folder"}}},
        {"Palm file missing",
         {},
         {},
         "Viewer.prc",
         {{15, FINDING_ERROR, ALL, "\"Viewer.prc\" is not in the product folder"}}},
        {"logo missing", {}, {}, "Logo.bmp", {{4, FINDING_ERROR, ALL, "logo file \"Logo.bmp\""}}},
        {"licence missing",
         {},
         {},
         "Licence.txt",
         {{1, FINDING_ERROR, ALL, "licence file \"Licence.txt\""}}},
        {"licence lines wider than the box",
         {},
         {{"Licence.txt", LICENCE_WIDE}},
         nullptr,
         {{2, FINDING_WARNING, ALL,
           "the line is wider than the licence box (428 pixels in Windows' dialog font): it shows "
           "the first 53 of its 60 characters",
           "Licence.txt"},
          {3, FINDING_WARNING, ALL,
           "the line is wider than the licence box (428 pixels in Windows' dialog font): it shows "
           "the first 48 of its 50 characters",
           "Licence.txt"},
          {4, FINDING_WARNING, ALL,
           "the line is wider than the licence box (428 pixels in Windows' dialog font): it shows "
           "the first 71 of its 72 characters",
           "Licence.txt"}}},
        {"many licence lines wider than the box",
         {},
         {{"Licence.txt", LICENCE_SEVEN_WIDE}},
         nullptr,
         {{1, FINDING_WARNING, ALL, "wider than the licence box", "Licence.txt"},
          {2, FINDING_WARNING, ALL, "wider than the licence box", "Licence.txt"},
          {3, FINDING_WARNING, ALL, "wider than the licence box", "Licence.txt"},
          {4, FINDING_WARNING, ALL, "wider than the licence box", "Licence.txt"},
          {5, FINDING_WARNING, ALL, "wider than the licence box", "Licence.txt"},
          {0, FINDING_WARNING, ALL, "2 more lines are wider than the licence box", "Licence.txt"}}},
        {"licence with LF line ends",
         {},
         {{"Licence.txt", LICENCE_LF}},
         nullptr,
         {{2, FINDING_WARNING, ALL,
           "the line ends in LF without CR: the licence box breaks lines only at CR LF",
           "Licence.txt"}}},
        {"logo a PNG",
         {},
         {{"Logo.bmp", PNG}},
         nullptr,
         {{4, FINDING_WARNING, ALL, "is not a BMP file (it does not start with \"BM\")"}}},
        {"logo with a version 5 header",
         {},
         {{"Logo.bmp", BMP_V5}},
         nullptr,
         {{4, FINDING_WARNING, ALL, "a BMP with a 124-byte information header"}}},
        {"logo of 2 bits",
         {},
         {{"Logo.bmp", BMP_2_BITS}},
         nullptr,
         {{4, FINDING_WARNING, ALL, "a BMP of 2 bits per pixel"}}},
        {"logo holding a PNG",
         {},
         {{"Logo.bmp", BMP_PNG}},
         nullptr,
         {{4, FINDING_WARNING, ALL, "a BMP with compression 5"}}},
        {"server file not a DLL",
         {},
         {{"View.dll", TEXT}},
         nullptr,
         {{10, FINDING_ERROR, ALL, "option REGSERVICE: \"View.dll\" is not a 32-bit Windows DLL"}}},
        {"server file without the exports",
         {{10, "CopyFile2=<k>;%SYSTEM%\\View.dll;ACTIVESYNC"}},
         {{"View.dll", PLAIN_DLL}},
         nullptr,
         {{10, FINDING_ERROR, ALL,
           "\"View.dll\" does not export DllRegisterServer and DllUnregisterServer"}}},
        {"shared file without a version resource",
         {{0, "CopyFile1=1;%WINDOWS%\\Viewer.ini"}},
         {{"Viewer.ini", TEXT}},
         nullptr,
         {{16, FINDING_WARNING, ALL,
           "\"Viewer.ini\" goes outside the destination folder, where other products may share "
           "it, but has no version resource"}}},
        {"Palm files without CondMgr.dll",
         {},
         {},
         "CondMgr.dll",
         {{15, FINDING_ERROR, ALL, "need \"CondMgr.dll\""}}},
        {"file nothing names",
         {},
         {{"Extra.dll", TEXT}},
         nullptr,
         {{0, FINDING_WARNING, ALL, "\"Extra.dll\" is in the product folder, but no item names"}}},
        {"shipped install log",
         {},
         {{"_Install.log", TEXT}},
         nullptr,
         {{0, FINDING_WARNING, ALL, "\"_Install.log\" is in the product folder: the installer"}}},
        // Names Windows forbids.
        {"colon in the Start-menu folder",
         {{4, "StartMenu=Acme: Tools"}},
         {},
         nullptr,
         {{4, FINDING_ERROR, ALL, "the name \"Acme: Tools\" holds \":\", which Windows forbids"}}},
        {"destination folder ending in a dot",
         {{4, "DestFolder=C:\\Acme.\\Viewer"}},
         {},
         nullptr,
         {{4, FINDING_ERROR, ALL, "the name \"Acme.\" ends in a dot or blank"}}},
        {"device name in a destination",
         {{11, "CopyFile3=1;%DEST_PATH%\\Com1.log\\Viewer.txt"}},
         {},
         nullptr,
         {{5, FINDING_WARNING, ALL, "which no item installs"},
          {11, FINDING_ERROR, ALL, "the name \"Com1.log\" is a device name"}}},
        {"control character in a link name",
         {{12, "Shortcut1=%DEST_PATH%\\Viewer.exe;0;;Vi\x01"
               "ewer"}},
         {},
         nullptr,
         {{12, FINDING_ERROR, ALL,
           "the name \"Vi<byte 0x01>ewer\" holds the control character 0x01"}}},
        // Keys and values.
        {"misspelt option",
         {{10, "CopyFile2=<k>;%SYSTEM%\\View.dll;REGSERVISE"}},
         {},
         nullptr,
         {{10, FINDING_ERROR, ALL,
           "unknown option \"REGSERVISE\": the installer ignores it; did "
           "you mean \"REGSERVICE\"?"}}},
        {"unknown option",
         {{12, "Shortcut1=%DEST_PATH%\\Viewer.exe;0;;Viewer;FOLDER"}},
         {},
         nullptr,
         {{12, FINDING_ERROR, ALL,
           "unknown option \"FOLDER\": the installer ignores it (options:"}}},
        {"misspelt key",
         {{4, "BuyLink=http://acme.example/buy"}},
         {},
         nullptr,
         {{4, FINDING_WARNING, ALL,
           "unknown key \"BuyLink\" in [General]: the installer never "
           "reads it; did you mean \"ByeLink\"?"}}},
        {"misspelt numbered key",
         {{0, "Shortcut1W=x"}},
         {},
         nullptr,
         {{16, FINDING_WARNING, ALL,
           "unknown key \"Shortcut1W\" in [Palm]: the installer never "
           "reads it; did you mean \"Shortcut1\"?"}}},
        {"unknown key",
         {{0, "Colour=red"}},
         {},
         nullptr,
         {{16, FINDING_WARNING, ALL, "never reads it"}}},
        {"Selected not a number",
         {{14, "Selected=yes"}},
         {},
         nullptr,
         {{14, FINDING_WARNING, ALL, "\"Selected\" is not a plain number"}}},
        {"version longer than its field",
         {{4, "Version=" + std::string(70, 'v')}},
         {},
         nullptr,
         {{4, FINDING_WARNING, ALL, "is 70 bytes, longer than the 63 the installer keeps"}}},
        {"value longer than its field",
         {{2, "Company=" + std::string(40, 'c')}},
         {},
         nullptr,
         {{2, FINDING_WARNING, ALL,
           "is 40 bytes, longer than the 31 the installer keeps: it uses \"" +
               std::string(31, 'c') + "\""}}},
        {"product title too long",
         {{3, "Application=" + std::string(130, 'a')}},
         {},
         nullptr,
         {{3, FINDING_WARNING, ALL, "make a product title of 135 bytes, longer than 127"}}},
        {"destination a folder of Windows itself",
         {{4, "DestFolder=%WINDOWS%"}},
         {},
         nullptr,
         {{4, FINDING_ERROR, ALL, "a drive's root or a folder of Windows itself"}}},
        {"destination made of itself",
         {{4, "DestFolder=%DEST_PATH%\\Viewer"}},
         {},
         nullptr,
         {{4, FINDING_ERROR, ALL, "\"DestFolder\" uses %DEST_PATH%, which is empty"}}},
        {"read-me without \";\"",
         {{5, "ReadMe=Viewer.txt"}},
         {},
         nullptr,
         {{5, FINDING_WARNING, ALL, "\"ReadMe\" has no \";\" between path and caption"}}},
        {"read-me without caption",
         {{5, "ReadMe=%DEST_PATH%\\Viewer.txt;"}},
         {},
         nullptr,
         {{5, FINDING_WARNING, ALL, "\"ReadMe\" needs both a path and a caption"}}},
        {"read-me caption too long",
         {{5, "ReadMe=%DEST_PATH%\\Viewer.txt;" + std::string(130, 'r')}},
         {},
         nullptr,
         {{5, FINDING_WARNING, ALL, "the read-me caption is longer than 127 bytes"}}},
        {"read-me not installed",
         {{5, "ReadMe=%DEST_PATH%\\ReadMe.txt;Read me"}},
         {},
         nullptr,
         {{5, FINDING_WARNING, ALL, "the read-me points at \"%DEST_PATH%\\ReadMe.txt\""}}},
        {"unknown macro",
         {{10, "CopyFile2=<k>;%System%\\View.dll;REGSERVICE"}},
         {},
         nullptr,
         {{10, FINDING_ERROR, ALL, "unknown macro %System%"}}},
        {"unterminated macro",
         {{10, "CopyFile2=<k>;%SYSTEM\\View.dll;REGSERVICE"}},
         {},
         nullptr,
         {{10, FINDING_ERROR, ALL, "without a closing one"}}},
        {"second macro",
         {{10, "CopyFile2=<k>;%SYSTEM%\\%WINDOWS%\\View.dll;REGSERVICE"}},
         {},
         nullptr,
         {{10, FINDING_ERROR, ALL, "holds a second macro after %SYSTEM%"}}},
        {"no \";\" in a file line",
         {{10, "CopyFile2=1"}},
         {},
         nullptr,
         {{0, FINDING_WARNING, ALL, "\"View.dll\" is in the product folder, but no item names it"},
          {10, FINDING_ERROR, ALL, "\"CopyFile2\" has no \";\""}}},
        {"size not a number",
         {{10, "CopyFile2=one;%SYSTEM%\\View.dll;REGSERVICE"}},
         {},
         nullptr,
         {{10, FINDING_ERROR, ALL,
           "size field \"one\" is not a plain number: the installer counts 0 K"}}},
        {"size differs",
         {{15, "CopyPalmFile1=5;Viewer.prc"}},
         {},
         nullptr,
         {{15, FINDING_WARNING, ALL, "says 5 K, but \"Viewer.prc\" has 1 K"}}},
        {"no destination",
         {{11, "CopyFile3=1;"}},
         {},
         nullptr,
         {{0, FINDING_WARNING, ALL, "\"Viewer.txt\" is in the product folder, but no item"},
          {5, FINDING_WARNING, ALL, "which no item installs"},
          {11, FINDING_ERROR, ALL, "no destination is given"}}},
        {"destination without a file name",
         {{11, "CopyFile3=1;%DEST_PATH%\\"}},
         {},
         nullptr,
         {{0, FINDING_WARNING, ALL, "\"Viewer.txt\" is in the product folder, but no item"},
          {5, FINDING_WARNING, ALL, "which no item installs"},
          {11, FINDING_ERROR, ALL, "ends without a file name"}}},
        {"no Palm file",
         {{15, "CopyPalmFile1=1;"}},
         {},
         nullptr,
         {{0, FINDING_WARNING, ALL, "\"Viewer.prc\" is in the product folder, but no item"},
          {15, FINDING_ERROR, ALL, "no Palm file is named"}}},
        {"macro in a Palm path",
         {{15, "CopyPalmFile1=1;%DEST_PATH%\\Viewer.prc"}},
         {},
         nullptr,
         {{0, FINDING_WARNING, ALL, "\"Viewer.prc\" is in the product folder, but no item"},
          {15, FINDING_WARNING, ALL, "Palm paths are never expanded"},
          {15, FINDING_ERROR, ALL, "\"%DEST_PATH%\\Viewer.prc\" is not in the product folder"}}},
        {"path too long",
         {{10, "CopyFile2=<k>;%SYSTEM%\\" + longName + "\\View.dll;REGSERVICE"}},
         {},
         nullptr,
         {{10, FINDING_ERROR, ALL, "more than the 259 a Windows path holds"}}},
        {"path longer than its field",
         {{11, "CopyFile3=1;%DEST_PATH%\\" + std::string(250, 'd') + "\\Viewer.txt"}},
         {},
         nullptr,
         {{0, FINDING_WARNING, ALL, "\"Viewer.txt\" is in the product folder, but no item"},
          {5, FINDING_WARNING, ALL, "which no item installs"},
          {11, FINDING_WARNING, ALL, "the path is longer than 259 bytes"},
          {11, FINDING_ERROR, ALL, "more than the 259 a Windows path holds"},
          {11, FINDING_ERROR, ALL, "is not in the product folder"}}},
        {"line longer than the reader takes",
         {{11, "CopyFile3=1;%DEST_PATH%\\Viewer.txt;" + std::string(1100, ';')}},
         {},
         nullptr,
         {{11, FINDING_WARNING, ALL, "the line is longer than the 1023 bytes the installer"}}},
        {"option for shortcuts on a file",
         {{10, "CopyFile2=<k>;%SYSTEM%\\View.dll;DESKTOP"}},
         {},
         nullptr,
         {{10, FINDING_WARNING, ALL, "option \"DESKTOP\" belongs on shortcut lines"}}},
        {"service option on a shortcut",
         {{12, "Shortcut1=%DEST_PATH%\\Viewer.exe;0;;Viewer;REGSERVICE"}},
         {},
         nullptr,
         {{12, FINDING_WARNING, ALL, "on a shortcut line makes the installer treat the line"}}},
        {"option on a Palm file",
         {{15, "CopyPalmFile1=1;Viewer.prc;SENDTO"}},
         {},
         nullptr,
         {{15, FINDING_WARNING, ALL, "option \"SENDTO\" has no effect on a Palm file line"}}},
        {"shortcut without target",
         {{12, "Shortcut1=;0;;Viewer"}},
         {},
         nullptr,
         {{12, FINDING_ERROR, ALL, "the shortcut has no target"}}},
        {"shortcut without name",
         {{12, "Shortcut1=%DEST_PATH%\\Viewer.exe;0"}},
         {},
         nullptr,
         {{12, FINDING_ERROR, ALL, "the shortcut has no name"}}},
        {"shortcut name too long",
         {{12, "Shortcut1=%DEST_PATH%\\Viewer.exe;0;;" + std::string(130, 'n')}},
         {},
         nullptr,
         {{12, FINDING_WARNING, ALL, "a field is longer than the installer keeps"}}},
        {"shortcut to a file not installed",
         {{12, "Shortcut1=%DEST_PATH%\\Viewr.exe;0;;Viewer"}},
         {},
         nullptr,
         {{12, FINDING_WARNING, ALL, "which no item installs"}}},
        // Layout.
        {"list names a missing section",
         {{6, "Components=Main;Palm;Extra"}},
         {},
         nullptr,
         {{6, FINDING_ERROR, ALL, "no section [Extra]"}}},
        {"list names its own section",
         {{14, "Components=Palm"}},
         {},
         nullptr,
         {{14, FINDING_ERROR, ALL, "\"Palm\", its own section"}}},
        {"list names an ancestor",
         {{8, "Components=Palm"}, {14, "Components=Main"}},
         {},
         nullptr,
         {{14, FINDING_ERROR, ALL, "\"Main\", a section whose list leads here"}}},
        {"no component",
         {{6, "Components="}},
         {},
         nullptr,
         {{1, FINDING_ERROR, ALL, "[General] lists no component"},
          {5, FINDING_WARNING, ALL, "which no item installs"},
          {7, FINDING_WARNING, ALL, "[Main] is named by no \"Components\" list"},
          {13, FINDING_WARNING, ALL, "[Palm] is named by no \"Components\" list"}}},
        {"numbering gap",
         {{12, "Shortcut2=%DEST_PATH%\\Viewer.exe;0;;Viewer"}},
         {},
         nullptr,
         {{12, FINDING_WARNING, ALL, "\"Shortcut2\" is never read"}}},
        {"duplicate key",
         {{14, "CopyPalmFile1=1;Viewer.prc"}},
         {},
         nullptr,
         {{15, FINDING_WARNING, ALL, "reads only the one at line 14"}}},
        {"duplicate section",
         {{0, "[main]"}},
         {},
         nullptr,
         {{16, FINDING_WARNING, ALL, "section [main] appears again"}}},
        {"section nothing names",
         {{0, "[Unused]"}},
         {},
         nullptr,
         {{16, FINDING_WARNING, ALL, "[Unused] is named by no \"Components\" list"}}},
        {"key before the first section",
         {{-1, "Stray=1"}},
         {},
         nullptr,
         {{1, FINDING_WARNING, ALL, "\"Stray\" stands before the first section"}}},
        {"line without \"=\"",
         {{0, "just text"}},
         {},
         nullptr,
         {{16, FINDING_WARNING, ALL, "\"just text\" has no \"=\""}}},
        // Language files and the keys of their languages: a variant for a language without a
        // file is never read; a licence named by a variant needs no item.
        {"languages",
         {{4, "Logo=Logo.bmp\r\nLicence.de=Lizenz.txt"},
          {0, "Name.de=Taschencomputer"},
          {0, "Name.fr=Appareil"}},
         {{"Setup.de.lng", LANGUAGE}, {"Lizenz.txt", LICENCE}},
         nullptr,
         {{18, FINDING_WARNING, ALL,
           "\"Name.fr\" is for the language \"fr\", which has no file Setup.fr.lng"}}},
        {"damaged language files",
         {},
         {{"Setup.de.lng", LANGUAGE_DAMAGED}, {"Setup.xx.lng", LANGUAGE_NO_SECTION}},
         nullptr,
         {{0, FINDING_WARNING, ALL, "text 507 is missing", "Setup.de.lng"},
          {0, FINDING_WARNING, ALL, "text 1115 is missing", "Setup.de.lng"},
          {6, FINDING_ERROR, ALL, "text 1014 has the conversions %d, its English text %s",
           "Setup.de.lng"},
          {7, FINDING_ERROR, ALL, "bytes not valid in code page 1252", "Setup.de.lng"},
          {8, FINDING_WARNING, ALL, "text 9999 is no text of the installer", "Setup.de.lng"},
          {0, FINDING_ERROR, ALL, "no [Language] section with a CodePage", "Setup.xx.lng"}}},
        // 1 + 40 + 1600 components from three short lists.
        {"more components than taken",
         {{14, "Components=X"}, {0, "[X]"}, {0, fortyY}, {0, "[Y]"}, {0, fortyZ}, {0, "[Z]"}},
         {},
         nullptr,
         {{0, FINDING_WARNING, ALL, "more components or items than the installer takes"}}},
    };
    const char* const prefixes[] = {"", FAMILY_95_PREFIX, FAMILY_NT_PREFIX};
    for (const Case& change : cases) {
        SCOPED_TRACE(change.name);
        TempFolder folder("check");
        MakeProduct(folder, change);
        std::string path = folder.Path() + (*change.folderBelow ? "\\" : "") + change.folderBelow;
        char temp[MAX_PATH] = "";
        GetEnvironmentVariableA("TMP", temp, sizeof(temp));
        if (change.tempMissing) {
            SetEnvironmentVariableA("TMP", folder.File("missing").c_str());
        }
        Findings findings;
        CheckProduct(path.c_str(), CheckOptions{1252}, &findings);
        SetEnvironmentVariableA("TMP", *temp ? temp : nullptr);
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
            std::string head = want.line > 0 ? want.file + ":" + std::to_string(want.line) + ": "
                                             : want.file + ": ";
            head += std::string(level) + ": " + prefixes[want.family];
            EXPECT_EQ(seen[i].rfind(head, 0), 0u) << seen[i];
            if (want.family == ALL) {
                EXPECT_NE(seen[i].substr(head.size(), 3), "on ") << seen[i];
            }
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
    Case change = {"sizes", {{15, "CopyPalmFile1=5;Viewer.prc"}}, {}, "Viewer.txt", {}};
    MakeProduct(folder, change);
    ASSERT_TRUE(WriteFileBytes(folder.File("Viewer.exe"), std::string(3000, 'x')));
    std::vector<std::string> lines;
    ASSERT_TRUE(ListCorrectedSizes(folder.Path().c_str(), 0, Collect, &lines));
    std::string k = std::to_string((ReadFileBytes(folder.File("View.dll")).size() + 1023) / 1024);
    const std::vector<std::string> expected = {
        "[Main]",
        "CopyFile1=3;%DEST_PATH%\\Viewer.exe",
        "CopyFile2=" + k + ";%SYSTEM%\\View.dll;REGSERVICE",
        "CopyFile3=1;%DEST_PATH%\\Viewer.txt", // missing: kept as written
        "[Palm]",
        "CopyPalmFile1=1;Viewer.prc",
    };
    EXPECT_EQ(lines, expected);
    std::string script = ReadFileBytes(folder.File("Setup.ini"));
    EXPECT_NE(script.find("CopyPalmFile1=5;"), std::string::npos) << "the script was rewritten";

    // A UTF-16 script is read through the code page given, as the check reads it.
    TempFolder cyrillic("check");
    Case named = {"Cyrillic section",
                  {{6, "Components=\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB8"},
                   {7, "[\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB8]"}},
                  {},
                  nullptr,
                  {},
                  UTF16_LE};
    MakeProduct(cyrillic, named);
    lines.clear();
    ASSERT_TRUE(ListCorrectedSizes(cyrillic.Path().c_str(), 1251, Collect, &lines));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("[\xCA\xED\xE8\xE3\xE8]", lines[0]);
}

} // namespace
