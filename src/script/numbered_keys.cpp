#include "script/numbered_keys.h"

#include "script/setup_script.h"

extern constexpr NumberedKeyKind numberedKeyKinds[NUMBERED_KEY_KINDS] = {
    {"CopyFile%d", "CopyFile%dU", ITEM_COPYFILE},
    {"CopyPalmFile%d", nullptr, ITEM_PALMFILE},
    {"Shortcut%d", "Shortcut%dU", ITEM_SHORTCUT},
};

namespace {
constexpr int CountPatterns() {
    int count = 0;
    for (const NumberedKeyKind& kind : numberedKeyKinds)
        count += kind.widePattern ? 2 : 1;
    return count;
}
} // namespace
static_assert(CountPatterns() == NUMBERED_KEY_PATTERNS, "arrays sized by pattern count");
