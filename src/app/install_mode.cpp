#include <windows.h>

#include "app/after_wizard.h"
#include "app/earlier_installation.h"
#include "app/install_engine.h"
#include "app/modes.h"
#include "app/unattended_install.h"
#include "resources/resource_ids.h"
#include "script/setup_script.h"
#include "system/exit_codes.h"
#include "system/external_programs.h"
#include "system/message_box.h"
#include "system/module_path.h"
#include "system/path_macros.h"
#include "system/process_account.h"
#include "system/run_record.h"
#include "ui/wizard_choices.h"
#include "ui/wizard_run.h"

int RunInstallMode(HINSTANCE instance, const CommandLine& line) {
    char scriptPath[MAX_PATH];
    // Without a whole path to the script nothing is read: a bare name would be looked for in
    // the Windows folder.
    PathBesideExecutable("Setup.ini", scriptPath, sizeof(scriptPath));
    SetupScript* script = ReadSetupScript(scriptPath);
    if (!script || script->components.Count() == 0) {
        ShowMessageId(nullptr, IDS_NO_SETUP_SCRIPT, IDS_INSTALLATION, MB_ICONHAND, IDOK,
                      line.Silent());
        DestroySetupScript(script);
        return line.Silent() ? EXIT_FAILED : 0;
    }
    EarlierInstallation earlier;
    bool earlierForAllUsers =
        FindEarlierInstallation(script->productTitle, &earlier) && earlier.shortcutsForAllUsers;
    if (ShortcutsForAllUsers(line, ProcessIsLocalSystem, earlierForAllUsers)) {
        SetShortcutsForAllUsers(true);
        WriteRunRecord("Start-menu and desktop shortcuts for all users");
    }
    if (line.Silent())
        return RunUnattendedInstall(script, line);
    ApplyCommandLineChoices(script, line, false);
    // The wizard is gone when RunWizard returns, so it never outlives the script it borrows.
    int exitCode = RunWizard(script, instance, RunInstall);
    FinishInstallMode(script, wizardChoices, activeSyncRunning, systemAfterWizardActions);
    return exitCode;
}
