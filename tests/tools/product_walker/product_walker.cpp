// Tries a product folder as scripts/try-product.sh asks:
//   walk <product> <pictures> [--user NAME] [--components "A;B"]
//   silent <product> <pictures> [--user NAME] [--components "Section;Section"]
//   either with [--package <package.exe>]: the package is started instead of <product>\Setup.exe
//   (<product> then holds only what the simulations need)
// walks the wizard of <product>\Setup.exe as a user would (or, silent, runs it with /S and the
// choices as switches, and later the registered QuietUninstallString), reports what the install
// made (files with sizes, folders, links with their targets, registry values, COM servers, Palm
// files queued per user, the log), runs the registered UninstallString, answers its boxes and
// reports everything of the install that is still there. A picture of every window goes to
// <pictures>. Exit code 0 only when the install succeeded and nothing was left behind.
#include <stdio.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "script/setup_script.h"
#include "support/desktop_support.h"
#include "support/package_support.h"
#include "support/sample_walk.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"
#include "system/shell_link_ids.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Below(const std::string& path, const std::string& folder) {
    return !folder.empty() && Lower(path).compare(0, folder.size() + 1, Lower(folder) + "\\") == 0;
}

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// What the machine holds: every file with its size, every folder, every registry key and value
// that a 32-bit program sees under HKLM\Software, HKCU\Software and the session manager.
struct Snapshot {
    std::map<std::string, unsigned long long> files;
    std::set<std::string> folders;
    std::map<std::string, std::string> registry; // "key\" for a key, "key\[name]" for a value
};

// Under WOW64 the system folder a 32-bit program sees is this folder: scanned under both names,
// every file in it would be listed twice.
std::string SystemViewFolder() {
    char folder[MAX_PATH];
    UINT length = GetSystemWow64DirectoryA(folder, sizeof(folder));
    return length > 0 && length < sizeof(folder) ? folder : "";
}

void ScanFolder(const std::string& folder, Snapshot* shot, int depth) {
    static const std::string systemView = Lower(SystemViewFolder());
    if (!systemView.empty() && Lower(folder) == systemView)
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            shot->folders.insert(path);
            // Links back into a folder above would never end.
            if (depth < 24)
                ScanFolder(path, shot, depth + 1);
        } else {
            shot->files[path] =
                (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string ValueText(DWORD type, const std::vector<BYTE>& data, DWORD size) {
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && size > 0)
        return std::string(reinterpret_cast<const char*>(data.data()),
                           strnlen(reinterpret_cast<const char*>(data.data()), size));
    if (type == REG_DWORD && size == 4) {
        char text[16];
        snprintf(text, sizeof(text), "dword:%08lx", *reinterpret_cast<const DWORD*>(data.data()));
        return text;
    }
    std::string text = "(type " + std::to_string(type) + ", " + std::to_string(size) + " bytes)";
    return text;
}

void ScanKey(HKEY root, const std::string& rootName, const std::string& path, Snapshot* shot,
             int depth = 0) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    std::string name = rootName + "\\" + path;
    shot->registry[name + "\\"] = "";
    std::vector<BYTE> data(65536);
    for (DWORD index = 0;; ++index) {
        char valueName[16384];
        DWORD nameSize = sizeof(valueName);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        LONG status =
            RegEnumValueA(key, index, valueName, &nameSize, nullptr, &type, data.data(), &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
            continue;
        shot->registry[name + "\\[" + valueName + "]"] =
            status == ERROR_SUCCESS ? ValueText(type, data, size) : "(long value)";
    }
    std::vector<std::string> subkeys;
    for (DWORD index = 0;; ++index) {
        char subkey[512];
        DWORD size = sizeof(subkey);
        if (RegEnumKeyExA(key, index, subkey, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        // A 32-bit program already sees the redirected view, whose links lead back in; Wine
        // computes the performance counters of Perflib on every read, for minutes.
        if (_stricmp(subkey, "Wow6432Node") != 0 && _stricmp(subkey, "Perflib") != 0)
            subkeys.push_back(subkey);
    }
    RegCloseKey(key);
    if (depth >= 32)
        return;
    for (const std::string& subkey : subkeys)
        ScanKey(root, rootName, path + "\\" + subkey, shot, depth + 1);
}

Snapshot TakeSnapshot() {
    Snapshot shot;
    ScanFolder("C:", &shot, 0);
    ScanKey(HKEY_LOCAL_MACHINE, "HKLM", "Software", &shot);
    ScanKey(HKEY_CURRENT_USER, "HKCU", "Software", &shot);
    ScanKey(HKEY_LOCAL_MACHINE, "HKLM", "System\\CurrentControlSet\\Control\\Session Manager",
            &shot);
    return shot;
}

// Places that change without the installer: temporary folders, Wine's own settings and caches.
bool IsBackground(const std::string& path) {
    static const char* const parts[] = {"\\temp\\", "\\temporary internet files\\",
                                        "\\software\\wine\\", "\\mountpoints2\\",
                                        "\\explorer\\sessioninfo\\"};
    std::string lower = Lower(path) + "\\";
    for (const char* part : parts) {
        if (lower.find(part) != std::string::npos)
            return true;
    }
    return false;
}

// The changes an install made: what is in after and not in before.
struct Changes {
    std::vector<std::pair<std::string, unsigned long long>> files;
    std::vector<std::string> folders;
    std::vector<std::pair<std::string, std::string>> registry;
};

Changes Difference(const Snapshot& before, const Snapshot& after) {
    Changes changes;
    for (const auto& file : after.files) {
        auto old = before.files.find(file.first);
        if (!IsBackground(file.first) && (old == before.files.end() || old->second != file.second))
            changes.files.push_back(file);
    }
    for (const std::string& folder : after.folders) {
        if (!IsBackground(folder) && !before.folders.count(folder))
            changes.folders.push_back(folder);
    }
    for (const auto& entry : after.registry) {
        auto old = before.registry.find(entry.first);
        if (!IsBackground(entry.first) &&
            (old == before.registry.end() || old->second != entry.second))
            changes.registry.push_back(entry);
    }
    return changes;
}

std::string LinkTarget(const std::string& linkPath) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(shellLinkClass, nullptr, CLSCTX_INPROC_SERVER, shellLinkInterface,
                                reinterpret_cast<void**>(&link))))
        return "(unreadable)";
    std::string target = "(unreadable)";
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(persistFileInterface, reinterpret_cast<void**>(&file)))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
        char path[MAX_PATH] = {};
        char arguments[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(link->GetPath(path, sizeof(path), nullptr, 0))) {
            link->GetArguments(arguments, sizeof(arguments));
            target = std::string(path) + (arguments[0] ? std::string(" ") + arguments : "");
        }
        file->Release();
    }
    link->Release();
    return target;
}

std::string ProfileValue(const std::string& file, const char* section, const char* key) {
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA(section, key, "", value, sizeof(value), file.c_str());
    return value;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        std::string part = text.substr(start, end - start);
        size_t first = part.find_first_not_of(" \t");
        if (first != std::string::npos)
            parts.push_back(part.substr(first, part.find_last_not_of(" \t") - first + 1));
        start = end + 1;
    }
    return parts;
}

struct Trial {
    std::string product;
    std::string title;
    std::string hotSyncFolder; // the simulated HotSync's folder, reported apart
    std::string activeSyncFolder;
    std::string uninstallKey;
};

// Files of the simulated HotSync and ActiveSync: queued Palm files and the stand-ins' records.
bool IsSimulation(const Trial& trial, const std::string& path) {
    return Below(path, trial.hotSyncFolder) || Below(path, trial.activeSyncFolder) ||
           Lower(path) == Lower(trial.hotSyncFolder) ||
           Lower(path) == Lower(trial.activeSyncFolder);
}

void ReportInstall(const Trial& trial, const Changes& made, const std::string& log) {
    printf("\nWhat the install made\n");
    printf("  Files:\n");
    for (const auto& file : made.files) {
        if (!IsSimulation(trial, file.first))
            printf("    %s  (%llu bytes)\n", file.first.c_str(), file.second);
    }
    printf("  Folders:\n");
    for (const std::string& folder : made.folders) {
        if (!IsSimulation(trial, folder))
            printf("    %s\n", folder.c_str());
    }
    printf("  Links:\n");
    for (const auto& file : made.files) {
        if (Lower(file.first).size() > 4 &&
            Lower(file.first).compare(file.first.size() - 4, 4, ".lnk") == 0)
            printf("    %s -> %s\n", file.first.c_str(), LinkTarget(file.first).c_str());
    }
    printf("  Registry values:\n");
    for (const auto& entry : made.registry) {
        if (entry.first.back() != '\\')
            printf("    %s = %s\n", entry.first.c_str(), entry.second.c_str());
    }
    LoggedPaths logged;
    printf("  COM servers registered:\n");
    if (ReadLoggedPaths(log, &logged)) {
        for (const std::string& server : logged.servers)
            printf("    %s\n", server.c_str());
    }
    printf("  Palm files queued for the next HotSync:\n");
    std::string queue = ProfileValue(trial.product + "\\HotSyncFake.ini", "HotSync", "Queue");
    for (const auto& file : made.files) {
        if (Below(file.first, queue)) {
            std::string rest = file.first.substr(queue.size() + 1);
            size_t slash = rest.find('\\');
            if (slash != std::string::npos)
                printf("    user %s: %s\n", rest.substr(0, slash).c_str(),
                       rest.substr(slash + 1).c_str());
        }
    }
    printf("  The install log %s:\n", log.c_str());
    for (const std::string& line : SplitLines(ReadFileBytes(log), "\n")) {
        std::string text = OneLine(line);
        if (!text.empty())
            printf("    %s\n", text.c_str());
    }
}

// True when nothing of the install is left (the installer's own copy is kept by design).
bool ReportUninstall(const Trial& trial, const UninstallRun& run, const Changes& made,
                     const Snapshot& after, const std::string& installerCopy, bool silent = false) {
    printf("\nUninstall through the registered %s\n",
           silent ? "QuietUninstallString" : "UninstallString");
    for (const SeenBox& box : run.boxes)
        printf("  asked    [%s] %s -> %s\n", box.caption.c_str(), OneLine(box.text).c_str(),
               box.answer == IDYES  ? "Yes"
               : box.answer == IDNO ? "No"
                                    : "OK");
    if (!silent) {
        printf("  stages   ");
        for (const std::string& stage : ReplayStagesSeen(run))
            printf("%s ", stage.c_str());
        printf("\n");
    }
    printf("  ended    %s, exit code %lu\n", run.ended ? "yes" : "NO",
           static_cast<unsigned long>(run.exitCode));

    std::vector<std::string> left;
    std::vector<std::string> kept;
    for (const auto& file : made.files) {
        if (IsSimulation(trial, file.first) || !after.files.count(file.first))
            continue;
        if (Lower(file.first) == Lower(installerCopy))
            kept.push_back(file.first + "  (the uninstaller itself, kept by design)");
        else
            left.push_back("file     " + file.first);
    }
    for (const std::string& folder : made.folders) {
        if (!IsSimulation(trial, folder) && after.folders.count(folder))
            left.push_back("folder   " + folder);
    }
    // Every Windows has the key of the shared files' counts; a fresh Wine prefix gets it from the
    // first install that counts one.
    const std::string sharedCounts =
        "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\";
    for (const auto& entry : made.registry) {
        if (!after.registry.count(entry.first))
            continue;
        if (Lower(entry.first) == Lower(sharedCounts))
            kept.push_back(entry.first + "  (the key of shared files' counts, which Windows has)");
        else
            left.push_back((entry.first.back() == '\\' ? "key      " : "value    ") + entry.first);
    }
    for (const std::string& path : kept)
        printf("  kept     %s\n", path.c_str());
    if (left.empty())
        printf("  removed  every file, folder, link, registry value and registration of the "
               "install\n");
    for (const std::string& path : left)
        printf("  LEFT     %s\n", path.c_str());
    return left.empty() && run.ended && run.exitCode == 0;
}

// The program of an UninstallString: "C:\windows\Setup.exe" -uninst... or without quotes.
std::string ProgramOf(const std::string& command) {
    if (!command.empty() && command[0] == '"')
        return command.substr(1, command.find('"', 1) - 1);
    return command.substr(0, command.find(' '));
}

std::string LogOf(const std::string& uninstallString) {
    size_t keyword = uninstallString.find(" -uninst");
    return keyword == std::string::npos ? std::string() : uninstallString.substr(keyword + 8);
}

// How long a snapshot takes, for a look at a prefix.
int Measure(const std::string& part) {
    DWORD start = GetTickCount();
    Snapshot shot;
    if (part == "files")
        ScanFolder("C:", &shot, 0);
    else if (part == "hklm")
        ScanKey(HKEY_LOCAL_MACHINE, "HKLM", "Software", &shot);
    else if (part == "hkcu")
        ScanKey(HKEY_CURRENT_USER, "HKCU", "Software", &shot);
    else
        shot = TakeSnapshot();
    printf("%u files, %u folders, %u registry entries in %lu ms\n",
           static_cast<unsigned>(shot.files.size()), static_cast<unsigned>(shot.folders.size()),
           static_cast<unsigned>(shot.registry.size()), GetTickCount() - start);
    return 0;
}

// What the trial knows of the product before it installs anything; false when its script cannot
// be read. The picture folder is made.
bool StartTrial(const std::string& product, const std::string& pictures, const std::string& package,
                Trial* out) {
    Trial& trial = *out;
    trial.product = product;
    if (!package.empty()) {
        trial.title = PackageTitle(package);
        if (trial.title.empty()) {
            fprintf(stderr, "%s is no readable package.\n", package.c_str());
            return false;
        }
    } else {
        SetupScript* script = ReadSetupScript((product + "\\Setup.ini").c_str());
        if (!script) {
            fprintf(stderr, "Setup.ini of %s could not be read.\n", product.c_str());
            return false;
        }
        trial.title = script->productTitle;
        DestroySetupScript(script);
    }
    CreateDirectoryA(pictures.c_str(), nullptr);
    trial.uninstallKey = std::string(UNINSTALL_KEY_ROOT) + trial.title;
    trial.hotSyncFolder =
        FolderOf(ProfileValue(product + "\\HotSyncFake.ini", "HotSync", "ExecPath"));
    std::string manager;
    if (ReadRegistryValue(HKEY_LOCAL_MACHINE,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAppMgr.exe",
                          nullptr, &manager))
        trial.activeSyncFolder = FolderOf(manager);
    return true;
}

// Reports what the install made since before.
Changes ReportWhatWasMade(const Trial& trial, const Snapshot& before,
                          const std::string& uninstallString) {
    Snapshot installed = TakeSnapshot();
    Changes made = Difference(before, installed);
    ReportInstall(trial, made, LogOf(uninstallString));
    return made;
}

std::string JoinedList(const std::vector<std::string>& names) {
    std::string all;
    for (const std::string& name : names)
        all += (all.empty() ? "" : ";") + name;
    return all;
}

int Walk(const std::string& product, const std::string& pictures, const std::string& package,
         const WalkChoices& choices) {
    Trial trial;
    if (!StartTrial(product, pictures, package, &trial))
        return 1;
    PageShots shots(pictures);
    printf("Trying %s (\"%s\")\n", package.empty() ? product.c_str() : package.c_str(),
           trial.title.c_str());
    printf("  choices: HotSync user %s; components %s\n",
           choices.user.empty() ? "as offered" : choices.user.c_str(),
           choices.chooseComponents ? ("\"" + JoinedList(choices.components) + "\"").c_str()
                                    : "as offered");
    Snapshot before = TakeSnapshot();
    WizardDriver wizard;
    std::string failure;
    if (package.empty() ? !wizard.StartIn(product) : !wizard.StartPackage(package)) {
        printf("FAILED: the wizard did not appear.\n");
        return 1;
    }
    if (!WalkInstall(wizard, shots, choices, &failure)) {
        printf("FAILED: the install did not go through: %s\n", failure.c_str());
        return 1;
    }
    printf("  Setup.exe ended with exit code 0.\n");
    DWORD packageCode = 0;
    if (!package.empty()) {
        if (!wizard.Package().Wait(60000, &packageCode) || packageCode != 0) {
            printf("FAILED: the package did not end with exit code 0.\n");
            return 1;
        }
        printf("  The package ended with exit code 0.\n");
    }

    std::string uninstallString;
    if (!ReadRegistryValue(HKEY_LOCAL_MACHINE, trial.uninstallKey, "UninstallString",
                           &uninstallString)) {
        printf("FAILED: the install left no uninstall entry at HKLM\\%s.\n",
               trial.uninstallKey.c_str());
        return 1;
    }
    Changes made = ReportWhatWasMade(trial, before, uninstallString);
    UninstallRun run = RunUninstallCommand(uninstallString, {IDYES}, shots);
    Snapshot after = TakeSnapshot();
    bool clean = ReportUninstall(trial, run, made, after, ProgramOf(uninstallString));

    printf("\nPictures:\n");
    for (const std::string& path : shots.Taken())
        printf("  %s\n", path.c_str());
    printf("\n%s\n", clean ? "RESULT: installed and uninstalled cleanly"
                           : "RESULT: the uninstall left something behind or failed");
    return clean ? 0 : 1;
}

void ReportWindows(const SilentRun& run) {
    printf("  windows  %s\n", run.windowSeen ? "SHOWN (a silent run must show none)" : "none");
}

// The install with /S and the choices as switches, then the removal through the registered
// QuietUninstallString; the install's record (/LOG) goes to <pictures>\setup-record.txt.
int Silent(const std::string& product, const std::string& pictures, const std::string& package,
           const WalkChoices& choices) {
    Trial trial;
    if (!StartTrial(product, pictures, package, &trial))
        return 1;
    std::string record = pictures + "\\setup-record.txt";
    DeleteFileA(record.c_str());
    std::string arguments = "/S";
    if (choices.chooseComponents)
        arguments += " /COMPONENTS=\"" + JoinedList(choices.components) + "\"";
    if (!choices.user.empty())
        arguments += " /USER=\"" + choices.user + "\"";
    arguments += " /LOG=\"" + record + "\"";
    printf("Trying %s (\"%s\") unattended\n", package.empty() ? product.c_str() : package.c_str(),
           trial.title.c_str());
    printf("\nSilent install: %s %s\n", package.empty() ? "Setup.exe" : "the package",
           arguments.c_str());
    Snapshot before = TakeSnapshot();
    std::string program = package.empty() ? product + "\\Setup.exe" : package;
    SilentRun install = RunSilently("\"" + program + "\" " + arguments, 120000, !package.empty());
    ReportWindows(install);
    printf("  ended    %s, exit code %lu\n", install.ended ? "yes" : "NO",
           static_cast<unsigned long>(install.exitCode));

    std::string uninstallString, quiet;
    ReadRegistryValue(HKEY_LOCAL_MACHINE, trial.uninstallKey, "UninstallString", &uninstallString);
    if (!ReadRegistryValue(HKEY_LOCAL_MACHINE, trial.uninstallKey, "QuietUninstallString",
                           &quiet) &&
        !uninstallString.empty()) {
        size_t keyword = uninstallString.find(" -uninst");
        quiet = uninstallString.substr(0, keyword) + " /S" + uninstallString.substr(keyword);
        printf("  The uninstall entry has no QuietUninstallString: the removal runs %s\n",
               quiet.c_str());
    }
    if (uninstallString.empty()) {
        printf("FAILED: the install left no uninstall entry at HKLM\\%s.\n",
               trial.uninstallKey.c_str());
        printf("  The record %s:\n%s\n", record.c_str(), ReadFileBytes(record).c_str());
        return 1;
    }
    Changes made = ReportWhatWasMade(trial, before, uninstallString);

    SilentRun removal = RunSilently(quiet);
    UninstallRun run;
    run.started = true;
    run.ended = removal.ended;
    run.exitCode = removal.exitCode;
    Snapshot after = TakeSnapshot();
    bool clean = ReportUninstall(trial, run, made, after, ProgramOf(quiet), true);
    ReportWindows(removal);
    printf("\nThe record %s:\n", record.c_str());
    for (const std::string& line : SplitLines(ReadFileBytes(record), "\r\n"))
        printf("  %s\n", line.c_str());
    printf("\nExit codes: install %lu, removal %lu\n", static_cast<unsigned long>(install.exitCode),
           static_cast<unsigned long>(removal.exitCode));
    clean = clean && install.ended && install.exitCode == 0 && !install.windowSeen &&
            !removal.windowSeen;
    printf("\n%s\n", clean ? "RESULT: installed and uninstalled cleanly, unattended"
                           : "RESULT: the unattended install or uninstall failed, showed a window "
                             "or left something behind");
    return clean ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "measure")
        return Measure(argc > 2 ? argv[2] : "");
    WalkChoices choices;
    std::string package;
    bool valid = (command == "walk" || command == "silent") && argc >= 4;
    for (int i = 4; valid && i < argc; i += 2) {
        std::string option = argv[i];
        if (i + 1 >= argc)
            valid = false;
        else if (option == "--package")
            package = argv[i + 1];
        else if (option == "--user")
            choices.user = argv[i + 1];
        else if (option == "--components") {
            choices.chooseComponents = true;
            choices.components = SplitList(argv[i + 1]);
        } else
            valid = false;
    }
    if (!valid) {
        fprintf(stderr, "usage: product_walker.exe walk|silent <product folder> <picture folder> "
                        "[--user NAME] [--components \"A;B\"] [--package P]\n");
        return 2;
    }
    CoInitialize(nullptr);
    int result = command == "silent" ? Silent(argv[2], argv[3], package, choices)
                                     : Walk(argv[2], argv[3], package, choices);
    CoUninitialize();
    return result;
}
