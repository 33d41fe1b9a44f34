#pragma once
#include <stddef.h>
#include <windows.h>

#include "system/macro_expansion.h"

// Expands the first %TOKEN% of a path against this object's destination folder and the
// system's folders.
class PathMacros {
  public:
    explicit PathMacros(const char* destFolder);
    virtual ~PathMacros();
    PathMacros(const PathMacros&) = delete;
    PathMacros& operator=(const PathMacros&) = delete;

    // out receives at most outSize - 1 bytes; the source is left as it was.
    void Expand(const char* source, char* out, size_t outSize) const;
    void ResolveToken(const char* name, char* out, size_t outSize) const;
    static const char* ProgramFilesFolder();

    char destPath[MAX_PATH];
};

// For the whole run, %STARTMENU% and %DESKTOP% name the folders shared by all users where
// Windows has them (all other tokens stay the current user's).
void SetShortcutsForAllUsers(bool allUsers);
bool ShortcutsGoToAllUsers();
