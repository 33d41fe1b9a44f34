#include "system/external_programs.h"

#include <string.h>

#include "system/path_macros.h"
#include "system/registry.h"
#include "system/shell_open.h"
#include "system/system_folder.h"
#include "system/text.h"
#include "system/win_handles.h"

int activeSyncRunning = 1;

namespace {
const size_t COMMAND_LINE_SIZE = 16384;
const size_t PARAMETERS_SIZE = 2048;
const char CEAPPMGR_APP_PATH[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAppMgr.exe";
const char CEAPPMGR_DEFAULT[] = "%PROGRAM_FILES%\\Microsoft ActiveSync\\CEAppMgr.exe";

bool StartAndWait(const char* program, const char* parameters, const char* folder) {
    // Unquoted, "C:\Program Files\x\y.exe" would first be tried as C:\Program.exe.
    char commandLine[COMMAND_LINE_SIZE];
    const char* quote = program[0] != '"' && FindChar(program, ' ') ? "\"" : "";
    FormatText(commandLine, sizeof(commandLine), "%s%s%s", quote, program, quote);
    if (parameters) {
        AppendText(commandLine, sizeof(commandLine), " ");
        AppendText(commandLine, sizeof(commandLine), parameters);
    }
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started;
    memset(&started, 0, sizeof(started));
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                        &started))
        return false;
    KernelHandle process(started.hProcess);
    KernelHandle thread(started.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    return true;
}

} // namespace

bool RunProgram(HWND owner, const char* program, const char* parameters, const char* folder,
                bool wait) {
    if (!program || program[0] == '\0')
        return false;
    // Quietly: a program that is missing would otherwise bring up the shell's own error box,
    // while the callers expect a quiet false.
    return wait ? StartAndWait(program, parameters, folder)
                : OpenWithShell(owner, program, parameters, folder, true);
}

bool RunRegSvr32(HWND owner, const char* file, bool registerServer) {
    char parameters[PARAMETERS_SIZE];
    FormatText(parameters, sizeof(parameters), "%s \"%s\"", registerServer ? "/s" : "/s /u",
               file ? file : "");
    char program[256];
    if (!SystemFilePath("regsvr32.exe", program, sizeof(program)))
        return false;
    return RunProgram(owner, program, parameters, nullptr, true);
}

void FindCEAppMgr(char* buffer, size_t size) {
    if (!buffer || size == 0)
        return;
    buffer[0] = '\0';
    if (!ReadRegistryString(HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATH, nullptr, buffer,
                            static_cast<DWORD>(size)) ||
        buffer[0] == '\0') {
        PathMacros macros("");
        macros.Expand(CEAPPMGR_DEFAULT, buffer, size);
    }
    if (GetFileAttributesA(buffer) == INVALID_FILE_ATTRIBUTES)
        buffer[0] = '\0';
}

bool ControlActiveSync(HWND owner, bool start, bool wait) {
    PathMacros macros("");
    char program[MAX_PATH];
    FindCEAppMgr(program, sizeof(program));
    char* slash = FindLastChar(program, '\\');
    if (program[0] == '\0' || !slash)
        return false;
    size_t used = static_cast<size_t>(slash + 1 - program);
    CopyText(slash + 1, sizeof(program) - used, "wcesmgr.exe");
    if (!RunProgram(owner, program, start ? "/show" : "/quit", nullptr, wait))
        return false;
    activeSyncRunning = start ? 1 : 0;
    return true;
}

bool IsActiveSyncRunning() {
    return activeSyncRunning != 0;
}
