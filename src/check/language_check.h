#pragma once
// The language files beside Setup.ini: each is checked against the installer's English texts,
// and counts as named (the package carries it).
#include "check/findings.h"
#include "check/folder_inventory.h"

void CheckLanguageFiles(const char* folder, FolderInventory* inventory, Findings* findings);
