#include "palm/palm_guard.h"

// palm_guard.S: installs a structured exception registration around body(context); 0 when the
// body returned, 1 when an exception was caught and the frames above were unwound.
extern "C" int RunSehGuarded(void (*body)(void*), void* context);

bool RunGuarded(void (*body)(void*), void* context) {
    return RunSehGuarded(body, context) == 0;
}
