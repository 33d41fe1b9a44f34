#pragma once
// A window handle the holder does not own: the window belongs to its dialog and dies with it.
#include <windows.h>

class Window {
  public:
    Window(HWND handle = nullptr) : handle_(handle) {}

    HWND Handle() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    Window Item(int id) const { return Window(GetDlgItem(handle_, id)); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(handle_, message, wParam, lParam);
    }
    void SetText(const char* text) const { SetWindowTextA(handle_, text); }
    void Show(bool visible) const { ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE); }
    bool IsChecked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
    void SetCheck(bool checked) const { Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }

  private:
    HWND handle_;
};
