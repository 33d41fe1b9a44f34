#pragma once
#include <windows.h>

#include "system/win_handles.h"
#include "ui/dialog_window.h"

struct SetupScript;

// Last wizard page, shown after a successful install run: offers the restart or the read-me and
// leaves the choice in wizardChoices.
class FinishPage : public DialogWindow {
  public:
    FinishPage(SetupScript* script, HWND parentWindow, HINSTANCE instanceHandle);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnNotify(int controlId, NMHDR* header, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnInitDialog() override;

    GdiObject titleFont;

  private:
    void Configure();
};

DialogWindow* CreateFinishPage(SetupScript* script, HWND parent, HINSTANCE instance);
