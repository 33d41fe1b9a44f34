#include <string.h>

#include "app/modes.h"
#include "system/staging_path.h"
#include "system/system_folder.h"
#include "system/text.h"
#include "system/win_handles.h"

namespace {

const size_t STAGING_ROOM = 2048;
const char REGSVR32_ARGUMENTS[] = "%s /s \"%s\"";

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
        // Nothing is registered when the swap failed: the target is then gone, or still the old
        // server, registered as it was; the staged file stays. This mode shows nothing.
        if (!MoveFileA(stagingPath, argument))
            return 0;
    }

    char program[MAX_PATH];
    if (!SystemFilePath("regsvr32.exe", program, sizeof(program)))
        return 0;
    char command[STAGING_ROOM + MAX_PATH + 32];
    // A cut command would register some other file.
    size_t expected =
        strlen(program) + strlen(REGSVR32_ARGUMENTS) - strlen("%s%s") + strlen(argument);
    if (FormatText(command, sizeof(command), REGSVR32_ARGUMENTS, program, argument) != expected)
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
