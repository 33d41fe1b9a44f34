#include "ui/dialog_window.h"

#include <string.h>

#include "resources/text_ids.h"
#include "system/common_controls.h"
#include "system/language.h"
#include "system/module.h"
#include "system/text.h"

namespace {
// Not declared for Windows 95 targets; the value is the same on every system that knows it.
const LONG LAYOUT_RTL_STYLE = 0x00400000;
const LONG_PTR NO_OBJECT = 0;

DialogWindow* ObjectOf(HWND window) {
    return reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

struct DialogText {
    WORD dialog;
    WORD control;
    WORD text;
};
const DialogText dialogTexts[] = {
#define DIALOG_TEXT(dialog, control, text, english) {dialog, control, text},
#include "resources/text_ids.h"
#undef DIALOG_TEXT
};

// The template's texts are the English ones, and the buffers they are shown through.
void ShowDialogTexts(HWND dialog, UINT templateId) {
    for (const DialogText& row : dialogTexts) {
        char text[256];
        if (row.dialog != templateId || !GetDlgItemTextA(dialog, row.control, text, sizeof(text)))
            continue;
        if (LocalText(row.text, text) != text) {
            CopyLocalText(text, sizeof(text), row.text, text);
            SetDlgItemTextA(dialog, row.control, text);
        }
    }
}
} // namespace

DialogWindow::DialogWindow(HINSTANCE instanceHandle, HWND parentWindow, UINT dialogId, void* data)
    : previousProc(nullptr), isDialog(1), instance(instanceHandle), hwnd(nullptr), tooltip(nullptr),
      parent(parentWindow), templateId(dialogId), appData(data), usesCommonControls(false) {}

DialogWindow::~DialogWindow() {
    // A window that outlives its object must not hand it another message.
    if (hwnd && ObjectOf(hwnd) == this)
        Detach();
}

LRESULT DialogWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (previousProc)
        return CallWindowProcA(previousProc, hwnd, message, wParam, lParam);
    if (isDialog)
        return 0;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT DialogWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY: {
        HWND window = hwnd;
        DefaultProc(message, wParam, lParam);
        // Detach now, so that the notifications of dying child controls no longer reach us.
        SendMessageA(window, WM_NCDESTROY, 0, 0);
        return 0;
    }
    case WM_NCDESTROY:
        Detach();
        OnFinalMessage();
        return 0;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam), &result)) {
            // A dialog procedure's return value only says "handled"; the dialog manager takes
            // the message result from the window's DWLP_MSGRESULT slot.
            if (isDialog)
                SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
            return result;
        }
        break;
    }
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return 0;
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

bool DialogWindow::OnNotify(int, NMHDR*, LRESULT*) {
    return false;
}
bool DialogWindow::OnCommand(WPARAM, LPARAM) {
    return false;
}
LRESULT DialogWindow::OnCreate(CREATESTRUCTA*) {
    return 0;
}
LRESULT DialogWindow::OnInitDialog() {
    return 0;
}
void DialogWindow::OnFinalMessage() {}

bool DialogWindow::Create() {
    // Without its class the dialog manager fails the whole dialog.
    if (usesCommonControls)
        EnsureCommonControls();
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (window)
        hwnd = window;
    return window != nullptr;
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        DialogWindow* object = reinterpret_cast<DialogWindow*>(lParam);
        if (object) {
            object->Attach(window);
            ShowDialogTexts(window, object->templateId);
            return object->OnInitDialog();
        }
    } else if (message == WM_CREATE) {
        CREATESTRUCTA* creation = reinterpret_cast<CREATESTRUCTA*>(lParam);
        DialogWindow* object =
            creation ? static_cast<DialogWindow*>(creation->lpCreateParams) : nullptr;
        if (object && !ObjectOf(window)) {
            object->Attach(window);
            return object->OnCreate(creation);
        }
    } else if (DialogWindow* object = ObjectOf(window)) {
        return object->WindowProc(message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void DialogWindow::Attach(HWND window) {
    hwnd = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void DialogWindow::Detach() {
    if (!hwnd)
        return;
    if (previousProc)
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, NO_OBJECT);
    hwnd = nullptr;
}

LRESULT DialogWindow::TooltipWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        if (tooltip) {
            DestroyWindow(tooltip);
            tooltip = nullptr;
        }
        break;
    case WM_MOUSEMOVE:
        if (tooltip) {
            MSG relayed;
            relayed.hwnd = hwnd;
            relayed.message = WM_MOUSEMOVE;
            relayed.wParam = wParam;
            relayed.lParam = lParam;
            relayed.time = static_cast<DWORD>(GetMessageTime());
            GetCursorPos(&relayed.pt);
            SendMessageA(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
            return 1;
        }
        break;
    }
    return DialogWindow::WindowProc(message, wParam, lParam);
}

LRESULT DialogWindow::CloseAndQuit(WPARAM wParam, LPARAM lParam) {
    TooltipWindowProc(WM_CLOSE, wParam, lParam);
    PostQuitMessage(0);
    return 1;
}

void DialogWindow::SetIcons(HICON bigIcon, HICON smallIcon) {
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

HICON LoadSquareIcon(HINSTANCE instance, int size) {
    return static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_SETUP), IMAGE_ICON, size, size, 0));
}

bool DialogWindow::OnTooltipNotify(int, NMHDR* header, LRESULT*) {
    if (!tooltip || !header || header->code != TTN_NEEDTEXTA)
        return false;
    NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    if (!(info->uFlags & TTF_IDISHWND))
        return false;
    int id = GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom));
    if (id == 0)
        return false;
    // A translated text has no resource id to name: the tip is handed its text.
    static char tip[256];
    LoadModuleString(static_cast<unsigned>(id), tip, sizeof(tip));
    info->lpszText = tip;
    info->hinst = nullptr;
    return true;
}

bool DialogWindow::CreateTooltip() {
    if (!EnsureCommonControls())
        return false;
    tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, 10, 10, nullptr, nullptr, instance, nullptr);
    return tooltip != nullptr;
}

void DialogWindow::AddTool(int controlId) {
    HWND control = GetDlgItem(hwnd, controlId);
    if (!tooltip || !control)
        return;
    TOOLINFOA tool;
    memset(&tool, 0, sizeof(tool));
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.hinst = instance;
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

bool DialogWindow::ModifyStyle(int index, LONG remove, LONG add, UINT positionFlags) {
    LONG old = GetWindowLongA(hwnd, index);
    LONG updated = (old & ~remove) | add;
    if (updated == old)
        return false;
    SetWindowLongA(hwnd, index, updated);
    if (positionFlags)
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     positionFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void DialogWindow::ScreenRectToClient(RECT* rect) const {
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    ScreenToClient(hwnd, &corners[0]);
    ScreenToClient(hwnd, &corners[1]);
    rect->left = corners[0].x;
    rect->top = corners[0].y;
    rect->right = corners[1].x;
    rect->bottom = corners[1].y;
    // A mirrored window maps screen x from its right edge; systems that do not mirror leave the
    // corners in order, so only a reversed pair is swapped.
    if ((GetWindowLongA(hwnd, GWL_EXSTYLE) & LAYOUT_RTL_STYLE) && rect->left > rect->right) {
        LONG left = rect->left;
        rect->left = rect->right;
        rect->right = left;
    }
}

void SetFormattedText(HINSTANCE instance, HWND window, UINT stringId, const char* argument) {
    char format[256];
    (void)instance;
    LoadModuleString(stringId, format, sizeof(format));
    char text[256];
    FormatText(text, sizeof(text), format, argument ? argument : "");
    SetWindowTextA(window, text);
}

HFONT CreateTitleFont(HWND dialog, int controlId) {
    LOGFONTA font;
    if (GetObjectA(GetStockObject(SYSTEM_FONT), sizeof(font), &font) == 0) {
        memset(&font, 0, sizeof(font));
        CopyText(font.lfFaceName, sizeof(font.lfFaceName), "Tahoma");
    }
    // The stock font keeps its 96-DPI average width when its height grows with the DPI: kept,
    // that width squeezes the title into a narrow, no longer bold-looking face.
    font.lfWidth = 0;
    font.lfWeight = FW_BOLD;
    HFONT title = CreateFontIndirectA(&font);
    SendDlgItemMessageA(dialog, controlId, WM_SETFONT, reinterpret_cast<WPARAM>(title), TRUE);
    return title;
}
