#include "system/shell_open.h"

#include <shellapi.h>
#include <string.h>

bool OpenWithShell(HWND owner, const char* file, const char* parameters, const char* folder,
                   bool quiet) {
    SHELLEXECUTEINFOA execute;
    memset(&execute, 0, sizeof(execute));
    execute.cbSize = sizeof(execute);
    execute.fMask = quiet ? SEE_MASK_FLAG_NO_UI : 0;
    execute.hwnd = owner;
    execute.lpVerb = "Open";
    execute.lpFile = file;
    execute.lpParameters = parameters;
    execute.lpDirectory = folder;
    execute.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&execute) != FALSE;
}
