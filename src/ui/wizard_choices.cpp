#include "ui/wizard_choices.h"

WizardChoices wizardChoices = {0, 0};
