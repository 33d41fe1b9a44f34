#pragma once
// The program's own window messages.
#include <windows.h>

// Sent by the components page to the wizard frame: wParam nonzero enables the install button.
const UINT WM_ENABLE_NEXT = WM_APP + 1;
// Posted by the components page to itself: take up a check box the tree view flipped by itself.
const UINT WM_TAKE_UP_CHECK = WM_APP + 2;
// Posted by the uninstall progress window to itself: the replay starts once the window is on the
// screen. Below WM_APP, as the uninstaller has always used it.
const UINT WM_START_UNINSTALL = 0x7FFF;
