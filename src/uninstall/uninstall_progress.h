#pragma once
#include <windows.h>

#include "system/win_handles.h"
#include "uninstall/progress_scale.h"
#include "ui/dialog_window.h"
#include "ui/window_messages.h"
#include "uninstall/log_replay.h"

class UninstallLog;

// The small window that shows the replay's stages and steps. The replay runs inside its start
// message; afterwards it posts the quit message and stays on the screen until it is deleted.
class UninstallProgressDialog : public DialogWindow {
  public:
    UninstallProgressDialog(UninstallLog* log, HINSTANCE instanceHandle,
                            const ReplayPauses& replayPauses = ReplayPauses());
    ~UninstallProgressDialog() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnNotify(int controlId, NMHDR* header, LRESULT* result) override;
    LRESULT OnInitDialog() override;

    HWND stageLabel;
    HWND progressBar;
    IconHandle bigIcon;
    IconHandle smallIcon;

  private:
    ReplayPauses pauses;
};

// Shows the replay in a stage label and a progress bar whose range is ProgressScale's over
// total entries. A stage is painted at once, the bar when a paint is due (PaintDue) and always
// onto its end, and the window's messages are served between entries: the replay runs on the
// only thread, inside one of those messages.
class ProgressControls : public ReplayProgress {
  public:
    ProgressControls(HWND label, HWND bar, uint32_t total)
        : label_(label), bar_(bar), scale_(total) {}
    void ShowStage(const char* text) override;
    void Step() override;

  private:
    HWND label_;
    HWND bar_;
    ProgressScale scale_;
    uint32_t done_ = 0;
    uint32_t shown_ = 0;
    DWORD lastServed_ = 0;
    DWORD paintEnd_ = 0;
    DWORD paintMs_ = 0;
};
