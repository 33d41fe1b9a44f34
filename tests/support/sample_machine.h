#pragma once
// The sample product (samples/acme-reader plus the built files) in a product folder, on a machine
// with a simulated HotSync, ActiveSync and document recorder: shared by the end-to-end tests,
// which define ORVEX_SAMPLES_DIR.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/desktop_support.h"
#include "support/palm_fakes.h"
#include "support/sample_walk.h"
#include "support/system_standins.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"
#include "system/shared_count.h"

inline std::string SampleSource() {
    std::string path = std::string("Z:") + ORVEX_SAMPLES_DIR + "/acme-reader";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The sample's product folder (the committed files plus the built ones), with HotSync (users
// Ann and Bob), ActiveSync and the document recorder in place. Whatever an install left is
// removed at the end, whether or not the uninstall ran.
struct SampleMachine {
    SampleMachine() : hotSync({"Ann", "Bob"}, product.Path()), traces(SAMPLE_TITLE) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((SampleSource() + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    CopyFileA((SampleSource() + "\\" + found.cFileName).c_str(),
                              product.File(found.cFileName).c_str(), FALSE);
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        CopyFileA(StandInPath("sample\\Reader.exe").c_str(), product.File("Reader.exe").c_str(),
                  FALSE);
        for (const char* server : {"AcmeView.dll", "AcmeSync.dll"})
            CopyFileA(TestComServerPath().c_str(), product.File(server).c_str(), FALSE);
        CopyActiveSyncStandIns(activeSync.Path());
        WriteRegistryString(CEAPPMGR_APP_PATHS_KEY, activeSync.File("CEAppMgr.exe"));

        char programFiles[MAX_PATH] = {};
        GetEnvironmentVariableA("ProgramFiles", programFiles, sizeof(programFiles));
        dest = std::string(programFiles) + "\\Acme\\Reader";
        programs = ShellFolder(CSIDL_PROGRAMS) + "\\Acme Reader";
        desktopLink = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Acme Reader.lnk";
        sendToLink = ShellFolder(CSIDL_SENDTO) + "\\Acme Reader.lnk";
        systemServer = SystemFolder() + "\\AcmeView.dll";
        RemoveInstalled();
    }
    ~SampleMachine() {
        holder.Release();
        RemoveInstalled();
    }

    void WriteRegistryString(const char* key, const std::string& value) {
        HKEY opened;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened,
                            nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
            RegCloseKey(opened);
        }
    }

    void RemoveInstalled() {
        for (const std::string& server : {systemServer, dest + "\\AcmeSync.dll"})
            DeleteRegistryValue(HKEY_CURRENT_USER, TEST_COM_MARKER_KEY, server.c_str());
        // A run that was not removed leaves the shared server's count, which would keep the file
        // through the next test's removal; under WOW64 it is kept under the SysWOW64 name.
        RemoveSharedCount(systemServer.c_str());
        for (const std::string& path : {systemServer, desktopLink, sendToLink})
            RemoveTree(path);
        RemoveTree(programs);
        RemoveTree(dest);
        RemoveDirectoryA(Parent().c_str());
    }

    // Installs through the wizard and reads back what the install left.
    void Install() {
        WizardDriver wizard;
        ASSERT_TRUE(wizard.StartIn(product.Path())) << "no wizard frame appeared";
        PageShots noPictures;
        std::string failure;
        ASSERT_TRUE(WalkSampleInstall(wizard, noPictures, &failure)) << failure;
        ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE,
                                      std::string(UNINSTALL_KEY_ROOT) + SAMPLE_TITLE,
                                      "UninstallString", &uninstallString));
        log = dest + "\\_Install.log";
        ASSERT_TRUE(ReadLoggedPaths(log, &installed)) << "no install log at " << log;
    }

    bool UninstallEntryExists() const { return traces.UninstallEntryExists(); }

    // The folders the install created: the "Acme" above the destination too.
    std::vector<std::string> MadeFolders() const {
        return {Parent(), dest, dest + "\\Guide", programs};
    }
    std::string Parent() const { return dest.substr(0, dest.rfind('\\')); }
    std::vector<std::string> Everything() const {
        std::vector<std::string> all = installed.files;
        all.insert(all.end(), installed.links.begin(), installed.links.end());
        std::vector<std::string> made = MadeFolders();
        all.insert(all.end(), made.begin(), made.end());
        all.push_back(log);
        return all;
    }
    std::string WcesmgrRecordNow() const { return WcesmgrRecord(activeSync.Path()); }

    ProductFolder product;
    SimulatedHotSync hotSync;
    TempFolder activeSync{"activesync"};
    TempRegistryKey appPath{HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATHS_KEY};
    OpenRecorder recorder;
    InstallTraces traces;
    HeldFile holder;
    std::string dest, programs, desktopLink, sendToLink, systemServer, log, uninstallString;
    LoggedPaths installed;
};
