#include "ui/wizard_frame.h"

#include <string.h>

#include "resources/resource_ids.h"
#include "script/setup_script.h"
#include "system/module.h"
#include "system/serving_wait.h"
#include "system/shell_open.h"
#include "system/text.h"
#include "ui/banner_bitmap.h"
#include "ui/components_page.h"
#include "ui/finish_page.h"
#include "ui/hotsync_user_page.h"
#include "ui/licence_page.h"
#include "ui/window.h"
#include "ui/window_messages.h"

const PageRow pageTable[PAGE_COUNT] = {
    {CreateLicencePage, 0, IDS_LABEL_YES, IDS_LABEL_NO, PAGE_LICENCE},
    {CreateHotSyncUserPage, IDS_LABEL_BACK, IDS_LABEL_NEXT, IDS_LABEL_CANCEL, PAGE_HOTSYNC_USER},
    {CreateComponentsPage, IDS_LABEL_BACK, IDS_LABEL_INSTALL, IDS_LABEL_CANCEL, PAGE_COMPONENTS},
    {CreateFinishPage, 0, 0, IDS_LABEL_FINISH, PAGE_FINISH},
};

namespace {
// Turns any page template into a control-like child, so that the frame's dialog navigation
// (Tab, mnemonics, Enter, Esc) reaches into the page.
const LONG PAGE_STYLES_REMOVED = WS_POPUP | WS_THICKFRAME | DS_MODALFRAME;
const LONG PAGE_STYLES_ADDED = WS_CHILD | DS_CONTROL;
// A timer message comes only once nothing else waits, the first paint included.
const UINT_PTR START_TIMER = 1;
const UINT TIMER_SHORTEST_MS = 10;
} // namespace

WizardFrame::WizardFrame(SetupScript* script, HINSTANCE instanceHandle, InstallRun run)
    : DialogWindow(instanceHandle, nullptr, IDD_WIZARD_FRAME, script),
      bigIcon(LoadSquareIcon(instanceHandle, GetSystemMetrics(SM_CXICON))),
      smallIcon(LoadSquareIcon(instanceHandle, GetSystemMetrics(SM_CXSMICON))), pageArea{0, 0, 0,
                                                                                         0},
      currentPage(PAGE_LICENCE), pages{nullptr, nullptr, nullptr, nullptr}, installRun(run),
      startCompleted(false), installStarted(false), installRunning(false) {}

WizardFrame::~WizardFrame() {
    // Windows go before the objects behind them: the pages, the logo and the icons.
    if (hwnd)
        DestroyWindow(hwnd);
    for (int32_t row = 0; row < PAGE_COUNT; ++row) {
        delete pages[row];
        pages[row] = nullptr;
    }
}

LRESULT WizardFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        // The close box, Alt+F4 and a close sent from outside all end here; half an install
        // would leave files without a log or an uninstall entry.
        if (installRunning)
            return 1;
        return CloseAndQuit(wParam, lParam);
    case WM_TIMER:
        if (wParam == START_TIMER) {
            CompleteStart();
            return 0;
        }
        break;
    case WM_ENABLE_NEXT:
        EnableWindow(GetDlgItem(hwnd, IDOK), wParam != 0);
        break;
    case WM_SETCURSOR:
        // The run serves this message; the class cursor would replace the wait cursor.
        if (installRunning) {
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        break;
    }
    return TooltipWindowProc(message, wParam, lParam);
}

bool WizardFrame::OnNotify(int controlId, NMHDR* header, LRESULT* result) {
    return OnTooltipNotify(controlId, header, result);
}

LRESULT WizardFrame::OnInitDialog() {
    SetupScript* script = static_cast<SetupScript*>(appData);
    SetFormattedText(instance, hwnd, IDS_INSTALLATION, script->productTitle);
    HWND area = GetDlgItem(hwnd, IDC_PAGE_AREA);
    if (area) {
        GetWindowRect(area, &pageArea);
        ScreenRectToClient(&pageArea);
        DestroyWindow(area);
    }
    LoadLogo();
    SetIcons(bigIcon.Get(), smallIcon.Get());
    pages[PAGE_LICENCE] = AddPage(pageTable[PAGE_LICENCE].create(script, hwnd, instance), true);
    currentPage = PAGE_LICENCE;
    // The template's labels are the English ones.
    SetButton(IDOK, pageTable[PAGE_LICENCE].nextLabel);
    SetButton(IDCANCEL, pageTable[PAGE_LICENCE].closeLabel);
    Window frame(hwnd);
    if (!script->byeLink[0])
        frame.Item(IDC_BUY_NOW).Show(false);
    if (!script->webPage[0])
        frame.Item(IDC_WEB_PAGE).Show(false);
    SetTimer(hwnd, START_TIMER, TIMER_SHORTEST_MS, nullptr);
    return TRUE;
}

// What the first page does not show, the hidden pages and the tooltip (with comctl32 behind it),
// is made once the wizard has been painted rather than delaying its appearance, or at the latest
// when the user first moves on.
void WizardFrame::CompleteStart() {
    if (startCompleted)
        return;
    startCompleted = true;
    KillTimer(hwnd, START_TIMER);
    SetupScript* script = static_cast<SetupScript*>(appData);
    for (int32_t row = PAGE_LICENCE + 1; row < PAGE_COUNT; ++row) {
        if (pageTable[row].kind == PAGE_COMPONENTS && !script->offerComponentChoice)
            continue;
        pages[row] = AddPage(pageTable[row].create(script, hwnd, instance), false);
    }
    if (!CreateTooltip())
        return;
    AddTool(IDCANCEL);
    AddTool(IDC_WEB_PAGE);
    AddTool(IDC_BUY_NOW);
    AddTool(IDOK);
}

void WizardFrame::LoadLogo() {
    HWND logo = GetDlgItem(hwnd, IDC_LOGO);
    if (!logo)
        return;
    const SetupScript* script = static_cast<const SetupScript*>(appData);
    char path[MAX_PATH];
    FormatText(path, sizeof(path), "%s\\%s", script->installerFolder, script->logoFile);
    HBITMAP bitmap = ScaleToScreenDpi(
        static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    if (!bitmap)
        return;
    logoBitmap.Reset(bitmap);
    SendMessageA(logo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    InvalidateRect(logo, nullptr, TRUE);
    UpdateWindow(logo);
}

DialogWindow* WizardFrame::AddPage(DialogWindow* page, bool show) {
    if (!page)
        return nullptr;
    if (!page->Create()) {
        delete page;
        return nullptr;
    }
    page->ModifyStyle(GWL_STYLE, PAGE_STYLES_REMOVED, PAGE_STYLES_ADDED, 0);
    SetWindowPos(page->hwnd, nullptr, pageArea.left, pageArea.top, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOSIZE);
    if (show)
        ShowWindow(page->hwnd, SW_SHOW);
    return page;
}

bool WizardFrame::ShowPage(int32_t index, bool force) {
    if (index < 0 || index >= PAGE_COUNT || (index == currentPage && !force))
        return false;
    if (pages[currentPage] && pages[currentPage]->hwnd)
        ShowWindow(pages[currentPage]->hwnd, SW_HIDE);
    if (pages[index] && pages[index]->hwnd)
        ShowWindow(pages[index]->hwnd, SW_SHOW);
    if (pageTable[index].kind != PAGE_COMPONENTS)
        EnableWindow(GetDlgItem(hwnd, IDOK), TRUE);
    currentPage = index;
    SetButton(IDC_BACK, pageTable[index].backLabel);
    SetButton(IDOK, pageTable[index].nextLabel);
    SetButton(IDCANCEL, pageTable[index].closeLabel);
    return true;
}

void WizardFrame::SetButton(int buttonId, UINT labelId) {
    Window button(GetDlgItem(hwnd, buttonId));
    if (labelId == 0) {
        button.Show(false);
        return;
    }
    char label[64];
    LoadModuleString(labelId, label, sizeof(label));
    button.SetText(label);
    button.Show(true);
}

int32_t WizardFrame::NextPageIndex() const {
    return NextPageRow(pages, currentPage);
}

int32_t WizardFrame::PreviousPageIndex() const {
    return PreviousPageRow(pages, currentPage);
}

bool WizardFrame::OnCommand(WPARAM wParam, LPARAM) {
    const SetupScript* script = static_cast<const SetupScript*>(appData);
    // A click sent to a button (not through the disabled frame) still arrives while the run
    // serves messages.
    if (installRunning)
        return true;
    switch (LOWORD(wParam)) {
    case IDC_BUY_NOW:
        OpenLink(script->byeLink);
        return false;
    case IDC_WEB_PAGE:
        OpenLink(script->webPage);
        return false;
    case IDC_BACK:
        ShowPage(PreviousPageIndex(), false);
        return false;
    case IDOK: {
        // Enter still reaches the hidden default button on the finish page; and input that
        // was queued while the install ran must not start it a second time.
        if (pageTable[currentPage].kind == PAGE_FINISH || installStarted)
            return true;
        CompleteStart();
        int32_t target = NextPageIndex();
        if (pageTable[target].kind != PAGE_FINISH) {
            ShowPage(target, false);
            return false;
        }
        InstallAndFinish(target);
        return true;
    }
    case IDCANCEL:
    case IDCLOSE:
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}

void WizardFrame::InstallAndFinish(int32_t target) {
    SetupScript* script = static_cast<SetupScript*>(appData);
    installStarted = true;
    if (script->components.Count() == 0 || !installRun) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return;
    }
    // A disabled frame makes the system drop clicks on it; what the run still serves, it may
    // not act on.
    HWND focus = GetFocus();
    installRunning = true;
    EnableWindow(hwnd, FALSE);
    int result = installRun(script, hwnd, true, false);
    ServeMessages(); // drops the input that came while the last step ran
    EnableWindow(hwnd, TRUE);
    installRunning = false;
    if (focus && IsWindow(focus))
        SetFocus(focus);
    // Left on the page where Install was pressed, the user can try again or leave.
    if (result == INSTALL_RUN_CANCELLED || result == INSTALL_RUN_BUSY) {
        installStarted = false;
        return;
    }
    if (result != 0) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return;
    }
    ShowPage(target, false);
}

void WizardFrame::OpenLink(const char* target) {
    OpenWithShell(hwnd, target, nullptr, nullptr, false);
}
