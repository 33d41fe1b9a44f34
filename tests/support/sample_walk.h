#pragma once
// The sample product (samples/acme-reader) taken through the wizard and through its uninstall
// entry as a user would: shared by the end-to-end tests and by the walker of run-sample.sh.
// Every wait is bounded.
#include <windows.h>

#include <string>
#include <vector>

#include "support/message_boxes.h"
#include "support/wizard_driver.h"

extern const char SAMPLE_TITLE[];        // "Acme Reader"
extern const char SAMPLE_HOTSYNC_USER[]; // the user the walk chooses: "Ann"
extern const char UNINSTALL_KEY_ROOT[];  // "Software\Microsoft\Windows\CurrentVersion\Uninstall\"

// Pictures of the windows a walk passes, numbered in order: <folder>\01-licence.png, ...
// With an empty folder nothing is saved.
class PageShots {
  public:
    explicit PageShots(const std::string& folder = std::string()) : folder_(folder) {}
    // settleMs gives a window that has just changed time to paint itself.
    void Take(HWND window, const std::string& name, DWORD settleMs = 0);
    const std::vector<std::string>& Taken() const { return taken_; }

  private:
    std::string folder_;
    std::vector<std::string> taken_;
};

// The choices of a walk: the HotSync user (empty: the one the page offers) and, with
// chooseComponents, the names of the components to install (every other one is unticked).
struct WalkChoices {
    std::string user;
    bool chooseComponents = false;
    std::vector<std::string> components;
};

// From the licence page to the end of Setup.exe: accepts the licence, chooses the HotSync user
// and the components, installs, ticks the read-me box and finishes. False, with the reason, when
// a page or the end does not come in time, a choice cannot be made or the install shows a message.
bool WalkInstall(WizardDriver& wizard, PageShots& shots, const WalkChoices& choices,
                 std::string* failure);
// The same for the sample: HotSync user Ann, the components as offered.
bool WalkSampleInstall(WizardDriver& wizard, PageShots& shots, std::string* failure);

// One uninstall command line run as a real process. Its message boxes are answered in order
// (a box beyond the answers gets No, or OK); the progress window's stage label is read as it
// changes, without disturbing the busy process.
struct UninstallRun {
    bool started = false;
    bool ended = false;
    DWORD exitCode = 0;
    std::vector<SeenBox> boxes;
    // Each label the progress window showed, in order, without repeats.
    std::vector<std::string> stages;
};
UninstallRun RunUninstallCommand(const std::string& commandLine, const std::vector<int>& answers,
                                 PageShots& shots, DWORD timeoutMs = 120000);

// A command line run as a real process that is expected to show nothing: every visible top-level
// window of the process is looked for throughout the run.
struct SilentRun {
    bool ended = false;
    DWORD exitCode = 0;
    bool windowSeen = false;
};
// anyWindow: a window of any process counts (a package shows the installer's windows from a
// process of its own).
SilentRun RunSilently(const std::string& commandLine, DWORD timeoutMs = 120000,
                      bool anyWindow = false);

// The stage labels of a replay, in the order the progress window shows them.
std::vector<std::string> ReplayStageLabels();
// The stages without the template's "Uninstalling..." that may show before the replay starts.
std::vector<std::string> ReplayStagesSeen(const UninstallRun& run);

// The paths an install log names, by kind of entry.
struct LoggedPaths {
    std::string folder; // the destination folder of the header
    std::vector<std::string> files, links, servers, folders;
};
bool ReadLoggedPaths(const std::string& logPath, LoggedPaths* paths);
