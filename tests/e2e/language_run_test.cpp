// The wizard and the removal of the real Setup.exe on a German Windows: a product folder with a
// German language file and German variants of its keys. The entry e2e_tests_german runs it in
// a German locale; elsewhere it is skipped.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "support/sample_walk.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"
#include "ui/page_table.h"

namespace {
const char GERMAN[] = "[Language]\r\n"
                      "Name=Deutsch\r\n"
                      "LangID=0x0407,0x0807\r\n"
                      "CodePage=1252\r\n"
                      "[Texts]\r\n"
                      "508=&Ja\r\n"
                      "509=&Nein\r\n"
                      "503=&Installieren\r\n"
                      "1104=Dr\xFC"
                      "cken Sie BILD-AB, um den Rest des Vertrags zu sehen.\r\n"
                      "1110=Installation abgeschlossen\r\n"
                      "1022=M\xF6"
                      "chten Sie \"%s\" wirklich entfernen?\r\n"
                      "1123=Dateien werden gel\xF6scht...\r\n"
                      "506=Deinstallation\r\n"
                      "1121=Alle Benutzer\r\n";

const char SCRIPT[] = "[General]\r\n"
                      "DestFolder=%s\r\n"
                      "Company=Acme\r\n"
                      "Application=Lingo\r\n"
                      "Licence=Licence.txt\r\n"
                      "Licence.de=Lizenz.txt\r\n"
                      "Components=Main;Extra\r\n"
                      "[Main]\r\n"
                      "Name=Program\r\n"
                      "Name.de=Programm\r\n"
                      "CopyFile1=1;%%DEST_PATH%%\\ReadMe.txt\r\n"
                      "CopyFile1.de=1;%%DEST_PATH%%\\LiesMich.txt\r\n"
                      "[Extra]\r\n"
                      "Name=Extra\r\n"
                      "CopyFile1=1;%%DEST_PATH%%\\Extra.txt\r\n";

bool InGermanWindows() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_GERMAN && GetACP() == 1252;
}
} // namespace

TEST(GermanWindows, WizardAndRemovalSpeakTheLanguageFileAndLangEnKeepsEnglish) {
    if (!InGermanWindows()) {
        ASSERT_EQ(nullptr, getenv("ORVEX_EXPECT_GERMAN")) << "the locale did not make Windows "
                                                             "German";
        GTEST_SKIP() << "not a German Windows";
    }
    ProductFolder product;
    for (const char* file : {"ReadMe.txt", "LiesMich.txt", "Extra.txt"})
        ASSERT_TRUE(product.Write(file, file));
    ASSERT_TRUE(product.Write("Licence.txt", "Terms.\r\n"));
    ASSERT_TRUE(product.Write("Lizenz.txt", "Bedingungen.\r\n"));
    ASSERT_TRUE(product.Write("Setup.de.lng", GERMAN));
    TempFolder destination("lingo");
    std::string dest = destination.File("Lingo");
    char script[1024];
    snprintf(script, sizeof(script), SCRIPT, dest.c_str());
    ASSERT_TRUE(product.WriteScript(script));
    InstallTraces traces("Acme Lingo");

    {
        WizardDriver english;
        ASSERT_TRUE(english.StartIn(product.Path(), 30000, "/LANG=en"));
        EXPECT_EQ("&Yes", english.FrameButtonText(IDOK));
        EXPECT_EQ("Terms.\r\n", english.PageText(PAGE_LICENCE, IDC_LICENCE_TEXT));
        ASSERT_TRUE(english.PressFrameButton(IDCANCEL));
        EXPECT_TRUE(english.WaitForExit(15000));
    }

    WizardDriver wizard;
    ASSERT_TRUE(wizard.Start(product));
    EXPECT_EQ("&Ja", wizard.FrameButtonText(IDOK));
    EXPECT_EQ("Dr\xFC"
              "cken Sie BILD-AB, um den Rest des Vertrags zu sehen.",
              wizard.PageText(PAGE_LICENCE, IDC_LICENCE_PAGE_DOWN));
    // Texts the file leaves out stay English.
    EXPECT_EQ("Do you accept all the terms of the preceding Licence Agreement? If you choose No, "
              "the setup will close. To install this application, you must accept this "
              "agreement.",
              wizard.PageText(PAGE_LICENCE, IDC_LICENCE_QUESTION));
    EXPECT_EQ("Bedingungen.\r\n", wizard.PageText(PAGE_LICENCE, IDC_LICENCE_TEXT));
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
    EXPECT_EQ("Alle Benutzer", wizard.UserList().at(0));
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_COMPONENTS));
    EXPECT_EQ("&Installieren", wizard.FrameButtonText(IDOK));
    TreeNode node;
    EXPECT_TRUE(wizard.FindNode("Programm", &node));
    ASSERT_TRUE(wizard.PressFrameButton(IDOK));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_FINISH, 60000));
    EXPECT_EQ("Installation abgeschlossen", wizard.PageText(PAGE_FINISH, IDC_PAGE_TITLE));
    ASSERT_TRUE(wizard.PressFrameButton(IDCANCEL));
    ASSERT_TRUE(wizard.WaitForExit(15000));

    EXPECT_TRUE(FileExists(dest + "\\LiesMich.txt"));
    EXPECT_FALSE(FileExists(dest + "\\ReadMe.txt"));
    EXPECT_EQ(std::string("; Setup.de.lng\r\n") + GERMAN, ReadFileBytes(dest + "\\_Install.lng"));

    std::string setup = WindowsFolder() + "\\Setup.exe";
    PageShots noPictures;
    UninstallRun english = RunUninstallCommand(
        setup + " /LANG=en -uninst" + dest + "\\_Install.log", {IDNO}, noPictures);
    ASSERT_EQ(1u, english.boxes.size());
    EXPECT_EQ("Do you really want to uninstall \"Acme Lingo\"?\nPress 'Yes' to start "
              "uninstallation.",
              english.boxes[0].text);
    UninstallRun run =
        RunUninstallCommand(setup + " -uninst" + dest + "\\_Install.log", {IDYES}, noPictures);
    ASSERT_TRUE(run.ended);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ("M\xF6"
              "chten Sie \"Acme Lingo\" wirklich entfernen?",
              run.boxes[0].text);
    EXPECT_EQ("Acme Lingo Deinstallation", run.boxes[0].caption);
    std::vector<std::string> stages = ReplayStagesSeen(run);
    EXPECT_NE(std::find(stages.begin(), stages.end(), "Dateien werden gel\xF6scht..."),
              stages.end());
    EXPECT_FALSE(FileExists(dest + "\\_Install.lng"));
    EXPECT_FALSE(FileExists(dest));
}

// A double-byte language: 0x5C as a trail byte is no escape, and a file of another code page is
// never used, not even for /LANG.
TEST(JapaneseWindows, TheJapaneseFileSpeaksAndAWesternOneStaysUnused) {
    if (GetUserDefaultUILanguage() != 0x0411 || GetACP() != 932) {
        ASSERT_EQ(nullptr, getenv("ORVEX_EXPECT_JAPANESE")) << "the locale did not make Windows "
                                                               "Japanese";
        GTEST_SKIP() << "not a Japanese Windows";
    }
    // "Hyou\n" with 0x5C as the trail byte of its first character, then an escaped line break.
    const std::string pageDown = "\x95\x5Cn\\n\x83\x79\x81\x5B\x83\x57";
    ProductFolder product;
    ASSERT_TRUE(product.Write("Licence.txt", "Terms.\r\n"));
    ASSERT_TRUE(product.Write("Setup.de.lng", GERMAN));
    ASSERT_TRUE(product.Write("Setup.ja.lng", "[Language]\r\nName=\x93\xFA\x96\x7B\x8C\xEA\r\n"
                                              "LangID=0x0411\r\nCodePage=932\r\n[Texts]\r\n"
                                              "508=\x82\xCD\x82\xA2(&Y)\r\n1104=" +
                                                  pageDown + "\r\n"));
    ASSERT_TRUE(product.WriteScript("[General]\r\nCompany=Acme\r\nApplication=Lingo\r\n"
                                    "Components=Main\r\n[Main]\r\nName=Program\r\n"));
    WizardDriver wizard;
    ASSERT_TRUE(wizard.Start(product));
    EXPECT_EQ("\x82\xCD\x82\xA2(&Y)", wizard.FrameButtonText(IDOK));
    EXPECT_EQ("\x95\x5Cn\n\x83\x79\x81\x5B\x83\x57",
              wizard.PageText(PAGE_LICENCE, IDC_LICENCE_PAGE_DOWN));
    ASSERT_TRUE(wizard.PressFrameButton(IDCANCEL));
    EXPECT_TRUE(wizard.WaitForExit(15000));

    WizardDriver german;
    ASSERT_TRUE(german.StartIn(product.Path(), 30000, "/LANG=de /LOG=" + product.File("r.txt")));
    EXPECT_EQ("&Yes", german.FrameButtonText(IDOK));
    ASSERT_TRUE(german.PressFrameButton(IDCANCEL));
    EXPECT_TRUE(german.WaitForExit(15000));
    EXPECT_NE(std::string::npos,
              ReadFileBytes(product.File("r.txt"))
                  .find("Language: en (Setup.de.lng is written for code page 1252, this system "
                        "uses 932)"));
}
