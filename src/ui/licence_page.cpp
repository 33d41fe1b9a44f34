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
} // namespace

LicencePage::LicencePage(SetupScript* script, HWND parentWindow, HINSTANCE instanceHandle)
    : DialogWindow(instanceHandle, parentWindow, IDD_LICENCE_PAGE, script), licenceText(nullptr) {}

LicencePage::~LicencePage() {
    delete[] licenceText;
}

LRESULT LicencePage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
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
        SetWindowTextA(edit, licenceText);
    }
    return true;
}

DialogWindow* CreateLicencePage(SetupScript* script, HWND parent, HINSTANCE instance) {
    return new (std::nothrow) LicencePage(script, parent, instance);
}
