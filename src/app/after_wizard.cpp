#include "app/after_wizard.h"

#include "script/setup_script.h"

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
