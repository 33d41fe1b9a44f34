#include "script/numbered_keys.h"

#include "script/setup_script.h"

const NumberedKeyKind numberedKeyKinds[3] = {
    {"CopyFile%d", "CopyFile%dU", ITEM_COPYFILE},
    {"CopyPalmFile%d", nullptr, ITEM_PALMFILE},
    {"Shortcut%d", "Shortcut%dU", ITEM_SHORTCUT},
};
