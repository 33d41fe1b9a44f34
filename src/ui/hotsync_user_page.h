#pragma once
#include <windows.h>

#include "system/win_handles.h"
#include "ui/dialog_window.h"
#include "ui/window.h"

struct SetupScript;

// Second wizard page: the HotSync user who receives the Palm files, or "All Users".
class HotSyncUserPage : public DialogWindow {
  public:
    HotSyncUserPage(SetupScript* script, HWND parentWindow, HINSTANCE instanceHandle);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnNotify(int controlId, NMHDR* header, LRESULT* result) override;
    LRESULT OnInitDialog() override;

    GdiObject titleFont;
    Window userCombo;

  private:
    // Fills the list once: "All Users", then HotSync's users, and chooses the preset user.
    void FillUserList();
    void AddUsers();
    void PresetChoice();
    void RecordChoice();
};

DialogWindow* CreateHotSyncUserPage(SetupScript* script, HWND parent, HINSTANCE instance);
