// An install ended by force at points spread over its run (a power cut, a crash, the user ending
// the task) can still be removed completely through the uninstall entry it registered.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "support/desktop_support.h"
#include "support/sample_walk.h"
#include "support/system_standins.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"
#include "system/win_handles.h"
#include "ui/page_table.h"

namespace {

const int FILE_COUNT = 300;
const int LINK_COUNT = 3;
const char SERVER_NAME[] = "OrvexKilled.dll";

// The events by which the test COM server reports its registration and waits to go on.
struct HeldRegistration {
    HeldRegistration()
        : reached(CreateEventA(nullptr, TRUE, FALSE,
                               (std::string("OrvexTestCom reached ") + SERVER_NAME).c_str())),
          go(CreateEventA(nullptr, TRUE, FALSE,
                          (std::string("OrvexTestCom go ") + SERVER_NAME).c_str())) {}
    // A held regsvr32 left behind goes on and ends.
    ~HeldRegistration() { SetEvent(go.Get()); }
    KernelHandle reached;
    KernelHandle go;
};

// Waits until every process that the given one started (a held regsvr32) has ended.
bool WaitForProcessesStartedBy(DWORD parentId, DWORD timeoutMs) {
    for (DWORD id : ChildProcessIds(parentId)) {
        KernelHandle child(OpenProcess(SYNCHRONIZE, FALSE, id));
        if (child && WaitForSingleObject(child.Get(), timeoutMs) != WAIT_OBJECT_0)
            return false;
    }
    return true;
}

// The product: three Start-menu links, then the files, with the COM server among them after
// serverAfter files; its registration holds the run at that exact point.
struct KilledProduct {
    explicit KilledProduct(int serverAfter)
        : title("Orvex Killed " + std::to_string(GetCurrentProcessId())), traces(title),
          group(ShellFolder(CSIDL_PROGRAMS) + "\\" + title) {
        dest = destRoot.File("Product");
        server = dest + "\\" + SERVER_NAME;
        std::string script = "[General]\nCompany=Orvex\nApplication=" + title.substr(6) +
                             "\nDestFolder=" + dest + "\nStartMenu=" + title +
                             "\nComponents=Links;Files\n[Links]\n";
        for (int i = 1; i <= LINK_COUNT; ++i)
            script += "Shortcut" + std::to_string(i) + "=%WINDOWS%\\notepad.exe;0;;Link " +
                      std::to_string(i) + "\n";
        script += "[Files]\n";
        for (int i = 1, line = 1; i <= FILE_COUNT; ++i, ++line) {
            if (i == serverAfter + 1)
                script += "CopyFile" + std::to_string(line++) + "=1;%DEST_PATH%\\" + SERVER_NAME +
                          ";REGSERVICE\n";
            std::string name = "f" + std::to_string(i) + ".dat";
            script += "CopyFile" + std::to_string(line) + "=1;%DEST_PATH%\\" + name + "\n";
            product.Write(name, "data of " + name);
        }
        product.WriteScript(script);
        CopyFileA(TestComServerPath().c_str(), product.File(SERVER_NAME).c_str(), FALSE);
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
    ASSERT_TRUE(wizard.WalkToComponents());
    wizard.PressFrameButton(IDOK);
}

} // namespace

TEST(InterruptedInstall, EndedAtAnyPointItIsRemovedWholeThroughItsEntry) {
    // The run is ended by force while the server's registration holds it, after this many files.
    const struct {
        const char* name;
        int serverAfter;
    } points[] = {
        {"right after the links", 0},
        {"early in the copies", 20},
        {"half-way through the copies", FILE_COUNT / 2},
    };
    for (const auto& point : points) {
        SCOPED_TRACE(point.name);
        KilledProduct product(point.serverAfter);
        HeldRegistration held;
        {
            WizardDriver wizard;
            ASSERT_NO_FATAL_FAILURE(StartInstall(wizard, product));
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held.reached.Get(), 60000));
            HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, wizard.ProcessId());
            ASSERT_TRUE(process && TerminateProcess(process, 9));
            CloseHandle(process);
            ASSERT_TRUE(wizard.WaitForExit(15000));
            SetEvent(held.go.Get());
            ASSERT_TRUE(WaitForProcessesStartedBy(wizard.ProcessId(), 60000));
        }
        EXPECT_EQ(point.serverAfter, product.FilesCopied());
        ASSERT_TRUE(TestComServerRegistered(product.server));

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
