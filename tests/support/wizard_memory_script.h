#pragma once
// Setup scripts assembled in memory, for tests that host the wizard's windows themselves.
#include <memory>

#include "script/setup_script.h"

using MemoryScript = std::unique_ptr<SetupScript, void (*)(SetupScript*)>;

MemoryScript NewMemoryScript();
// Adds a component below parent (null: at the top) and returns it.
Component* AddComponent(SetupScript* script, Component* parent, const char* name, int32_t palmSizeK,
                        int32_t desktopSizeK, bool selected);
