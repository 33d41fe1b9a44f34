// Stand-in for ActiveSync's application manager. The installer only looks for this file (through
// the App Paths entry "CEAppMgr.exe" under HKLM, or at the default place under Program Files) to
// find ActiveSync's folder; it never starts it. Started anyway, it ends at once with code 0.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
