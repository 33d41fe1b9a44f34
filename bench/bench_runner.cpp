// Runs the benchmark inside the prefix: Setup.exe against the baselines, alternating, and prints
// one table of medians and ratios.
//   bench_runner <bin folder> <work folder> <runs> [start|removal]
// With "start" only the start-up figures are measured, with "removal" only the uninstall ones.
// With ORVEX_BENCH_SAMPLE naming the sample product's folder, its package is made and started
// against the folder's Setup.exe, started directly and as the child of child_start.
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <string.h>
#include <stdlib.h>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {
const int FILE_COUNT = 1000;
const int FOLDER_COUNT = 10;
const int FILE_BYTES = 4096;
const int BIG_COMPONENTS = 50;
const int BIG_ITEMS = 5000;
const DWORD STEP_LIMIT_MS = 120000;
const DWORD SETTLE_MS = 300;

double Now() {
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / frequency.QuadPart;
}

[[noreturn]] void Fail(const std::string& what) {
    fprintf(stderr, "bench: %s\n", what.c_str());
    exit(1);
}

std::string FileName(int i) {
    char name[32];
    snprintf(name, sizeof(name), "f%04d.dat", i);
    return name;
}

std::string Script(const std::string& title, const std::string& dest, int components, int items,
                   const std::string& general = "") {
    std::string text = "[General]\r\nCompany=Orvex Bench\r\nApplication=" + title +
                       "\r\nDestFolder=" + dest + "\r\n" + general + "Components=";
    for (int c = 0; c < components; ++c)
        text += (c ? ";C" : "C") + std::to_string(c);
    text += "\r\n";
    int perComponent = items / components;
    for (int c = 0, i = 0; c < components; ++c) {
        text += "[C" + std::to_string(c) + "]\r\nName=Component " + std::to_string(c) +
                "\r\nDescription=Files of component " + std::to_string(c) + "\r\n";
        for (int n = 1; n <= perComponent; ++n, ++i) {
            char line[96];
            snprintf(line, sizeof(line), "CopyFile%d=4;%%DEST_PATH%%\\d%02d\\%s\r\n", n,
                     i % FOLDER_COUNT, FileName(i).c_str());
            text += line;
        }
    }
    return text;
}

// A product folder: Setup.exe, its script and, when asked, the files the script names.
void MakeProduct(const std::string& bin, const std::string& folder, const std::string& script,
                 int files) {
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!CopyFileA((bin + "\\Setup.exe").c_str(), (folder + "\\Setup.exe").c_str(), FALSE) ||
        !WriteFileBytes(folder + "\\Setup.ini", script))
        Fail("cannot make the product folder " + folder);
    std::string content(FILE_BYTES, 'x');
    for (int i = 0; i < files; ++i) {
        if (!WriteFileBytes(folder + "\\" + FileName(i), content))
            Fail("cannot write the product's files");
    }
}

// A 24-bit bitmap of the sample product's logo size.
std::string Logo() {
    const int width = 495;
    const int height = 88;
    const int row = (width * 3 + 3) & ~3;
    const int pixels = row * height;
    std::string bytes(54 + pixels, '\0');
    auto put = [&bytes](size_t at, unsigned value, int count) {
        for (int i = 0; i < count; ++i)
            bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, static_cast<unsigned>(bytes.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, width, 4);
    put(22, height, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, pixels, 4);
    for (int i = 0; i < pixels; ++i)
        bytes[54 + i] = static_cast<char>(i * 7);
    return bytes;
}

// The licence text beside the start-up product: 200 lines.
std::string Licence() {
    std::string text;
    for (int i = 1; i <= 200; ++i)
        text += std::to_string(i) + ". The licensee may use the software as this paragraph "
                                    "allows, and only so.\r\n";
    return text;
}

struct Process {
    PROCESS_INFORMATION info = {};
    bool Start(const std::string& commandLine, HANDLE output = nullptr) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        if (output) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = output;
            startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        }
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        return CreateProcessA(nullptr, line.data(), nullptr, nullptr, output != nullptr, 0, nullptr,
                              nullptr, &startup, &info) != FALSE;
    }
    bool Running() const { return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }
    // Ends the process if it is still running after the time.
    void Finish(DWORD timeoutMs) {
        if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(info.hProcess, 1);
            WaitForSingleObject(info.hProcess, 10000);
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
        info = {};
    }
};

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = "";
    GetClassNameA(window, className, sizeof(className));
    if ((search->processId == 0 || owner == search->processId) && IsWindowVisible(window) &&
        strcmp(className, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleDialogOf(const Process& process) {
    WindowSearch search = {process.info.dwProcessId, "#32770", nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Polls every millisecond until the condition holds; false when the process ended or the time
// ran out.
template <typename Condition> bool PollUntil(const Process& process, Condition condition) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < STEP_LIMIT_MS) {
        if (condition())
            return true;
        if (!process.Running())
            return false;
        Sleep(1);
    }
    return false;
}

std::string ButtonText(HWND dialog, int id) {
    char text[64] = "";
    GetWindowTextA(GetDlgItem(dialog, id), text, sizeof(text));
    return text;
}

// Milliseconds from the start of the program until its first window is visible and the program
// waits for input; the window is closed again.
double TimeToWindow(const std::string& program, const std::string& folder) {
    std::string line = "\"" + program + "\"";
    SetCurrentDirectoryA(folder.c_str());
    Process process;
    double start = Now();
    if (!process.Start(line))
        Fail("cannot start " + program);
    HWND window = nullptr;
    if (!PollUntil(process, [&] { return (window = VisibleDialogOf(process)) != nullptr; }))
        Fail(program + " showed no window");
    // Shown is not yet usable: the program has painted and waits for input once it is idle.
    if (WaitForInputIdle(process.info.hProcess, STEP_LIMIT_MS) != 0)
        Fail(program + " did not become idle");
    double elapsed = Now() - start;
    PostMessageA(window, WM_CLOSE, 0, 0);
    process.Finish(20000);
    return elapsed;
}

// The same for a program whose wizard is a window of an installer it starts (a package, or
// child_start): until that installer waits for input. Closing the wizard ends the installer and
// then the program.
double TimeToChildWizard(const std::string& commandLine) {
    Process process;
    double start = Now();
    if (!process.Start(commandLine))
        Fail("cannot start " + commandLine);
    WindowSearch search = {0, "#32770", nullptr};
    if (!PollUntil(process, [&] {
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        }))
        Fail(commandLine + " showed no wizard");
    DWORD installerId = 0;
    GetWindowThreadProcessId(search.found, &installerId);
    HANDLE installer = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, installerId);
    if (!installer || WaitForInputIdle(installer, STEP_LIMIT_MS) != 0)
        Fail("the installer of " + commandLine + " did not become idle");
    double elapsed = Now() - start;
    PostMessageA(search.found, WM_CLOSE, 0, 0);
    WaitForSingleObject(installer, 20000);
    CloseHandle(installer);
    process.Finish(20000);
    return elapsed;
}

// Milliseconds from the click on the install button to the finish page.
double TimeInstall(const std::string& product) {
    SetCurrentDirectoryA(product.c_str());
    Process process;
    if (!process.Start("\"" + product + "\\Setup.exe\""))
        Fail("cannot start Setup.exe");
    HWND frame = nullptr;
    if (!PollUntil(process, [&] { return (frame = VisibleDialogOf(process)) != nullptr; }))
        Fail("Setup.exe showed no wizard");
    PostMessageA(GetDlgItem(frame, IDOK), BM_CLICK, 0, 0);
    if (!PollUntil(process, [&] { return IsWindowVisible(GetDlgItem(frame, 3)) != FALSE; }))
        Fail("the HotSync user page did not come");
    // No user clicks within milliseconds of a page appearing: what the wizard does once it has
    // been painted is done by then, and is no part of the install.
    WaitForInputIdle(process.info.hProcess, STEP_LIMIT_MS);
    Sleep(SETTLE_MS);
    double start = Now();
    PostMessageA(GetDlgItem(frame, IDOK), BM_CLICK, 0, 0);
    if (!PollUntil(process, [&] { return ButtonText(frame, IDCANCEL) == "&Finish"; }))
        Fail("the install did not reach the finish page");
    double elapsed = Now() - start;
    PostMessageA(GetDlgItem(frame, IDCANCEL), BM_CLICK, 0, 0);
    process.Finish(20000);
    return elapsed;
}

// Milliseconds from the confirmation to the end of the uninstaller.
double TimeUninstall(const std::string& bin, const std::string& log) {
    Process process;
    if (!process.Start("\"" + bin + "\\uninstall_unpaused.exe\" " + log))
        Fail("cannot start the uninstaller");
    HWND box = nullptr;
    if (!PollUntil(process, [&] {
            box = VisibleDialogOf(process);
            return box && GetDlgItem(box, IDYES);
        }))
        Fail("the uninstaller asked nothing");
    double start = Now();
    PostMessageA(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    if (WaitForSingleObject(process.info.hProcess, STEP_LIMIT_MS) != WAIT_OBJECT_0)
        Fail("the uninstaller did not end");
    double elapsed = Now() - start;
    process.Finish(0);
    if (GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES)
        Fail("the uninstaller left its log");
    return elapsed;
}

// Milliseconds from the start of a program to its end, which must come with the exit code.
double TimeProcess(const std::string& commandLine, DWORD expectedExitCode) {
    Process process;
    double start = Now();
    if (!process.Start(commandLine))
        Fail("cannot start " + commandLine);
    if (WaitForSingleObject(process.info.hProcess, STEP_LIMIT_MS) != WAIT_OBJECT_0)
        Fail(commandLine + " did not end");
    double elapsed = Now() - start;
    DWORD exitCode = 1;
    GetExitCodeProcess(process.info.hProcess, &exitCode);
    process.Finish(0);
    if (exitCode != expectedExitCode)
        Fail(commandLine + " ended with " + std::to_string(exitCode));
    return elapsed;
}

// Runs plain_files and returns the milliseconds it reports.
double TimePlain(const std::string& bin, const std::string& arguments) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        Fail("no pipe");
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    Process process;
    if (!process.Start("\"" + bin + "\\plain_files.exe\" " + arguments, writeEnd))
        Fail("cannot start plain_files");
    CloseHandle(writeEnd);
    std::string output;
    char buffer[64];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        output.append(buffer, got);
    CloseHandle(readEnd);
    DWORD exitCode = 1;
    WaitForSingleObject(process.info.hProcess, STEP_LIMIT_MS);
    GetExitCodeProcess(process.info.hProcess, &exitCode);
    process.Finish(0);
    if (exitCode != 0 || output.empty())
        Fail("plain_files " + arguments + " failed");
    return atof(output.c_str());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void DeleteUninstallKey(const std::string& title) {
    std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + title;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}
} // namespace

int main(int argc, char** argv) {
    bool startOnly = argc == 5 && strcmp(argv[4], "start") == 0;
    bool removalOnly = argc == 5 && strcmp(argv[4], "removal") == 0;
    if (argc != 4 && !startOnly && !removalOnly)
        return 2;
    std::string bin = argv[1];
    std::string work = argv[2];
    int runs = atoi(argv[3]);
    if (runs < 1)
        return 2;
    CreateDirectoryA(work.c_str(), nullptr);
    std::string setup = bin + "\\Setup.exe";
    HANDLE image = CreateFileA(setup.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
    DWORD size = GetFileSize(image, nullptr);
    CloseHandle(image);

    // Start-up: a product with a licence, a logo and two components against the bare dialog
    // program.
    std::string small = work + "\\small";
    std::string big = work + "\\big";
    std::string files = work + "\\files";
    std::string setupDest = work + "\\installed";
    std::string plainDest = work + "\\plain";
    MakeProduct(bin, small,
                Script("Bench Small", work + "\\small-dest", 2, 2,
                       "Licence=Licence.txt\r\nLogo=Logo.bmp\r\n"),
                0);
    if (!WriteFileBytes(small + "\\Licence.txt", Licence()) ||
        !WriteFileBytes(small + "\\Logo.bmp", Logo()))
        Fail("cannot write the start-up product's licence and logo");
    // ORVEX_BENCH_LANGUAGES: a folder whose language files go beside the start-up product.
    char languages[MAX_PATH] = "";
    if (GetEnvironmentVariableA("ORVEX_BENCH_LANGUAGES", languages, sizeof(languages))) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((std::string(languages) + "\\Setup.*.lng").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
            CopyFileA((std::string(languages) + "\\" + found.cFileName).c_str(),
                      (small + "\\" + found.cFileName).c_str(), FALSE);
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
    }
    MakeProduct(bin, big, Script("Bench Big", work + "\\big-dest", BIG_COMPONENTS, BIG_ITEMS), 0);
    if (!startOnly)
        MakeProduct(bin, files, Script("Bench Files", setupDest, 1, FILE_COUNT), FILE_COUNT);

    std::vector<double> startSetup, startBare, startBig, install, copy, uninstall, remove;
    std::vector<double> silentUninstall, silentStartAndEnd;
    char sample[MAX_PATH] = "";
    GetEnvironmentVariableA("ORVEX_BENCH_SAMPLE", sample, sizeof(sample));
    std::string package = work + "\\sample.exe";
    if (removalOnly)
        *sample = '\0';
    if (*sample &&
        RunAndWait("\"" + bin + "\\SetupCheck.exe\" --pack \"" + package + "\" \"" + sample + "\"",
                   STEP_LIMIT_MS) > 1)
        Fail("the sample could not be packed");
    std::vector<double> startSample, startChild, startPackage;
    std::string child = "\"" + bin + "\\child_start.exe\" \"" + sample + "\\Setup.exe\"";
    for (int run = 0; run < runs; ++run) {
        // Each goes first in every other run, so that neither always comes right after the
        // file work of the run before.
        if (removalOnly) {
        } else if (run % 2 == 0) {
            startSetup.push_back(TimeToWindow(small + "\\Setup.exe", small));
            startBare.push_back(TimeToWindow(bin + "\\bare_dialog.exe", bin));
        } else {
            startBare.push_back(TimeToWindow(bin + "\\bare_dialog.exe", bin));
            startSetup.push_back(TimeToWindow(small + "\\Setup.exe", small));
        }
        if (!removalOnly)
            startBig.push_back(TimeToWindow(big + "\\Setup.exe", big));
        if (*sample && run % 2 == 0) {
            startSample.push_back(TimeToWindow(std::string(sample) + "\\Setup.exe", sample));
            startChild.push_back(TimeToChildWizard(child));
            startPackage.push_back(TimeToChildWizard("\"" + package + "\""));
        } else if (*sample) {
            startPackage.push_back(TimeToChildWizard("\"" + package + "\""));
            startChild.push_back(TimeToChildWizard(child));
            startSample.push_back(TimeToWindow(std::string(sample) + "\\Setup.exe", sample));
        }
        if (startOnly) {
            printf("start %.0f bare %.0f big %.0f", startSetup.back(), startBare.back(),
                   startBig.back());
            if (*sample)
                printf(" sample %.0f child %.0f package %.0f", startSample.back(),
                       startChild.back(), startPackage.back());
            printf("\n");
            continue;
        }

        RemoveTree(setupDest);
        if (!removalOnly)
            install.push_back(TimeInstall(files));
        else if (RunAndWait("\"" + files + "\\Setup.exe\" /S", STEP_LIMIT_MS) != 0)
            Fail("the silent install failed");
        RemoveTree(plainDest);
        copy.push_back(TimePlain(bin, "copy " + files + " " + plainDest + " " +
                                          std::to_string(FILE_COUNT) + " " +
                                          std::to_string(FOLDER_COUNT)));
        uninstall.push_back(TimeUninstall(bin, setupDest + "\\_Install.log"));
        remove.push_back(TimePlain(bin, "delete " + plainDest + " " + std::to_string(FILE_COUNT) +
                                            " " + std::to_string(FOLDER_COUNT)));

        // The silent removal has no question to time from: its start and end are measured
        // apart, on a log that is not there, and taken out.
        RemoveTree(setupDest);
        if (RunAndWait("\"" + files + "\\Setup.exe\" /S", STEP_LIMIT_MS) != 0)
            Fail("the silent install failed");
        std::string unpaused = "\"" + bin + "\\uninstall_unpaused.exe\" /S -uninst";
        silentUninstall.push_back(TimeProcess(unpaused + setupDest + "\\_Install.log", 0));
        if (GetFileAttributesA((setupDest + "\\_Install.log").c_str()) != INVALID_FILE_ATTRIBUTES)
            Fail("the silent removal left its log");
        silentStartAndEnd.push_back(TimeProcess(unpaused + work + "\\none.log", 1603));
        fprintf(stderr, "run %d of %d done\n", run + 1, runs);
    }
    DeleteUninstallKey("Orvex Bench Bench Files");
    SetCurrentDirectoryA(bin.c_str());
    RemoveTree(work);

    double mPackage = 0, mChild = 0, mSample = 0;
    if (*sample) {
        mPackage = Median(startPackage);
        mChild = Median(startChild);
        mSample = Median(startSample);
    }
    if (startOnly) {
        double mSetup = Median(startSetup), mBare = Median(startBare);
        printf("medians: start %.0f bare %.0f ratio %.2f big %.0f", mSetup, mBare, mSetup / mBare,
               Median(startBig));
        if (*sample)
            printf(" package %.0f child %.0f ratio %.2f sample %.0f ratio %.2f", mPackage, mChild,
                   mPackage / mChild, mSample, mPackage / mSample);
        printf("\n");
        return 0;
    }
    printf("| Figure (medians of %d alternating runs) | Setup.exe | Baseline | Ratio | Goal |\n",
           runs);
    printf("|---|---:|---:|---:|---|\n");
    if (!removalOnly) {
        double mSetup = Median(startSetup), mBare = Median(startBare), mBig = Median(startBig);
        double mInstall = Median(install), mCopy = Median(copy);
        printf("| Size, stripped, resources included | %lu bytes | | | at most 131,072 bytes |\n",
               static_cast<unsigned long>(size));
        printf("| Start to the visible wizard, 200-line licence, logo, two components (bare "
               "dialog program) | %.0f ms | %.0f ms | %.2f | at most 1.2 |\n",
               mSetup, mBare, mSetup / mBare);
        printf("| Install of %d files of 4 KB in %d folders, click to finish page (CopyFileA) | "
               "%.0f ms | %.0f ms | %.2f | at most 1.3 |\n",
               FILE_COUNT, FOLDER_COUNT, mInstall, mCopy, mInstall / mCopy);
        printf("| Wizard with %d items in %d components opens later than with 2 items | %.0f ms "
               "| %.0f ms | +%.0f ms | under 1000 ms later |\n",
               BIG_ITEMS, BIG_COMPONENTS, mBig, mSetup, mBig - mSetup);
    }
    double mUninstall = Median(uninstall), mRemove = Median(remove);
    double mSilent = Median(silentUninstall) - Median(silentStartAndEnd);
    printf("| Uninstall of the same files without its pauses, answer to end of process "
           "(DeleteFileA) | %.0f ms | %.0f ms | %.2f | at most 1.2 |\n",
           mUninstall, mRemove, mUninstall / mRemove);
    printf("| Silent uninstall (/S) of the same files without the finishing step's waits, its "
           "process start and end taken out (DeleteFileA) | %.0f ms | %.0f ms | %.2f | at most "
           "1.5 |\n",
           mSilent, mRemove, mSilent / mRemove);
    if (*sample) {
        printf("| The sample's package: start to the visible wizard (the folder's Setup.exe "
               "started by child_start) | %.0f ms | %.0f ms | %.2f | at most 1.15 |\n",
               mPackage, mChild, mPackage / mChild);
        printf("| The same (the folder's Setup.exe started directly; for information) | %.0f ms "
               "| %.0f ms | %.2f | |\n",
               mPackage, mSample, mPackage / mSample);
    }
    return 0;
}
