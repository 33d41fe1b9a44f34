#include "app/unattended_install.h"

#include <string.h>

#include "app/after_wizard.h"
#include "app/install_choices.h"
#include "app/install_engine.h"
#include "palm/hotsync_users.h"
#include "script/setup_script.h"
#include "system/exit_codes.h"
#include "system/external_programs.h"
#include "system/run_record.h"
#include "system/text.h"

namespace {
bool Refuse(const char* what, const char* value) {
    WriteRunRecord(what, value);
    return false;
}
} // namespace

bool ApplyCommandLineChoices(SetupScript* script, const CommandLine& line, bool strict) {
    if (line.given & SWITCH_NORESTART)
        script->restartLater = 1;
    bool reserved = false;
    if ((line.given & SWITCH_DEST) && !ApplyDestination(script, line.destFolder, &reserved) &&
        strict)
        return Refuse(reserved ? "Wrong /D (a drive's root or a folder of Windows itself, not a "
                                 "folder of the product's own): "
                               : "Wrong /D (no full path, or too long): ",
                      line.destFolder);
    if ((line.given & SWITCH_COMPONENTS) && !ApplyComponents(script, line.components) && strict)
        return Refuse("Wrong /COMPONENTS (an unknown section, or nothing to install): ",
                      line.components);
    if (!(line.given & SWITCH_USER))
        return true;
    if (IsAllUsers(line.user)) {
        script->hotSyncUser[0] = '\0';
    } else if (!strict) {
        // The HotSync user page checks the name against HotSync's list when it fills it.
        CopyText(script->hotSyncUser, sizeof(script->hotSyncUser), line.user);
    } else if (SelectionHasPalmFiles(script)) {
        HotSyncUserList users;
        const char* listed = users.Read() ? users.Find(line.user) : nullptr;
        if (!listed)
            return Refuse("Wrong /USER (HotSync does not list it): ", line.user);
        CopyText(script->hotSyncUser, sizeof(script->hotSyncUser), listed);
    }
    return true;
}

int RunUnattendedInstall(SetupScript* script, const CommandLine& line) {
    int code = EXIT_WRONG_COMMAND;
    if (ApplyCommandLineChoices(script, line, true)) {
        int result = RunInstall(script, nullptr, true, true);
        code = result == RESULT_BUSY   ? EXIT_ALREADY_RUNNING
               : result != RESULT_OK   ? EXIT_FAILED
               : script->restartNeeded ? EXIT_RESTART_NEEDED
                                       : EXIT_COMPLETE;
    }
    // With every choice clear this only starts ActiveSync again when the run stopped it.
    FinishInstallMode(script, WizardChoices{0, 0}, activeSyncRunning, systemAfterWizardActions);
    return code;
}
