#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>

#include "script/item_parser.h"
#include "script/profile_section_testing.h"
#include "script_test_support.h"
#include "system/message_box.h"

TEST(ScriptReaderTest, GeneralSettingsAndTheirDefaults) {
    ScriptFile file("[General]\r\nCompany=Acme\r\nApplication=Viewer\r\nComponents=Main\r\n"
                    "[Main]\r\nName=Main files\r\n");
    ScriptPtr script = file.Read();
    ASSERT_TRUE(script);
    EXPECT_STREQ("Acme", script->company);
    EXPECT_STREQ("Acme Viewer", script->productTitle);
    EXPECT_STREQ("%PROGRAM_FILES%\\Acme\\Viewer", script->destFolder);
    EXPECT_STREQ("Acme", script->startMenuFolder);
    EXPECT_STREQ("Logo.bmp", script->logoFile);
    EXPECT_STREQ("Licence.txt", script->licenceFile);
    EXPECT_STREQ("", script->readMePath);
    EXPECT_STREQ("", script->readMeCaption);
    EXPECT_STREQ("", script->webPage);
    EXPECT_STREQ("", script->byeLink);
    EXPECT_STREQ("", script->hotSyncUser);
    EXPECT_EQ(0, script->restartNeeded);
    EXPECT_EQ(0, script->palmFilesQueued);
    EXPECT_EQ(TestBinFolder(), script->installerFolder);
    EXPECT_EQ(script->productTitle, captionTitle);

    ScriptFile given("[General]\nCompany=Acme\nApplication=Viewer\nDestFolder=%WINDOWS%\\Acme\n"
                     "StartMenu=%STARTMENU%\\Tools\nLogo=Art\\Logo2.bmp\nLicence=Eula.txt\n"
                     "WebPage=http://acme.example/\nByeLink=http://acme.example/buy\n"
                     "ReadMe= %DEST_PATH%\\ReadMe.txt ; Show the notes \n");
    ScriptPtr explicitScript = given.Read();
    ASSERT_TRUE(explicitScript);
    EXPECT_STREQ("%WINDOWS%\\Acme", explicitScript->destFolder);
    EXPECT_STREQ("%STARTMENU%\\Tools", explicitScript->startMenuFolder);
    EXPECT_STREQ("Art\\Logo2.bmp", explicitScript->logoFile);
    EXPECT_STREQ("Eula.txt", explicitScript->licenceFile);
    EXPECT_STREQ("http://acme.example/", explicitScript->webPage);
    EXPECT_STREQ("http://acme.example/buy", explicitScript->byeLink);
    EXPECT_STREQ("%DEST_PATH%\\ReadMe.txt", explicitScript->readMePath);
    EXPECT_STREQ("Show the notes", explicitScript->readMeCaption);
}

TEST(ScriptReaderTest, ReadMeNeedsASeparator) {
    ScriptFile withoutSeparator("[General]\nReadMe=%DEST_PATH%\\ReadMe.txt\n");
    ScriptPtr script = withoutSeparator.Read();
    EXPECT_STREQ("", script->readMePath);
    EXPECT_STREQ("", script->readMeCaption);

    ScriptFile twoSeparators("[General]\nReadMe=a.txt;Open it; now\n");
    script = twoSeparators.Read();
    EXPECT_STREQ("a.txt", script->readMePath);
    EXPECT_STREQ("Open it; now", script->readMeCaption);
}

TEST(ScriptReaderTest, MissingScriptHasNoComponents) {
    TempFolder folder;
    ScriptPtr missing(ReadSetupScript(folder.File("Setup.ini").c_str()), DestroySetupScript);
    ASSERT_TRUE(missing);
    EXPECT_EQ(0, missing->components.Count());
    EXPECT_EQ(0, missing->offerComponentChoice);
    EXPECT_STREQ(" ", missing->productTitle);
    EXPECT_STREQ("Logo.bmp", missing->logoFile);

    // No path at all must not fall back to a file in the Windows folder.
    ScriptPtr unnamed(ReadSetupScript(""), DestroySetupScript);
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(0, unnamed->components.Count());

    ScriptFile emptyEntries("[General]\nComponents= ; ;;\n[ ]\nName=blank\n");
    EXPECT_EQ(0, emptyEntries.Read()->components.Count());
}

TEST(ScriptReaderTest, ComponentListsAndSections) {
    ScriptFile file("[General]\nComponents=A;;B;\n[A]\nName=Alpha\nDescription=First part\n"
                    "Components= B ; Nowhere ;B\n[B]\nName=Beta\nSelected=0\nCopyFile1=3;b.dll\n");
    ScriptPtr script = file.Read();
    ASSERT_EQ(2, script->components.Count());
    const Component* a = ComponentAt(script->components, 0);
    const Component* b = ComponentAt(script->components, 1);
    EXPECT_STREQ("Alpha", a->name);
    EXPECT_STREQ("First part", a->description);
    EXPECT_EQ(1, a->selected);
    EXPECT_EQ(nullptr, a->treeItem);
    EXPECT_STREQ("Beta", b->name);
    EXPECT_EQ(0, b->selected);
    EXPECT_EQ(nullptr, b->children);

    // A section named twice gives two equal components; a missing section gives defaults.
    ASSERT_EQ(3, ChildCount(a));
    EXPECT_STREQ("Beta", ChildAt(a, 0)->name);
    EXPECT_STREQ("Beta", ChildAt(a, 2)->name);
    EXPECT_NE(ChildAt(a, 0), ChildAt(a, 2));
    EXPECT_EQ(3, ChildAt(a, 2)->desktopSizeK);
    const Component* nowhere = ChildAt(a, 1);
    EXPECT_STREQ("", nowhere->name);
    EXPECT_STREQ("", nowhere->description);
    EXPECT_EQ(1, nowhere->selected);
    EXPECT_EQ(0, nowhere->items.Count());
    EXPECT_EQ(nullptr, nowhere->children);
}

TEST(ScriptReaderTest, SelectedIsAnInteger) {
    ScriptFile file("[General]\nComponents=A;B;C;D\n[A]\nName=a\n[B]\nSelected=0\n"
                    "[C]\nSelected=2\n[D]\nSelected=yes\n");
    ScriptPtr script = file.Read();
    ASSERT_EQ(4, script->components.Count());
    EXPECT_EQ(1, ComponentAt(script->components, 0)->selected);
    EXPECT_EQ(0, ComponentAt(script->components, 1)->selected);
    EXPECT_EQ(2, ComponentAt(script->components, 2)->selected);
    EXPECT_EQ(0, ComponentAt(script->components, 3)->selected);
}

TEST(ScriptReaderTest, ItemsInKindOrderUntilTheFirstGap) {
    ScriptFile file("[General]\nComponents=Main\n[Main]\n"
                    "Shortcut1=%DEST_PATH%\\v.exe;0;;Viewer\n"
                    "CopyPalmFile1=7;Palm\\v.prc\n"
                    "CopyFile1=10;%DEST_PATH%\\a.dll\n"
                    "CopyPalmFile2=4;Palm\\v.pdb\n"
                    "CopyFile2=5;%DEST_PATH%\\b.dll;REGSERVICE\n"
                    "CopyFile4=100;%DEST_PATH%\\after-gap.dll\n"
                    "CopyFile3=\n"
                    "Shortcut2=%DEST_PATH%\\v.exe;0;-x;Viewer X;desktop\n");
    ScriptPtr script = file.Read();
    const Component* main = ComponentAt(script->components, 0);
    ASSERT_NE(nullptr, main);
    ASSERT_EQ(6, main->items.Count());
    const uint32_t kinds[] = {ITEM_COPYFILE, ITEM_COPYFILE, ITEM_PALMFILE,
                              ITEM_PALMFILE, ITEM_SHORTCUT, ITEM_SHORTCUT};
    const char* paths[] = {"%DEST_PATH%\\a.dll", "%DEST_PATH%\\b.dll", "Palm\\v.prc",
                           "Palm\\v.pdb",        "%DEST_PATH%\\v.exe", "%DEST_PATH%\\v.exe"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(kinds[i],
                  ItemAt(main, i)->flags & (ITEM_COPYFILE | ITEM_PALMFILE | ITEM_SHORTCUT))
            << i;
        EXPECT_STREQ(paths[i], ItemAt(main, i)->path) << i;
    }
    EXPECT_EQ(ITEM_COPYFILE | ITEM_REGSERVICE, ItemAt(main, 1)->flags);
    EXPECT_EQ(15, main->desktopSizeK);
    EXPECT_EQ(11, main->palmSizeK);
    EXPECT_STREQ("Viewer", ShortcutAt(main, 4)->linkName);
    EXPECT_STREQ("Viewer X", ShortcutAt(main, 5)->linkName);
    EXPECT_STREQ("-x", ShortcutAt(main, 5)->arguments);
    EXPECT_EQ(ITEM_SHORTCUT | ITEM_DESKTOP, ShortcutAt(main, 5)->flags);
}

TEST(ScriptReaderTest, WideVariantsWhereTheWideApiWorks) {
    const char text[] =
        "[General]\nComponents=Both;UOnly\n"
        "[Both]\nCopyFile1U=8;%DEST_PATH%\\wide.dll\nCopyFile1=3;%DEST_PATH%\\"
        "narrow.dll\nCopyPalmFile1U=9;wide.prc\n"
        "Shortcut1U=%DEST_PATH%\\wide.exe;0;;Wide\nShortcut1=%DEST_PATH%\\narrow.exe"
        ";0;;Narrow\nShortcut2=%DEST_PATH%\\two.exe;0;;Two\n"
        "[UOnly]\nCopyFile1U=2;%DEST_PATH%\\u1.dll\nCopyFile2=4;%DEST_PATH%\\n2.dll\n";
    ScriptFile file(text);
    {
        WideApiOverride wide(true);
        ScriptPtr script = file.Read();
        const Component* both = ComponentAt(script->components, 0);
        ASSERT_EQ(3, both->items.Count());
        EXPECT_STREQ("%DEST_PATH%\\wide.dll", ItemAt(both, 0)->path);
        EXPECT_EQ(8, both->desktopSizeK);
        EXPECT_EQ(0, both->palmSizeK);
        EXPECT_STREQ("Wide", ShortcutAt(both, 1)->linkName);
        EXPECT_STREQ("Two", ShortcutAt(both, 2)->linkName);
        const Component* uOnly = ComponentAt(script->components, 1);
        ASSERT_EQ(2, uOnly->items.Count());
        EXPECT_STREQ("%DEST_PATH%\\u1.dll", ItemAt(uOnly, 0)->path);
        EXPECT_STREQ("%DEST_PATH%\\n2.dll", ItemAt(uOnly, 1)->path);
        EXPECT_EQ(6, uOnly->desktopSizeK);
    }
    {
        WideApiOverride narrow(false);
        ScriptPtr script = file.Read();
        const Component* both = ComponentAt(script->components, 0);
        ASSERT_EQ(3, both->items.Count());
        EXPECT_STREQ("%DEST_PATH%\\narrow.dll", ItemAt(both, 0)->path);
        EXPECT_EQ(3, both->desktopSizeK);
        EXPECT_STREQ("Narrow", ShortcutAt(both, 1)->linkName);
        // Without the wide API CopyFile1 is missing, which ends the list before CopyFile2.
        EXPECT_EQ(0, ComponentAt(script->components, 1)->items.Count());
    }
}

TEST(ScriptReaderTest, OfferComponentChoiceOnlyForARealChoice) {
    ScriptFile single("[General]\nComponents=A\n[A]\nName=a\nComponents=A\n");
    EXPECT_EQ(0, single.Read()->offerComponentChoice);
    ScriptFile two("[General]\nComponents=A;B\n");
    EXPECT_EQ(1, two.Read()->offerComponentChoice);
    ScriptFile nested("[General]\nComponents=A\n[A]\nComponents=B\n");
    EXPECT_EQ(1, nested.Read()->offerComponentChoice);
}

TEST(ScriptReaderTest, OverlongValuesAreCutAtTheirFields) {
    std::string longName(200, 'n');
    std::string longText(1500, 'd');
    std::string longPath(300, 'p');
    std::string longCompany(40, 'c');
    std::string longApplication(250, 'a');
    std::string longCaption(200, 'r');
    ScriptFile file("[General]\nCompany=" + longCompany + "\nApplication=" + longApplication +
                    "\nReadMe=x.txt;" + longCaption + "\nComponents=A\n[A]\nName=" + longName +
                    "\nDescription=" + longText + "\nCopyFile1=1;" + longPath +
                    ";ACTIVESYNC\nShortcut1=" + longPath + ";2;" + longPath + ";" + longName +
                    ";SENDTO\n");
    ScriptPtr script = file.Read();
    EXPECT_EQ(std::string(31, 'c'), script->company);
    EXPECT_EQ(127u, strlen(script->productTitle));
    EXPECT_EQ(std::string(31, 'c') + " " + std::string(95, 'a'), script->productTitle);
    EXPECT_EQ(259u, strlen(script->destFolder));
    EXPECT_EQ(std::string(127, 'r'), script->readMeCaption);
    const Component* a = ComponentAt(script->components, 0);
    EXPECT_EQ(std::string(127, 'n'), a->name);
    EXPECT_EQ(std::string(1023, 'd'), a->description);
    // The item value is read whole (it fits 1023 bytes) and cut only at the path field.
    EXPECT_EQ(std::string(259, 'p'), ItemAt(a, 0)->path);
    EXPECT_EQ(ITEM_COPYFILE | ITEM_ACTIVESYNC, ItemAt(a, 0)->flags);
    const ShortcutItem* shortcut = ShortcutAt(a, 1);
    ASSERT_NE(nullptr, shortcut);
    EXPECT_EQ(std::string(259, 'p'), shortcut->path);
    EXPECT_EQ(std::string(259, 'p'), shortcut->arguments);
    EXPECT_EQ(std::string(127, 'n'), shortcut->linkName);
    EXPECT_EQ(2, shortcut->iconIndex);
    EXPECT_EQ(ITEM_SHORTCUT | ITEM_SENDTO, shortcut->flags);
}

namespace {
// As Windows 95: never more than 32 KB of a section, whatever the buffer.
DWORD WINAPI CappedSectionReader(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR path) {
    return GetPrivateProfileSectionA(section, buffer, size < 32767 ? size : 32767, path);
}

struct SectionReaderOverride {
    explicit SectionReaderOverride(SectionReader reader) { SetSectionReader(reader); }
    ~SectionReaderOverride() { SetSectionReader(nullptr); }
};

// A component as the profile functions show its section key by key: texts, selection and the
// paths of its desktop files.
std::string AsProfileShowsIt(const std::string& path, const std::string& section) {
    char name[128];
    char description[1024];
    GetPrivateProfileStringA(section.c_str(), "Name", "", name, sizeof(name), path.c_str());
    GetPrivateProfileStringA(section.c_str(), "Description", "", description, sizeof(description),
                             path.c_str());
    std::string shown = std::string(name) + "|" + description + "|" +
                        std::to_string(static_cast<int>(
                            GetPrivateProfileIntA(section.c_str(), "Selected", 1, path.c_str())));
    for (int n = 1;; ++n) {
        char value[1024];
        std::string key = "CopyFile" + std::to_string(n);
        if (GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, sizeof(value),
                                     path.c_str()) == 0)
            break;
        InstallItem item;
        ParseFileItem(value, ITEM_COPYFILE, &item);
        shown += std::string("|") + item.path;
    }
    return shown;
}

std::string AsRead(const Component* component) {
    std::string shown = std::string(component->name) + "|" + component->description + "|" +
                        std::to_string(component->selected);
    for (int i = 0; i < component->items.Count(); ++i)
        shown += std::string("|") + ItemAt(component, i)->path;
    return shown;
}
} // namespace

TEST(ScriptReaderTest, WholeSectionsAreReadAsTheProfileFunctionsReadKeys) {
    std::string many;
    for (int n = 1; n <= 1500; ++n)
        many += "CopyFile" + std::to_string(n) + "=1;%DEST_PATH%\\a rather long file name " +
                std::to_string(n) + ".dat\r\n";
    const std::string bodies[] = {
        "; Name=a comment\r\nName=after the comment\r\n",
        "  Name  =  blanks around  \r\n\tSelected\t=\t0\t\r\n",
        "Name=\"quoted\"\r\nDescription='single'\r\nCopyFile1=\"3;%DEST_PATH%\\q.dll\"\r\n",
        "Name=\"half\r\nDescription=\" inner blanks \"\r\nCopyFile1=\"\"\r\nCopyFile2=1;x\r\n",
        "name=lower first\r\nNAME=upper later\r\nSELECTED=0\r\nselected=1\r\n",
        "Name\r\nName=after a line without equals\r\nSelected\r\nSelected=0\r\n",
        "Name=\r\nName=after an empty value\r\nCopyFile1=1;a\r\ncopyfile1=1;b\r\n",
        "Selected=0x10\r\n",
        "Selected=yes\r\n",
        "Selected=-3\r\n",
        "Selected=007\r\n",
        "Selected=12abc\r\n",
        "Name=a=b\r\nDescription=semi;colons ; "
        "stay\r\nCopyFile1=1;a;REGSERVICE\r\nCopyFile3=1;c\r\n",
        "Name=" + std::string(200, 'n') + "\r\nDescription=" + std::string(1500, 'd') +
            "\r\nCopyFile1=1;" + std::string(1100, 'p') + "\r\n",
        "Name=first block\r\nCopyFile1=1;first\r\n[C14]\r\nName=second block\r\nCopyFile2=1;b\r\n",
        "Name=many\r\n" + many,
    };
    const int count = sizeof(bodies) / sizeof(bodies[0]);
    std::string text = "[General]\r\nComponents=";
    for (int i = 0; i < count; ++i)
        text += "C" + std::to_string(i) + ";";
    text += "\r\n";
    for (int i = 0; i < count; ++i)
        text += "[C" + std::to_string(i) + "]\r\n" + bodies[i];
    ScriptFile file(text);

    for (bool capped : {false, true}) {
        SCOPED_TRACE(capped ? "sections capped at 32 KB" : "sections read whole");
        SectionReaderOverride reader(capped ? CappedSectionReader : nullptr);
        ScriptPtr script = file.Read();
        ASSERT_EQ(count, script->components.Count());
        for (int i = 0; i < count; ++i) {
            std::string section = "C" + std::to_string(i);
            // Reported by their first difference: a section holds long lists.
            std::string expected = AsProfileShowsIt(file.Path(), section);
            std::string read = AsRead(ComponentAt(script->components, i));
            size_t at =
                std::mismatch(expected.begin(), expected.end(), read.begin(), read.end()).first -
                expected.begin();
            EXPECT_EQ(expected.size(), at)
                << section << " differs at " << at << ": " << expected.substr(at, 60) << " / "
                << read.substr(at, 60);
            EXPECT_EQ(expected.size(), read.size()) << section;
        }
        EXPECT_EQ(1500, ComponentAt(script->components, count - 1)->items.Count());
        EXPECT_EQ(0, script->readIncomplete);
    }
}
