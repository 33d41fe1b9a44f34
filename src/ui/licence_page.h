#pragma once
#include <windows.h>

#include "ui/dialog_window.h"

struct SetupScript;

// First wizard page: the licence text beside the installer, for acceptance.
class LicencePage : public DialogWindow {
  public:
    LicencePage(SetupScript* script, HWND parentWindow, HINSTANCE instanceHandle);
    ~LicencePage() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnNotify(int controlId, NMHDR* header, LRESULT* result) override;
    LRESULT OnInitDialog() override;

    // Shows the licence file in the edit box, a long one first only as far as the box's first
    // screen needs and whole once the page has been painted; false when the file cannot be opened.
    bool LoadLicence(HWND edit);

    char* licenceText;
};

DialogWindow* CreateLicencePage(SetupScript* script, HWND parent, HINSTANCE instance);
