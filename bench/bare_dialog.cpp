// The baseline of the start-up figure: a frame dialog with one page and the wizard's caption.
#include <windows.h>

namespace {
INT_PTR CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

INT_PTR CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2), window, PageProc, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            PostMessageA(window, WM_CLOSE, 0, 0);
        return FALSE;
    case WM_CLOSE:
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HWND frame = CreateDialogParamA(instance, MAKEINTRESOURCEA(1), nullptr, FrameProc, 0);
    if (!frame)
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(frame, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DestroyWindow(frame);
    return 0;
}
