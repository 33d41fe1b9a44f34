#pragma once
#include <windows.h>

#include "ui/wizard_choices.h"

struct SetupScript;

// The calls through which the install mode acts once the wizard has closed.
struct AfterWizardActions {
    void (*restartComputer)(UINT flags);
    bool (*controlActiveSync)(HWND owner, bool start, bool wait);
    void (*openReadMe)(const SetupScript* script);
};

// Expands the script's read-me path and hands it to the shell with the verb "Open"; the outcome
// is not examined.
void OpenReadMe(const SetupScript* script);

// The real calls: RestartComputer, ControlActiveSync and OpenReadMe.
extern const AfterWizardActions systemAfterWizardActions;

// Carries out the finish page's choices: a restart, or else ActiveSync started again (when
// activeSyncState says the run stopped it) and then the read-me opened. The script is destroyed
// in either case, before the restart is asked for.
void FinishInstallMode(SetupScript* script, const WizardChoices& choices, int activeSyncState,
                       const AfterWizardActions& actions);
