#include "system/exit_codes.h"

// Out of line, so that every program carries these texts once.
const char* ExitCodeMeaning(int code) {
    switch (code) {
    case EXIT_COMPLETE:
        return "done";
    case EXIT_RESTART_NEEDED:
        return "done, a restart is needed";
    case EXIT_WRONG_COMMAND:
        return "wrong command line, nothing done";
#ifndef ORVEX_STARTER
    // Only the installer ends so: the starter, which has no byte to spare, passes it on.
    case EXIT_ALREADY_RUNNING:
        return "another install or removal running, nothing done";
#endif
    default:
        return "failed or incomplete";
    }
}
