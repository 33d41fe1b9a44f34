#include "system/serving_wait.h"

namespace {
// Every keyboard and mouse message, client and non-client area, on every Windows version
// (the wheel and extra buttons lie above the WM_MOUSELAST that older headers declare).
bool IsUserInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= 0x020E) ||
           (message >= WM_NCMOUSEMOVE && message <= 0x00AD);
}

// False when the quit message came up: it belongs to the message loop that runs the step, so
// the caller stops serving and posts it again afterwards.
bool ServeQueue(WPARAM* quitCode) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            *quitCode = message.wParam;
            return false;
        }
        if (!IsUserInput(message.message))
            DispatchMessageA(&message);
    }
    return true;
}

DWORD TimeLeft(DWORD start, DWORD ms) {
    if (ms == INFINITE)
        return INFINITE;
    DWORD waited = GetTickCount() - start;
    return waited >= ms ? 0 : ms - waited;
}
} // namespace

void WaitServingMessages(HANDLE object, DWORD ms) {
    DWORD start = GetTickCount();
    WPARAM quitCode = 0;
    // A message that an earlier peek already saw would not wake the wait below.
    bool serving = ServeQueue(&quitCode);
    DWORD count = object ? 1 : 0;
    while (serving) {
        DWORD woken =
            MsgWaitForMultipleObjects(count, &object, FALSE, TimeLeft(start, ms), QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + count)
            break;
        serving = ServeQueue(&quitCode);
    }
    if (serving)
        return;
    DWORD left = TimeLeft(start, ms);
    if (object)
        WaitForSingleObject(object, left);
    else
        Sleep(left);
    PostQuitMessage(static_cast<int>(quitCode));
}

void ServeMessages() {
    WPARAM quitCode = 0;
    if (!ServeQueue(&quitCode))
        PostQuitMessage(static_cast<int>(quitCode));
}

void ServeMessagesEvery(DWORD* lastServed, DWORD intervalMs) {
    DWORD now = GetTickCount();
    if (now - *lastServed < intervalMs)
        return;
    *lastServed = now;
    ServeMessages();
}
