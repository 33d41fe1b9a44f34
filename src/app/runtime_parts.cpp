// Setup.exe's own stand-ins for parts of the C runtime's start-up that have nothing to do in this
// program. Defined here, they keep the runtime's versions out, and with them their code, texts
// and imports. Only Setup.exe is built with this file.
#include <windows.h>

extern "C" {
// Patches references to library data that the code does not declare as imported. The program
// has none, and its link refuses any (--disable-auto-import), so nothing is ever to be patched.
void _pei386_runtime_relocator() {}

// The start-up code's hooks into the support of thread-local data, which hands Windows the
// functions to call at each thread's start and end. The program has no thread-local data; what
// some would bring in, such functions, Setup.exe's linker script refuses.
extern const PIMAGE_TLS_CALLBACK __dyn_tls_init_callback = nullptr;
int __mingw_initltsdrot_force;
int __mingw_initltsdyn_force;
int __mingw_initltssuo_force;

// The start-up code installs a reporter of math errors only when the runtime's switch for it is
// 1, and the runtime sets it to -1; the program does no floating-point math either.
struct _exception;
int _matherr(_exception*) {
    return 0;
}
void __mingw_setusermatherr(int (*)(_exception*)) {}
}
