#pragma once
// One installation per product: a new install run goes where the product already is, or removes
// it first.
#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#include "uninstall/log_trust.h"

struct SetupScript;
class UninstallLog;

// The installation the uninstall entry of the product title names.
struct EarlierInstallation {
    char logPath[MAX_PATH];
    char folder[MAX_PATH];
    // Its shortcuts went to the folders of all users (false for an entry that does not say).
    bool shortcutsForAllUsers;
};

// The uninstall entry's value that keeps the choice of all users or the current user.
extern const char SHORTCUTS_VALUE[];

// The folder that holds the file at path ("C:\" for a file at a drive's root); false when the
// path names no folder or the folder does not fit in size.
bool FolderOf(const char* path, char* folder, size_t size);

// False when the product has no uninstall entry or its log is not there.
bool FindEarlierInstallation(const char* productTitle, EarlierInstallation* earlier);

// Without a destination from the command line the run installs into the earlier installation's
// folder, and so appends to its log. A folder that a macro expansion would change is left alone:
// the run then goes to the script's folder, and the earlier installation is removed after it.
void FollowEarlierInstallation(SetupScript* script, const EarlierInstallation& earlier);

// Replays the log silently, with its counts, deleting no registry key; the paths kept names
// stay. False when a file stayed (held by another program; the run record names it).
bool RemoveLoggedInstallation(const char* logPath, const UninstallLog* kept, bool* unregistered);
// Removes the earlier installation once the install into another folder succeeded: every path
// the new log names stays, and so do the uninstall entry and the installer copy. False when one
// of its files stayed.
bool RemoveEarlierInstallation(const EarlierInstallation& earlier, const char* newLogPath);
