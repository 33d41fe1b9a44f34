#pragma once
// Where a shortcut goes, for the installer and for the checker.
#include <stddef.h>
#include <stdint.h>

// The folder argument a shortcut item is created with: "%DESKTOP%", "%SENDTO%" or the script's
// start-menu folder.
const char* ShortcutFolder(uint32_t itemFlags, const char* startMenuFolder);

// The link folder as a path with its macro: a folder that begins with "%" as it is, any other as
// a group below %STARTMENU%. True for a group, which the installer makes on demand.
bool LinkFolderPath(const char* folder, char* out, size_t size);
