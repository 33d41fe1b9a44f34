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
// A silent run stops at a choice it cannot apply; the wizard leaves it out. Either way the record
// says which and why. True when the run goes on.
bool LeaveOut(bool strict, const char* what, const char* value) {
    char text[128];
    FormatText(text, sizeof(text), "%s%s", strict ? "Wrong " : "Left out ", what);
    WriteRunRecord(text, value);
    return !strict;
}
} // namespace

bool ApplyCommandLineChoices(SetupScript* script, const CommandLine& line, bool strict) {
    if (line.given & SWITCH_NORESTART)
        script->restartLater = 1;
    bool reserved = false;
    if ((line.given & SWITCH_DEST) && !ApplyDestination(script, line.destFolder, &reserved) &&
        !LeaveOut(strict,
                  reserved ? "/D (a drive's root or a folder of Windows itself, not a folder of "
                             "the product's own): "
                           : "/D (no full path, or too long): ",
                  line.destFolder))
        return false;
    if ((line.given & SWITCH_COMPONENTS) && !ApplyComponents(script, line.components) &&
        !LeaveOut(strict,
                  "/COMPONENTS (an unknown section, or nothing to install): ", line.components))
        return false;
    if (!(line.given & SWITCH_USER))
        return true;
    if (IsAllUsers(line.user)) {
        script->hotSyncUser[0] = '\0';
        return true;
    }
    // The wizard's HotSync page offers HotSync's users whatever is selected; a silent run asks
    // HotSync only when Palm files go to the user.
    if (strict && !SelectionHasPalmFiles(script))
        return true;
    HotSyncUserList users;
    const char* listed = users.Read() ? users.Find(line.user) : nullptr;
    if (!listed)
        return LeaveOut(strict, "/USER (HotSync does not list it): ", line.user);
    CopyText(script->hotSyncUser, sizeof(script->hotSyncUser), listed);
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
