#include "uninstall/uninstall_progress.h"

#include <commctrl.h>

#include "resources/text_ids.h"
#include "system/language.h"
#include "system/serving_wait.h"
#include "uninstall/uninstall_log.h"

namespace {
// Well inside the second within which a window must answer, at the cost of a clock reading per
// entry.
const DWORD SERVE_INTERVAL_MS = 100;

// A peek without removing anything lets Wine put the painted window on the screen at once.
void PaintNow(HWND window) {
    if (!window)
        return;
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
}
} // namespace

void ProgressControls::ShowStage(const char* text) {
    if (!label_)
        return;
    const char* const stages[] = {REPLAY_STAGE_SERVICES, REPLAY_STAGE_FILES, REPLAY_STAGE_FOLDERS,
                                  REPLAY_STAGE_FINISHING};
    for (unsigned i = 0; i < 4; ++i) {
        if (text == stages[i])
            text = LocalText(IDT_STAGE_SERVICES + i, text);
    }
    SetWindowTextA(label_, text);
    PaintNow(label_);
}

void ProgressControls::Step() {
    // The bar moves too rarely to serve the window: a thousand undone entries can lie between
    // two moves.
    ServeMessagesEvery(&lastServed_, SERVE_INTERVAL_MS);
    ++done_;
    if (!bar_ || !scale_.Moves(shown_, done_))
        return;
    DWORD now = GetTickCount();
    uint32_t position = scale_.Position(done_);
    if (position != scale_.Range() && !PaintDue(now, paintEnd_, paintMs_))
        return;
    shown_ = position;
    SendMessageA(bar_, PBM_SETPOS, shown_, 0);
    PaintNow(bar_);
    paintEnd_ = GetTickCount();
    paintMs_ = paintEnd_ - now;
}

UninstallProgressDialog::UninstallProgressDialog(UninstallLog* log, HINSTANCE instanceHandle,
                                                 const ReplayPauses& replayPauses)
    : DialogWindow(instanceHandle, nullptr, IDD_UNINSTALL_PROGRESS, log), stageLabel(nullptr),
      progressBar(nullptr), bigIcon(LoadSquareIcon(instanceHandle, GetSystemMetrics(SM_CXICON))),
      smallIcon(LoadSquareIcon(instanceHandle, GetSystemMetrics(SM_CXSMICON))),
      pauses(replayPauses) {
    usesCommonControls = true;
}

UninstallProgressDialog::~UninstallProgressDialog() {
    // The window uses the icons: it goes first.
    if (hwnd)
        DestroyWindow(hwnd);
}

bool UninstallProgressDialog::OnNotify(int controlId, NMHDR* header, LRESULT* result) {
    return OnTooltipNotify(controlId, header, result);
}

LRESULT UninstallProgressDialog::OnInitDialog() {
    const UninstallLog* log = static_cast<const UninstallLog*>(appData);
    CreateTooltip();
    SetFormattedText(instance, hwnd, IDS_UNINSTALLATION, log->title);
    stageLabel = GetDlgItem(hwnd, IDC_STAGE_LABEL);
    progressBar = GetDlgItem(hwnd, IDC_UNINSTALL_PROGRESS);
    ProgressScale scale(static_cast<uint32_t>(log->EntryCount()));
    SendMessageA(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, static_cast<WORD>(scale.Range())));
    // Taskbar and task switcher show the product's icon, as for the wizard.
    SetIcons(bigIcon.Get(), smallIcon.Get());
    // Loaded at the system's icon size, so that a high DPI takes its own image rather than a
    // stretched small one; shared, so the system frees it.
    SendDlgItemMessageA(
        hwnd, IDC_UNINSTALL_ICON, STM_SETICON,
        reinterpret_cast<WPARAM>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_UNINSTALL), IMAGE_ICON,
                                            0, 0, LR_DEFAULTSIZE | LR_SHARED)),
        0);
    PostMessageA(hwnd, WM_START_UNINSTALL, 0, 0);
    return 1;
}

LRESULT UninstallProgressDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_START_UNINSTALL: {
        // Posted messages come before painting: without this the window would stay blank
        // until the replay is over.
        PaintNow(hwnd);
        UninstallLog* log = static_cast<UninstallLog*>(appData);
        ProgressControls controls(stageLabel, progressBar,
                                  static_cast<uint32_t>(log->EntryCount()));
        ReplayLog(&controls, log, pauses);
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        break;
    }
    case WM_CLOSE:
        return CloseAndQuit(wParam, lParam);
    }
    return TooltipWindowProc(message, wParam, lParam);
}
