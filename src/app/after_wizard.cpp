#include "app/after_wizard.h"

#include "app/install_context.h"
#include "script/setup_script.h"
#include "system/external_programs.h"
#include "system/restart.h"
#include "system/shell_open.h"

void OpenReadMe(const SetupScript* script) {
    InstallContext context(script->installerFolder, script->destFolder, script->productTitle,
                           nullptr);
    char path[MAX_PATH];
    context.Expand(script->readMePath, path, sizeof(path));
    // An empty path would make the shell open the current folder.
    if (path[0] == '\0')
        return;
    OpenWithShell(nullptr, path, nullptr, nullptr, false);
}

const AfterWizardActions systemAfterWizardActions = {RestartComputer, ControlActiveSync,
                                                     OpenReadMe};

void FinishInstallMode(SetupScript* script, const WizardChoices& choices, int activeSyncState,
                       const AfterWizardActions& actions) {
    if (choices.restartNow) {
        DestroySetupScript(script);
        actions.restartComputer(EWX_REBOOT);
        return;
    }
    if (activeSyncState == 0)
        actions.controlActiveSync(nullptr, true, false);
    if (choices.openReadMe && script)
        actions.openReadMe(script);
    DestroySetupScript(script);
}
