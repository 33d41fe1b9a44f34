// Stand-in for ActiveSync's connection manager. Each run appends two lines to "wcesmgr.record" in
// its own folder (whatever the executable is called):
//   "start <arguments>" when it starts,
//   "end <arguments>"   about WCESMGR_RUN_MS later, just before it exits with code 0.
// <arguments> is the command line without the program name, so a test sees the switch ("/quit",
// "/show"), how often it ran and, from whether "end" is already there when the caller returns,
// whether the caller waited. Copy it beside a CEAppMgr.exe stand-in and register that one.
#include <windows.h>

static const DWORD WCESMGR_RUN_MS = 1000;

static const char* SkipProgramName(const char* line) {
    if (*line == '"') {
        ++line;
        while (*line && *line != '"')
            ++line;
        if (*line == '"')
            ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t')
            ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

static void AppendRecord(const char* marker, const char* arguments) {
    char path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    char* slash = path + length;
    while (slash > path && slash[-1] != '\\')
        --slash;
    lstrcpynA(slash, "wcesmgr.record", static_cast<int>(path + sizeof(path) - slash));
    // Two runs may overlap when the caller does not wait: retry while the other one writes.
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, marker, lstrlenA(marker), &written, nullptr);
            WriteFile(file, " ", 1, &written, nullptr);
            WriteFile(file, arguments, lstrlenA(arguments), &written, nullptr);
            WriteFile(file, "\n", 1, &written, nullptr);
            CloseHandle(file);
            return;
        }
        Sleep(20);
    }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* arguments = SkipProgramName(GetCommandLineA());
    AppendRecord("start", arguments);
    Sleep(WCESMGR_RUN_MS);
    AppendRecord("end", arguments);
    return 0;
}
