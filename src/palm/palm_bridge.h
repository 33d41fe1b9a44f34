#pragma once
#include <stddef.h>

// The installer's face of the Palm HotSync bridge. On failure the first two leave the reason in
// the text that GetPalmErrorText hands out.

// buffer receives the user names, each ended by a NUL, the list ended by an empty name.
bool GetHotSyncUsers(char* buffer, size_t size);
// userName empty queues the file for every HotSync user.
bool InstallPalmFile(const char* filePath, const char* userName);
void GetPalmErrorText(char* buffer, size_t size);
