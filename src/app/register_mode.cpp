#include <string.h>

#include "app/modes.h"
#include "app/staging_path.h"
#include "system/text.h"
#include "system/win_handles.h"

namespace {

const size_t STAGING_ROOM = 2048;
const char REGSVR32_COMMAND[] = "regsvr32.exe /s \"%s\"";

} // namespace

int RunRegisterMode(HINSTANCE, const char* argument) {
    if (!argument || !*argument)
        return 0;
    char stagingPath[STAGING_ROOM] = {};
    // Only a staged file that is really there may replace the target: when the staging copy
    // had failed, deleting the target would leave no server file at all.
    if (FormStagingPath(argument, stagingPath, sizeof(stagingPath)) &&
        GetFileAttributesA(stagingPath) != INVALID_FILE_ATTRIBUTES) {
        DeleteFileA(argument);
        MoveFileA(stagingPath, argument);
    }

    char systemFolder[MAX_PATH];
    UINT length = GetSystemDirectoryA(systemFolder, sizeof(systemFolder));
    if (length == 0 || length >= sizeof(systemFolder))
        return 0;
    char command[STAGING_ROOM + MAX_PATH + 32];
    CopyText(command, sizeof(command), systemFolder);
    if (systemFolder[length - 1] != '\\')
        AppendText(command, sizeof(command), "\\");
    size_t prefix = strlen(command);
    // A cut command would register some other file.
    size_t expected = strlen(REGSVR32_COMMAND) - strlen("%s") + strlen(argument);
    if (FormatText(command + prefix, sizeof(command) - prefix, REGSVR32_COMMAND, argument) !=
        expected)
        return 0;

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started;
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return 0;
    KernelHandle process(started.hProcess);
    KernelHandle thread(started.hThread);
    return 1;
}
