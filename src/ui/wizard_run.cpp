#include "ui/wizard_run.h"

#include <new>

int RunWizard(SetupScript* script, HINSTANCE instance, InstallRun install) {
    WizardFrame* frame = new (std::nothrow) WizardFrame(script, instance, install);
    if (!frame)
        return 0;
    int exitCode = 0;
    if (frame->Create()) {
        MSG message = {};
        // GetMessageA gives -1 on a broken call; that must end the loop rather than spin.
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (frame->hwnd && IsDialogMessageA(frame->hwnd, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (message.message == WM_QUIT)
            exitCode = static_cast<int>(message.wParam);
    }
    // The frame's window takes its pages' windows with it; only then are the objects deleted.
    if (frame->hwnd)
        DestroyWindow(frame->hwnd);
    delete frame;
    return exitCode;
}
