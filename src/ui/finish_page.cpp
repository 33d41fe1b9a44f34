#include "ui/finish_page.h"

#include <new>

#include "resources/resource_ids.h"
#include "script/setup_script.h"
#include "system/path_macros.h"
#include "ui/window.h"
#include "ui/wizard_choices.h"

FinishPage::FinishPage(SetupScript* script, HWND parentWindow, HINSTANCE instanceHandle)
    : DialogWindow(instanceHandle, parentWindow, IDD_FINISH_PAGE, script) {}

LRESULT FinishPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SHOWWINDOW && wParam)
        Configure();
    return TooltipWindowProc(message, wParam, lParam);
}

bool FinishPage::OnNotify(int controlId, NMHDR* header, LRESULT* result) {
    return OnTooltipNotify(controlId, header, result);
}

bool FinishPage::OnCommand(WPARAM wParam, LPARAM) {
    Window page(hwnd);
    switch (LOWORD(wParam)) {
    case IDC_RESTART_NOW:
    case IDC_RESTART_LATER:
        wizardChoices.restartNow = page.Item(IDC_RESTART_NOW).IsChecked() ? 1 : 0;
        break;
    case IDC_OPEN_README:
        wizardChoices.openReadMe = page.Item(IDC_OPEN_README).IsChecked() ? 1 : 0;
        break;
    }
    return false;
}

LRESULT FinishPage::OnInitDialog() {
    const SetupScript* script = static_cast<const SetupScript*>(appData);
    titleFont.Reset(CreateTitleFont(hwnd, IDC_PAGE_TITLE));
    SetFormattedText(instance, GetDlgItem(hwnd, IDC_FINISH_MESSAGE), IDS_FINISHED,
                     script->productTitle);
    return TRUE;
}

void FinishPage::Configure() {
    const SetupScript* script = static_cast<const SetupScript*>(appData);
    Window page(hwnd);
    Window readMe = page.Item(IDC_OPEN_README);
    Window restartNow = page.Item(IDC_RESTART_NOW);
    Window restartLater = page.Item(IDC_RESTART_LATER);
    HWND message = GetDlgItem(hwnd, IDC_FINISH_MESSAGE);
    wizardChoices.openReadMe = 0;
    if (script->restartNeeded) {
        readMe.Show(false);
        restartNow.Show(true);
        restartLater.Show(true);
        SetFormattedText(instance, message, IDS_FINISHED_RESTART, script->productTitle);
        bool later = script->restartLater != 0;
        CheckRadioButton(hwnd, IDC_RESTART_NOW, IDC_RESTART_LATER,
                         later ? IDC_RESTART_LATER : IDC_RESTART_NOW);
        wizardChoices.restartNow = later ? 0 : 1;
    } else {
        if (script->readMePath[0] && script->readMeCaption[0]) {
            char path[MAX_PATH];
            path[0] = '\0';
            PathMacros(script->destFolder).Expand(script->readMePath, path, sizeof(path));
            // A path that expands to nothing would open nothing (or a folder window): no offer.
            if (path[0] && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
                readMe.SetText(script->readMeCaption);
                readMe.SetCheck(false);
                readMe.Show(true);
            }
        }
        restartNow.Show(false);
        restartLater.Show(false);
        SetFormattedText(instance, message, IDS_FINISHED, script->productTitle);
        wizardChoices.restartNow = 0;
    }
    page.Item(IDC_HOTSYNC_NOTE).Show(script->palmFilesQueued != 0);
}

DialogWindow* CreateFinishPage(SetupScript* script, HWND parent, HINSTANCE instance) {
    return new (std::nothrow) FinishPage(script, parent, instance);
}
