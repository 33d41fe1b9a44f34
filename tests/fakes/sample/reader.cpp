// The sample product's program: says what it is and names the file it was given, if any (a
// file sent to it through Send To).
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    char text[1024];
    wsprintfA(text,
              "Acme Reader is the sample product of the Orvex Install Wizard.\n\n"
              "It was started through one of the shortcuts the wizard made.%s%.900s",
              commandLine[0] ? "\n\nFile: " : "", commandLine);
    MessageBoxA(nullptr, text, "Acme Reader", MB_OK | MB_ICONINFORMATION);
    return 0;
}
