#pragma once
// Two runs acting on the machine at once would each work out the shared files' counts from what
// the other is changing, and could replay one log twice: an install or a removal holds this from
// its first change to its end. A run holding it may take it again (the earlier installation's
// removal inside an install).
#include <stddef.h>
#include <windows.h>

// The mutex's name: machine-wide ("Global\") where Windows has sessions (2000 and later).
void RunLockName(char* name, size_t size);

class RunLock {
  public:
    RunLock() = default;
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;
    // False when another process holds it, or it cannot be had.
    bool Take();

  private:
    HANDLE mutex = nullptr;
};
