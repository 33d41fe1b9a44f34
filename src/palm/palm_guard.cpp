#include "palm/palm_guard.h"

// palm_guard.S: installs a structured exception registration around body(context); 0 when the
// body returned, 1 when an exception was caught and the frames above were unwound.
extern "C" int RunSehGuarded(void (*body)(void*), void* context);

namespace {

struct CatchingCall {
    void (*body)(void*);
    void* context;
    bool threw;
};

// The catch sits inside the registration: a C++ exception must never unwind through the
// assembly frame, which carries no unwind information and holds the registration record.
void CallCatching(void* context) {
    CatchingCall* call = static_cast<CatchingCall*>(context);
    try {
        call->body(call->context);
    } catch (...) {
        call->threw = true;
    }
}

} // namespace

bool RunGuarded(void (*body)(void*), void* context) {
    CatchingCall call{body, context, false};
    return RunSehGuarded(CallCatching, &call) == 0 && !call.threw;
}
