#pragma once
// Runs code that calls into vendor libraries so that nothing they raise can end the installer.

// Calls body(context). Returns true when it came back normally, false when an exception ended
// it: a structured exception (an access violation inside a library, or a C++ throw of a library
// built with Microsoft's compiler, which is a structured exception too). The program itself is
// built without C++ exceptions, so nothing else can leave a guarded call early. Frames between the
// guard and the fault are abandoned without running destructors, so guarded code keeps no owning
// objects on its stack while it calls a vendor library.
bool RunGuarded(void (*body)(void*), void* context);
