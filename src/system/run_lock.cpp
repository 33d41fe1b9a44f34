#include "system/run_lock.h"

#include "system/text.h"

void RunLockName(char* name, size_t size) {
    DWORD version = GetVersion();
    bool sessions = version < 0x80000000u && LOBYTE(LOWORD(version)) >= 5;
    FormatText(name, size, "%sOrvex Install Wizard run", sessions ? "Global\\" : "");
}

RunLock::~RunLock() {
    if (!mutex)
        return;
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

bool RunLock::Take() {
    if (mutex)
        return true;
    char name[64];
    RunLockName(name, sizeof(name));
    HANDLE opened = CreateMutexA(nullptr, FALSE, name);
    if (!opened)
        return false;
    // Abandoned: a run that ended without releasing it; what it left is the next run's to mend.
    DWORD waited = WaitForSingleObject(opened, 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(opened);
        return false;
    }
    mutex = opened;
    return true;
}
