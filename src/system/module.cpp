#include "system/module.h"

#include "system/language.h"

// Tests link the program without its entry point; their own module then serves the resources.
HINSTANCE moduleInstance = GetModuleHandleA(nullptr);

size_t LoadModuleString(unsigned id, char* out, size_t size) {
    int length = LoadStringA(moduleInstance, id, out, static_cast<int>(size));
    if (length <= 0) {
        out[0] = '\0';
        return 0;
    }
    if (LocalText(id, out) != out)
        return CopyLocalText(out, size, id, out);
    return static_cast<size_t>(length);
}
