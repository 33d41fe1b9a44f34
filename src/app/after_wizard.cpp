#include "app/after_wizard.h"

#include "system/com_binding.h"

#include "app/install_context.h"
#include "script/setup_script.h"
#include "system/external_programs.h"
#include "system/restart.h"

void OpenReadMe(const SetupScript* script) {
    InstallContext context(script->installerFolder, script->destFolder, script->productTitle,
                           nullptr);
    char path[MAX_PATH];
    context.Expand(script->readMePath, path, sizeof(path));
    // An empty path would make the shell open the current folder.
    if (path[0] == '\0')
        return;
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = "Open";
    info.lpFile = path;
    info.nShow = SW_SHOWNORMAL;
    RunShellExecute(&info);
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
