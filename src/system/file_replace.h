#pragma once
// Replacing a file with another one that already sits in its folder, now or at the next start of
// Windows.
#include <stddef.h>
#include <windows.h>

// Moves newFile over target (which may be there, or not). Windows 95/98/Me lack the replacing
// move: the target is deleted, then newFile renamed. False leaves newFile in place.
bool ReplaceFileNow(const char* newFile, const char* target);
// Leaves newFile to replace target when Windows next starts; on Windows 95/98/Me through a line
// in WININIT.INI's [rename] section. False when neither could be arranged.
bool ReplaceFileAtRestart(const char* newFile, const char* target);
// Inserts "target=newFile" (both short paths, as the Windows 95 start reads them) at the top of
// the [rename] section of the profile file at iniPath, creating the section or the file.
bool AddWininitRename(const char* iniPath, const char* target, const char* newFile);
// True when the file at path is there and another program holds it: it cannot be opened for
// writing without sharing because of a sharing or lock violation.
bool FileInUse(const char* path);
