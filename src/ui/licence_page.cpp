#include "ui/licence_page.h"

#include <new>
#include <stdio.h>
#include <stdlib.h>

#include "resources/resource_ids.h"
#include "script/setup_script.h"
#include "system/text.h"

LicencePage::LicencePage(SetupScript* script, HWND parentWindow, HINSTANCE instanceHandle)
    : DialogWindow(instanceHandle, parentWindow, IDD_LICENCE_PAGE, script), licenceText(nullptr) {}

LicencePage::~LicencePage() {
    free(licenceText);
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
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    long length = 0;
    if (fseek(file, 0, SEEK_END) == 0)
        length = ftell(file);
    if (length < 0)
        length = 0;
    fseek(file, 0, SEEK_SET);
    char* text = static_cast<char*>(malloc(static_cast<size_t>(length) + 2));
    if (text) {
        size_t got = fread(text, 1, static_cast<size_t>(length), file);
        text[got] = '\0';
        text[got + 1] = '\0';
        if (got > 2) {
            free(licenceText);
            licenceText = text;
            SetWindowTextA(edit, licenceText);
        } else {
            free(text);
        }
    }
    fclose(file);
    return true;
}

DialogWindow* CreateLicencePage(SetupScript* script, HWND parent, HINSTANCE instance) {
    return new (std::nothrow) LicencePage(script, parent, instance);
}
