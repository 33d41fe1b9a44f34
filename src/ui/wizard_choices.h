#pragma once
#include <stdint.h>

// The finish page's choices, carried out by the install driver after the wizard has closed.
struct WizardChoices {
    int32_t restartNow;
    int32_t openReadMe;
};

extern WizardChoices wizardChoices;
