#include "ui/licence_page.h"

#include <new>

#include "resources/resource_ids.h"
#include "script/setup_script.h"
#include "system/text.h"
#include "system/whole_file.h"

namespace {
// Two zero bytes end the text whatever its encoding.
const DWORD TEXT_PADDING = 2;
// A text of this many bytes or fewer is left out: the page stays empty.
const DWORD SHORTEST_IGNORED = 2;
// Wine's edit box lays out the whole text when it is set, some 12 ms for 200 lines, a good share
// of the wizard's start. Before the first paint it gets only the lines up to the last line break
// within this many bytes, more than its first screen holds; the rest follows once the page has
// been painted.
const DWORD FIRST_SCREEN_BYTES = 1024;
const UINT_PTR REST_TIMER = 1;
const UINT REST_TIMER_MS = 10;

// Where the text shown first ends: behind its last line break within FIRST_SCREEN_BYTES, or 0
// when the whole text goes in at once. A line feed is never part of a double-byte character.
DWORD FirstScreenEnd(const char* text, DWORD length) {
    if (length <= FIRST_SCREEN_BYTES)
        return 0;
    for (DWORD end = FIRST_SCREEN_BYTES; end > 0; --end) {
        if (text[end - 1] == '\n')
            return end;
    }
    return 0;
}
} // namespace

LicencePage::LicencePage(SetupScript* script, HWND parentWindow, HINSTANCE instanceHandle)
    : DialogWindow(instanceHandle, parentWindow, IDD_LICENCE_PAGE, script), licenceText(nullptr) {}

LicencePage::~LicencePage() {
    delete[] licenceText;
}

LRESULT LicencePage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == REST_TIMER) {
        KillTimer(hwnd, REST_TIMER);
        // The user may have scrolled the first lines already.
        HWND edit = GetDlgItem(hwnd, IDC_LICENCE_TEXT);
        LRESULT top = SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
        SetWindowTextA(edit, licenceText);
        SendMessageA(edit, EM_LINESCROLL, 0, top);
        return 0;
    }
    return TooltipWindowProc(message, wParam, lParam);
}

bool LicencePage::OnNotify(int controlId, NMHDR* header, LRESULT* result) {
    return OnTooltipNotify(controlId, header, result);
}

LRESULT LicencePage::OnInitDialog() {
    HWND edit = GetDlgItem(hwnd, IDC_LICENCE_TEXT);
    if (LoadLicence(edit)) {
        InvalidateRect(edit, nullptr, TRUE);
        UpdateWindow(edit);
    }
    return TRUE;
}

bool LicencePage::LoadLicence(HWND edit) {
    const SetupScript* script = static_cast<const SetupScript*>(appData);
    char path[MAX_PATH];
    FormatText(path, sizeof(path), "%s\\%s", script->installerFolder, script->licenceFile);
    std::unique_ptr<char[]> text;
    DWORD got = 0;
    WholeFileResult result = ReadWholeFile(path, TEXT_PADDING, &text, &got);
    if (result == WHOLE_FILE_ABSENT)
        return false;
    if (result == WHOLE_FILE_READ && got > SHORTEST_IGNORED) {
        delete[] licenceText;
        licenceText = text.release();
        DWORD firstEnd = FirstScreenEnd(licenceText, got);
        if (firstEnd == 0) {
            SetWindowTextA(edit, licenceText);
            return true;
        }
        char kept = licenceText[firstEnd];
        licenceText[firstEnd] = '\0';
        SetWindowTextA(edit, licenceText);
        licenceText[firstEnd] = kept;
        // A timer comes after the paint.
        SetTimer(hwnd, REST_TIMER, REST_TIMER_MS, nullptr);
    }
    return true;
}

DialogWindow* CreateLicencePage(SetupScript* script, HWND parent, HINSTANCE instance) {
    return new (std::nothrow) LicencePage(script, parent, instance);
}
