#include "ui/wizard_run.h"

int RunWizard(SetupScript*, HINSTANCE) {
    return 0;
}
