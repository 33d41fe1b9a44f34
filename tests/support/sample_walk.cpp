#include "support/sample_walk.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "resources/resource_ids.h"
#include "support/desktop_support.h"
#include "support/wizard_screenshot.h"
#include "ui/page_table.h"

const char SAMPLE_TITLE[] = "Acme Reader";
const char SAMPLE_HOTSYNC_USER[] = "Ann";
const char UNINSTALL_KEY_ROOT[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

namespace {
const DWORD PAGE_WAIT_MS = 15000;
// Shortcuts alone take over a second each; regsvr32 and the Palm libraries add to it.
const DWORD INSTALL_WAIT_MS = 120000;

const char TEMPLATE_STAGE[] = "Uninstalling...";
const DWORD PAINT_SETTLE_MS = 500;
// Wine puts a busy window's painting on the screen at most every 50 ms and only while it peeks
// at its messages: long enough for a new stage label to show, short against the sample's stages.
const DWORD STAGE_SETTLE_MS = 300;

// "Deleting Files..." becomes "deleting-files".
std::string PictureName(const std::string& label) {
    std::string name;
    for (char c : label) {
        if (isalnum(static_cast<unsigned char>(c)))
            name += static_cast<char>(tolower(static_cast<unsigned char>(c)));
        else if (c == ' ')
            name += '-';
    }
    return name;
}

bool Fail(std::string* failure, const std::string& reason) {
    if (failure)
        *failure = reason;
    return false;
}

HWND ProgressWindowOf(DWORD processId) {
    for (HWND window : TopWindowsOf(processId, "#32770")) {
        if (GetDlgItem(window, IDC_STAGE_LABEL))
            return window;
    }
    return nullptr;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, strlen(prefix), prefix) == 0;
}

std::string Rest(const std::string& line, const char* keyword) {
    std::string rest = line.substr(strlen(keyword));
    size_t first = rest.find_first_not_of(" \t\r");
    size_t last = rest.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : rest.substr(first, last - first + 1);
}
} // namespace

void PageShots::Take(HWND window, const std::string& name, DWORD settleMs) {
    if (folder_.empty() || !window)
        return;
    Sleep(settleMs);
    char number[8];
    snprintf(number, sizeof(number), "%02u-", static_cast<unsigned>(taken_.size() + 1));
    std::string path = folder_ + "\\" + number + name + ".png";
    if (SaveWindowPng(window, path))
        taken_.push_back(path);
}

namespace {
// Ticks exactly the named components, parents before their children.
bool ChooseComponents(WizardDriver& wizard, const std::vector<std::string>& names,
                      std::string* failure) {
    auto wanted = [&](const std::string& text) {
        return std::find(names.begin(), names.end(), text) != names.end();
    };
    std::vector<TreeNode> nodes = wizard.Nodes();
    for (const std::string& name : names) {
        if (std::none_of(nodes.begin(), nodes.end(),
                         [&](const TreeNode& node) { return node.text == name; }))
            return Fail(failure, "the components page has no component named \"" + name + "\"");
    }
    // A click on a parent may change its children: the tree is read again before each click.
    for (size_t index = 0; index < nodes.size(); ++index) {
        std::vector<TreeNode> now = wizard.Nodes();
        if (index >= now.size())
            break;
        const TreeNode& node = now[index];
        if (node.checked != wanted(node.text) && !wizard.ClickCheckBox(node.text))
            return Fail(failure, "the check box of \"" + node.text + "\" did not change");
    }
    for (const TreeNode& node : wizard.Nodes()) {
        if (node.checked != wanted(node.text))
            return Fail(failure, "\"" + node.text + "\" could not be " +
                                     (wanted(node.text) ? "ticked" : "unticked"));
    }
    return true;
}
} // namespace

bool WalkInstall(WizardDriver& wizard, PageShots& shots, const WalkChoices& choices,
                 std::string* failure) {
    if (!wizard.WaitForPage(PAGE_LICENCE, PAGE_WAIT_MS))
        return Fail(failure, "the licence page did not appear");
    shots.Take(wizard.Frame(), "licence", PAINT_SETTLE_MS);

    wizard.PressFrameButton(IDOK);
    if (!wizard.WaitForPage(PAGE_HOTSYNC_USER, PAGE_WAIT_MS))
        return Fail(failure, "the HotSync user page did not follow the licence");
    if (!choices.user.empty()) {
        std::vector<std::string> users;
        WaitUntil(
            [&] {
                users = wizard.UserList();
                return std::find(users.begin(), users.end(), choices.user) != users.end();
            },
            PAGE_WAIT_MS);
        auto user = std::find(users.begin(), users.end(), choices.user);
        if (user == users.end())
            return Fail(failure, "the HotSync user list lacks " + choices.user);
        wizard.ChooseUser(static_cast<int>(user - users.begin()));
    }
    shots.Take(wizard.Frame(), "hotsync-user", PAINT_SETTLE_MS);

    // A script with a single component has no components page: the user page installs.
    if (wizard.Page(PAGE_COMPONENTS)) {
        wizard.PressFrameButton(IDOK);
        if (!wizard.WaitForPage(PAGE_COMPONENTS, PAGE_WAIT_MS))
            return Fail(failure, "the components page did not follow the HotSync user page");
        if (choices.chooseComponents && !ChooseComponents(wizard, choices.components, failure))
            return false;
        if (!WaitUntil([&] { return wizard.FrameButtonEnabled(IDOK); }, PAGE_WAIT_MS))
            return Fail(failure, "the Install button stayed disabled");
        shots.Take(wizard.Frame(), "components", PAINT_SETTLE_MS);
    } else if (choices.chooseComponents) {
        return Fail(failure, "the product offers no choice of components");
    }

    wizard.PressFrameButton(IDOK);
    HWND box = nullptr;
    WaitUntil(
        [&] {
            box = FindBox(wizard.ProcessId());
            return box || wizard.CurrentPage() == PAGE_FINISH || !wizard.Running();
        },
        INSTALL_WAIT_MS);
    if (box) {
        shots.Take(box, "install-message");
        return Fail(failure, "the install showed: " + MessageBoxText(box));
    }
    if (wizard.CurrentPage() != PAGE_FINISH)
        return Fail(failure, "the finish page did not appear after Install");
    if (wizard.PageControlVisible(PAGE_FINISH, IDC_OPEN_README)) {
        wizard.PressPageButton(PAGE_FINISH, IDC_OPEN_README);
        WaitUntil([&] { return wizard.PageButtonChecked(PAGE_FINISH, IDC_OPEN_README); },
                  PAGE_WAIT_MS);
    }
    shots.Take(wizard.Frame(), "finish", PAINT_SETTLE_MS);

    wizard.PressFrameButton(IDCANCEL);
    DWORD exitCode = 1;
    if (!wizard.WaitForExit(PAGE_WAIT_MS * 2, &exitCode))
        return Fail(failure, "Setup.exe did not end after Finish");
    if (exitCode != 0)
        return Fail(failure, "Setup.exe ended with " + std::to_string(exitCode));
    return true;
}

bool WalkSampleInstall(WizardDriver& wizard, PageShots& shots, std::string* failure) {
    WalkChoices choices;
    choices.user = SAMPLE_HOTSYNC_USER;
    return WalkInstall(wizard, shots, choices, failure);
}

UninstallRun RunUninstallCommand(const std::string& commandLine, const std::vector<int>& answers,
                                 PageShots& shots, DWORD timeoutMs) {
    UninstallRun run;
    ChildProcess process;
    run.started = process.Start(commandLine);
    if (!run.started)
        return run;
    size_t next = 0;
    HWND answered = nullptr;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (process.Wait(0, &run.exitCode)) {
            run.ended = true;
            break;
        }
        HWND box = FindBox(process.Id());
        if (box && box != answered) {
            SeenBox seen;
            seen.caption = WindowText(box);
            seen.text = MessageBoxText(box);
            bool hasNo = GetDlgItem(box, IDNO) != nullptr;
            seen.answer = next < answers.size() ? answers[next++] : (hasNo ? IDNO : IDOK);
            run.boxes.push_back(seen);
            shots.Take(box, "uninstall-question-" + std::to_string(run.boxes.size()),
                       PAINT_SETTLE_MS);
            PressButton(box, seen.answer);
            answered = box;
        }
        HWND progress = ProgressWindowOf(process.Id());
        if (progress) {
            std::string stage = TextWithoutMessage(GetDlgItem(progress, IDC_STAGE_LABEL));
            if (!stage.empty() && (run.stages.empty() || run.stages.back() != stage)) {
                run.stages.push_back(stage);
                if (stage != TEMPLATE_STAGE)
                    shots.Take(progress, "uninstall-" + PictureName(stage), STAGE_SETTLE_MS);
            }
        }
        Sleep(15);
    }
    return run;
}

SilentRun RunSilently(const std::string& commandLine, DWORD timeoutMs, bool anyWindow) {
    SilentRun run;
    ChildProcess process;
    if (!process.Start(commandLine))
        return run;
    DWORD start = GetTickCount();
    while (!run.ended && GetTickCount() - start < timeoutMs) {
        run.windowSeen = run.windowSeen || !TopWindowsOf(anyWindow ? 0 : process.Id()).empty();
        run.ended = process.Wait(5, &run.exitCode);
    }
    return run;
}

std::vector<std::string> ReplayStageLabels() {
    return {"Unregisterring services...", "Deleting Files...", "Deleting Folder...",
            "Finishing..."};
}

std::vector<std::string> ReplayStagesSeen(const UninstallRun& run) {
    std::vector<std::string> stages = run.stages;
    if (!stages.empty() && stages.front() == TEMPLATE_STAGE)
        stages.erase(stages.begin());
    return stages;
}

bool ReadLoggedPaths(const std::string& logPath, LoggedPaths* paths) {
    std::vector<std::string> header = LogHeader(logPath);
    if (header.size() < 3 || !StartsWith(header[2], "Source: "))
        return false;
    *paths = LoggedPaths();
    paths->folder = Rest(header[2], "Source: ");
    for (const std::string& line : LogEntries(logPath)) {
        if (StartsWith(line, "File Copy: "))
            paths->files.push_back(Rest(line, "File Copy: "));
        else if (StartsWith(line, "Shell Link: "))
            paths->links.push_back(Rest(line, "Shell Link: "));
        else if (StartsWith(line, "RegSvr32: "))
            paths->servers.push_back(Rest(line, "RegSvr32: "));
        else if (StartsWith(line, "Made Dir: "))
            paths->folders.push_back(Rest(line, "Made Dir: "));
    }
    return true;
}
