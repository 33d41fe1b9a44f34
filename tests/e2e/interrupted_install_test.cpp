// An install ended by force at points spread over its run (a power cut, a crash, the user ending
// the task) can still be removed completely through the uninstall entry it registered.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "support/desktop_support.h"
#include "support/sample_walk.h"
#include "support/system_standins.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"
#include "ui/page_table.h"

namespace {

const int FILE_COUNT = 300;
const int LINK_COUNT = 3;

struct KilledProduct {
    KilledProduct()
        : title("Orvex Killed " + std::to_string(GetCurrentProcessId())), traces(title),
          group(ShellFolder(CSIDL_PROGRAMS) + "\\" + title) {
        dest = destRoot.File("Product");
        server = dest + "\\OrvexKilled.dll";
        std::string script = "[General]\nCompany=Orvex\nApplication=" + title.substr(6) +
                             "\nDestFolder=" + dest + "\nStartMenu=" + title +
                             "\nComponents=Links;Server;Files\n[Links]\n";
        for (int i = 1; i <= LINK_COUNT; ++i)
            script += "Shortcut" + std::to_string(i) + "=%WINDOWS%\\notepad.exe;0;;Link " +
                      std::to_string(i) + "\n";
        script += "[Server]\nCopyFile1=1;%DEST_PATH%\\OrvexKilled.dll;REGSERVICE\n[Files]\n";
        for (int i = 1; i <= FILE_COUNT; ++i) {
            std::string name = "f" + std::to_string(i) + ".dat";
            script += "CopyFile" + std::to_string(i) + "=1;%DEST_PATH%\\" + name + "\n";
            product.Write(name, "data of " + name);
        }
        product.WriteScript(script);
        CopyFileA(TestComServerPath().c_str(), product.File("OrvexKilled.dll").c_str(), FALSE);
        // The user keeps a file of their own in the destination.
        CreateDirectoryA(dest.c_str(), nullptr);
        WriteFileBytes(dest + "\\Mine.txt", "mine");
    }
    ~KilledProduct() {
        DeleteRegistryValue(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY, server.c_str());
    }

    int FilesCopied() const {
        int count = 0;
        for (int i = 1; i <= FILE_COUNT; ++i)
            count += FileExists(dest + "\\f" + std::to_string(i) + ".dat");
        return count;
    }
    // What the destination holds besides the user's file, and what else of the product is left.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> left;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((dest + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name != "." && name != ".." && name != "Mine.txt")
                    left.push_back(dest + "\\" + name);
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        if (FileExists(group.Path()))
            left.push_back(group.Path());
        if (TestComServerRegistered(server))
            left.push_back("registration of " + server);
        if (traces.UninstallEntryExists())
            left.push_back("uninstall entry");
        return left;
    }

    ProductFolder product;
    TempFolder destRoot{"orvex killed"};
    std::string title;
    InstallTraces traces;
    FixedPlace group;
    std::string dest, server;
};

// Walks the wizard to its Install button and presses it.
void StartInstall(WizardDriver& wizard, const KilledProduct& product) {
    ASSERT_TRUE(wizard.Start(product.product));
    ASSERT_TRUE(wizard.WaitForPage(PAGE_LICENCE));
    wizard.PressFrameButton(IDOK);
    ASSERT_TRUE(wizard.WaitForPage(PAGE_HOTSYNC_USER));
    wizard.PressFrameButton(IDOK);
    ASSERT_TRUE(wizard.WaitForPage(PAGE_COMPONENTS));
    ASSERT_TRUE(WaitUntil([&] { return wizard.FrameButtonEnabled(IDOK); }, 15000));
    wizard.PressFrameButton(IDOK);
}

} // namespace

TEST(InterruptedInstall, EndedAtAnyPointItIsRemovedWholeThroughItsEntry) {
    struct Point {
        const char* name;
        std::function<bool(const KilledProduct&)> reached;
    };
    // A link is logged once it is saved, and the pause follows: a quarter of a second after the
    // file appears the run is well inside the pause.
    const Point points[] = {
        {"early in the copies", [](const KilledProduct& p) { return p.FilesCopied() >= 20; }},
        {"in the pause after a shortcut",
         [](const KilledProduct& p) {
             if (!FileExists(p.group.Path() + "\\Link 2.lnk"))
                 return false;
             Sleep(250);
             return true;
         }},
        {"right after a registration",
         [](const KilledProduct& p) { return TestComServerRegistered(p.server); }},
    };
    for (const Point& point : points) {
        SCOPED_TRACE(point.name);
        KilledProduct product;
        {
            WizardDriver wizard;
            ASSERT_NO_FATAL_FAILURE(StartInstall(wizard, product));
            ASSERT_TRUE(WaitUntil([&] { return point.reached(product); }, 60000));
            HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, wizard.ProcessId());
            ASSERT_TRUE(process && TerminateProcess(process, 9));
            CloseHandle(process);
            ASSERT_TRUE(wizard.WaitForExit(15000));
        }
        EXPECT_LT(product.FilesCopied(), FILE_COUNT) << "the install ended before the kill";

        std::string command;
        ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, product.traces.UninstallKey(),
                                      "UninstallString", &command));
        PageShots noPictures;
        UninstallRun run = RunUninstallCommand(command, {IDYES}, noPictures);
        ASSERT_TRUE(run.ended) << "the uninstaller did not end";
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_EQ(1u, run.boxes.size());
        EXPECT_EQ(std::vector<std::string>{}, product.Leftovers());
        EXPECT_EQ("mine", ReadFileBytes(product.dest + "\\Mine.txt"));
    }
}
