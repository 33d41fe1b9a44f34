#pragma once
#include <stdint.h>
#include <windows.h>

#include "system/win_handles.h"
#include "ui/dialog_window.h"
#include "ui/page_table.h"

struct SetupScript;

// The run's result when the user stopped it before anything changed: the wizard stays open.
const int INSTALL_RUN_CANCELLED = -12;
// Carries out the selected components behind the wizard; 0 lets it show its finish page. The
// wizard reports errors, in boxes that someone answers.
// What an install run returns when it did nothing because another run was going on: the wizard
// stays on its page, so that Install can be pressed again.
const int INSTALL_RUN_BUSY = -11;
typedef int (*InstallRun)(SetupScript* script, HWND owner, bool reportErrors, bool unattended);

// The wizard's top-level dialog: banner, navigation and link buttons, tooltips, and one page of
// the page table at a time. Moving onto the finish page runs the install it was given.
class WizardFrame : public DialogWindow {
  public:
    WizardFrame(SetupScript* script, HINSTANCE instanceHandle, InstallRun run);
    ~WizardFrame() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnNotify(int controlId, NMHDR* header, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnInitDialog() override;

    // Creates the page's window inside the page area; null (and the object deleted) on failure.
    DialogWindow* AddPage(DialogWindow* page, bool show);
    bool ShowPage(int32_t index, bool force);
    void SetButton(int buttonId, UINT labelId);
    int32_t NextPageIndex() const;
    int32_t PreviousPageIndex() const;

    GdiObject logoBitmap;
    IconHandle bigIcon;
    IconHandle smallIcon;
    RECT pageArea;
    int32_t currentPage;
    // The page objects of the table's rows, owned by the frame; null for a row left out (or, for
    // the pages after the first, not made yet: see CompleteStart).
    DialogWindow* pages[PAGE_COUNT];

  private:
    void LoadLogo();
    void CompleteStart();
    void OpenLink(const char* target);
    void InstallAndFinish(int32_t target);

    InstallRun installRun;
    bool startCompleted;
    bool installStarted;
    // Set while the install runs: the frame then ignores every command and close request.
    bool installRunning;
};
