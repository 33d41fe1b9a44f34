// The sample product for scripts/run-sample.sh.
//   walk <product> <pictures>: walks the wizard as a user would, says where everything went,
//     removes the product through the command its uninstall entry registers and leaves a picture
//     of every window on the way; exit code 0 when the install and the removal both went through.
//   report <product>: says where an install made by hand put everything.
//   uninstall: runs the registered uninstall command for a person to answer.
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/sample_walk.h"
#include "support/system_standins.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"

namespace {

std::string UninstallKey() {
    return std::string(UNINSTALL_KEY_ROOT) + SAMPLE_TITLE;
}

void PrintList(const char* heading, const std::vector<std::string>& paths) {
    for (size_t i = 0; i < paths.size(); ++i)
        printf("  %-9s %s\n", i == 0 ? heading : "", paths[i].c_str());
}

bool RunningUnderWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::string ProfileValue(const std::string& file, const char* section, const char* key) {
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA(section, key, "", value, sizeof(value), file.c_str());
    return value;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

bool IsEmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool empty = true;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            empty = false;
    } while (empty && FindNextFileA(search, &found));
    FindClose(search);
    return empty;
}

// The paths in their first order, each once (the log names a folder once per item in it).
std::vector<std::string> Distinct(const std::vector<std::string>& paths) {
    std::vector<std::string> once;
    for (const std::string& path : paths) {
        if (std::find(once.begin(), once.end(), path) == once.end())
            once.push_back(path);
    }
    return once;
}

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n')
            c = ' ';
    }
    return text;
}

std::string ActiveSyncFolder() {
    std::string manager;
    if (!ReadRegistryValue(HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATHS_KEY, nullptr, &manager))
        return std::string();
    size_t slash = manager.rfind('\\');
    return slash == std::string::npos ? std::string() : manager.substr(0, slash);
}

void ReportInstall(const std::string& product, const std::string& log,
                   const LoggedPaths& installed) {
    printf("\nInstalled, as the install log %s records it:\n", log.c_str());
    PrintList("files", installed.files);
    PrintList("links", installed.links);
    std::vector<std::string> servers;
    for (const std::string& server : installed.servers)
        servers.push_back(
            server + (TestComServerRegistered(server) ? "  (registered)" : "  (NOT registered)"));
    PrintList("servers", servers);
    PrintList("folders", Distinct(installed.folders));

    printf("\nUninstall entry: HKEY_LOCAL_MACHINE\\%s%s\n", UninstallKey().c_str(),
           RunningUnderWow64() ? "  (the 32-bit view: Wow6432Node)" : "");
    for (const char* name : {"DisplayName", "DisplayIcon", "UninstallString"}) {
        std::string value;
        ReadRegistryValue(HKEY_LOCAL_MACHINE, UninstallKey(), name, &value);
        printf("  %-16s %s\n", name, value.c_str());
    }

    std::string queue = ProfileValue(product + "\\HotSyncFake.ini", "HotSync", "Queue");
    printf("\nQueued for the next HotSync of %s (%s\\%s):\n  %s\n", SAMPLE_HOTSYNC_USER,
           queue.c_str(), SAMPLE_HOTSYNC_USER,
           Joined(FilesIn(queue + "\\" + SAMPLE_HOTSYNC_USER), ", ").c_str());

    char record[MAX_PATH] = {};
    if (GetEnvironmentVariableA("ORVEX_OPEN_RECORD", record, sizeof(record)) > 0) {
        WaitUntil([&] { return !ReadFileBytes(record).empty(); }, 10000);
        std::string opened = ReadFileBytes(record);
        printf("\nRead-me opened with: %s", opened.empty() ? "(nothing)\n" : opened.c_str());
    }
}

// True when nothing the log named is left.
bool ReportUninstall(const UninstallRun& run, const LoggedPaths& installed,
                     const std::string& log) {
    printf("\nUninstall: ran the UninstallString as Windows would\n");
    for (const SeenBox& box : run.boxes)
        printf("  asked    [%s] %s -> %s\n", box.caption.c_str(), OneLine(box.text).c_str(),
               box.answer == IDYES  ? "Yes"
               : box.answer == IDNO ? "No"
                                    : "OK");
    printf("  stages   %s\n", Joined(ReplayStagesSeen(run), " / ").c_str());
    printf("  ended    %s, exit code %lu\n", run.ended ? "yes" : "NO",
           static_cast<unsigned long>(run.exitCode));

    std::vector<std::string> left;
    std::vector<std::string> all = installed.files;
    all.insert(all.end(), installed.links.begin(), installed.links.end());
    all.push_back(log);
    for (const std::string& path : all) {
        if (FileExists(path))
            left.push_back(path);
    }
    for (const std::string& server : installed.servers) {
        if (TestComServerRegistered(server))
            left.push_back(server + " (still registered)");
    }
    std::vector<std::string> keptFolders;
    for (const std::string& folder : Distinct(installed.folders)) {
        if (FileExists(folder))
            keptFolders.push_back(folder);
    }
    // The destination's parent is made before the log exists, so the log does not name it.
    std::string parent = installed.folder.substr(0, installed.folder.rfind('\\'));
    if (IsEmptyFolder(parent))
        keptFolders.push_back(parent + "  (made before the log existed; not in it)");
    std::string value;
    bool entryLeft = ReadRegistryValue(HKEY_LOCAL_MACHINE, UninstallKey(), "DisplayName", &value);
    if (entryLeft)
        left.push_back("the uninstall entry");
    if (left.empty())
        printf("  removed  every file, link, server registration, the log and the entry\n");
    else
        PrintList("LEFT", left);
    // Folders that held other files before the install (the system folder, the desktop) stay.
    PrintList("kept", keptFolders);

    std::string activeSync = ActiveSyncFolder();
    if (!activeSync.empty()) {
        WaitForWcesmgrRecord(activeSync, "end /show", 10000);
        std::string record = WcesmgrRecord(activeSync);
        printf("  ActiveSync (wcesmgr.exe runs): %s\n", OneLine(record).c_str());
    }
    return left.empty() && run.ended && run.exitCode == 0;
}

// The log path of an uninstall command: what follows "-uninst".
std::string LogOf(const std::string& uninstallString) {
    size_t keyword = uninstallString.find(" -uninst");
    return keyword == std::string::npos ? std::string() : uninstallString.substr(keyword + 8);
}

bool ReadUninstallString(std::string* command) {
    return ReadRegistryValue(HKEY_LOCAL_MACHINE, UninstallKey(), "UninstallString", command);
}

int Walk(const std::string& product, const std::string& pictures) {
    CreateDirectoryA(pictures.c_str(), nullptr);
    PageShots shots(pictures);
    printf("Walking the wizard of %s\\Setup.exe: licence (Yes), HotSync user (%s), "
           "components (as offered), Install, finish (read-me ticked), Finish\n",
           product.c_str(), SAMPLE_HOTSYNC_USER);
    WizardDriver wizard;
    std::string failure;
    if (!wizard.StartIn(product)) {
        fprintf(stderr, "The wizard did not appear.\n");
        return 1;
    }
    if (!WalkSampleInstall(wizard, shots, &failure)) {
        fprintf(stderr, "The install did not go through: %s\n", failure.c_str());
        return 1;
    }
    printf("Setup.exe ended with exit code 0.\n");

    std::string uninstallString;
    if (!ReadUninstallString(&uninstallString)) {
        fprintf(stderr, "The install left no uninstall entry.\n");
        return 1;
    }
    std::string log = LogOf(uninstallString);
    LoggedPaths installed;
    if (!ReadLoggedPaths(log, &installed)) {
        fprintf(stderr, "No install log at %s.\n", log.c_str());
        return 1;
    }
    ReportInstall(product, log, installed);

    UninstallRun run = RunUninstallCommand(uninstallString, {IDYES}, shots);
    bool removed = ReportUninstall(run, installed, log);

    printf("\nPictures:\n");
    for (const std::string& path : shots.Taken())
        printf("  %s\n", path.c_str());
    return removed ? 0 : 1;
}

// After a wizard run by hand: what went where, if the product is installed.
int Report(const std::string& product) {
    std::string uninstallString;
    LoggedPaths installed;
    if (!ReadUninstallString(&uninstallString) ||
        !ReadLoggedPaths(LogOf(uninstallString), &installed)) {
        printf("%s is not installed.\n", SAMPLE_TITLE);
        return 1;
    }
    ReportInstall(product, LogOf(uninstallString), installed);
    return 0;
}

// Runs the registered uninstall command as Windows would, for a person to answer its questions.
int UninstallByHand() {
    std::string uninstallString;
    if (!ReadUninstallString(&uninstallString)) {
        printf("%s is not installed.\n", SAMPLE_TITLE);
        return 1;
    }
    printf("Running the uninstall entry: %s\n", uninstallString.c_str());
    ChildProcess process;
    DWORD exitCode = 0;
    if (!process.Start(uninstallString)) {
        fprintf(stderr, "The uninstall entry could not be run.\n");
        return 1;
    }
    // A person answers the uninstaller's questions; half an hour is time enough for that.
    if (!process.Wait(30 * 60 * 1000, &exitCode)) {
        fprintf(stderr, "The uninstaller did not end within half an hour.\n");
        return 1;
    }
    std::string name;
    bool installed = ReadRegistryValue(HKEY_LOCAL_MACHINE, UninstallKey(), "DisplayName", &name);
    printf("The uninstaller ended with exit code %lu; %s\n", static_cast<unsigned long>(exitCode),
           installed ? "the product is still installed." : "the product is removed.");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "walk" && argc == 4)
        return Walk(argv[2], argv[3]);
    if (command == "report" && argc == 3)
        return Report(argv[2]);
    if (command == "uninstall" && argc == 2)
        return UninstallByHand();
    fprintf(stderr, "usage: sample_walker.exe walk <product folder> <picture folder>\n"
                    "       sample_walker.exe report <product folder>\n"
                    "       sample_walker.exe uninstall\n");
    return 2;
}
