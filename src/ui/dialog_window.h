#pragma once
// Binds a modeless dialog from the resources to an object and dispatches its messages to the
// object's virtual handlers. Every dialog of the program is built on it.
#include <stdint.h>
#include <windows.h>
#include <commctrl.h>

class DialogWindow {
  public:
    DialogWindow(HINSTANCE instance, HWND parent, UINT templateId, void* appData);
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual bool OnNotify(int controlId, NMHDR* header, LRESULT* result);
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnCreate(CREATESTRUCTA* creation);
    virtual LRESULT OnInitDialog();
    virtual void OnFinalMessage();
    virtual ~DialogWindow();

    // Creates the dialog templateId owned by parent; true when a window was made.
    bool Create();
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The fallback of every class that may own a tooltip.
    LRESULT TooltipWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Answers a tooltip's text request with the string resource numbered like the control.
    bool OnTooltipNotify(int controlId, NMHDR* header, LRESULT* result);
    bool CreateTooltip();
    void AddTool(int controlId);
    // The close request of a top-level dialog: ends the message loop; the window stays until its
    // object is deleted.
    LRESULT CloseAndQuit(WPARAM wParam, LPARAM lParam);
    // Makes the icons the window's big and small icon (taskbar, task switcher, caption).
    void SetIcons(HICON bigIcon, HICON smallIcon);
    bool ModifyStyle(int index, LONG remove, LONG add, UINT positionFlags);
    void ScreenRectToClient(RECT* rect) const;

    WNDPROC previousProc;
    int32_t isDialog;
    HINSTANCE instance;
    HWND hwnd;
    HWND tooltip;
    HWND parent;
    UINT templateId;
    void* appData;
    // Set by a dialog whose template holds a tree view or progress bar.
    bool usesCommonControls;

  private:
    void Attach(HWND window);
    void Detach();
};

// The program's square window icon at size x size pixels; the caller destroys it.
HICON LoadSquareIcon(HINSTANCE instance, int size);

// Loads string stringId (at most 255 characters), formats it with the one argument and makes
// it the window's text.
void SetFormattedText(HINSTANCE instance, HWND window, UINT stringId, const char* argument);
// A bold variant of the system font, set into the control; the caller deletes it.
HFONT CreateTitleFont(HWND dialog, int controlId);
