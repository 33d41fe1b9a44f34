#include "app/install_choices.h"

#include <stdlib.h>
#include <string.h>

#include "log/log_format.h"
#include "script/component_walk.h"
#include "script/setup_script.h"
#include "script/trim_field.h"
#include "system/full_path.h"
#include "system/path_macros.h"
#include "system/reserved_destination.h"
#include "system/text.h"

namespace {
// Pairs of (component, its parent or null), depth first.
bool Remember(void* context, Component* component, Component* parent) {
    PtrArray* pairs = static_cast<PtrArray*>(context);
    void** slot = pairs->Append(2);
    if (!slot)
        return false;
    slot[0] = component;
    slot[1] = parent;
    return true;
}

Component* ComponentAt(const PtrArray& pairs, int32_t index) {
    return static_cast<Component*>(pairs.At(index));
}
} // namespace

bool ApplyDestination(SetupScript* script, const char* folder, bool* reserved) {
    if (reserved)
        *reserved = false;
    if (strlen(folder) >= sizeof(script->destFolder))
        return false;
    PathMacros macros("");
    char expanded[MACRO_EXPANSION_ROOM];
    macros.Expand(folder, expanded, sizeof(expanded));
    char logPath[MAX_PATH];
    if (!IsFullPath(expanded) || !FormLogPath(expanded, logPath, sizeof(logPath)))
        return false;
    if (IsReservedDestination(expanded)) {
        if (reserved)
            *reserved = true;
        return false;
    }
    CopyText(script->destFolder, sizeof(script->destFolder), folder);
    script->destGiven = 1;
    return true;
}

bool ApplyComponents(SetupScript* script, const char* sections) {
    PtrArray pairs;
    pairs.growBy = 512;
    if (!WalkComponents(&script->components, nullptr, Remember, &pairs))
        return false;
    int32_t count = pairs.Count() / 2;
    int32_t* before = static_cast<int32_t*>(malloc(sizeof(int32_t) * (count + 1)));
    char list[SCRIPT_LIST_SIZE];
    if (!before || strlen(sections) >= sizeof(list)) {
        free(before);
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        Component* component = ComponentAt(pairs, 2 * i);
        before[i] = component->selected;
        component->selected = 0;
    }
    CopyText(list, sizeof(list), sections);
    bool known = true;
    for (char* cursor = list; cursor && known;) {
        const char* name = NextField(&cursor);
        if (!*name)
            continue;
        known = false;
        // A section used at several places in the tree is chosen at each.
        for (int32_t i = 0; i < count; ++i) {
            Component* component = ComponentAt(pairs, 2 * i);
            if (EqualNoCase(component->section, name)) {
                component->selected = 1;
                known = true;
            }
        }
    }
    // Backwards, every sub-component comes before its parent.
    for (int32_t i = count - 1; i >= 0; --i) {
        Component* parent = ComponentAt(pairs, 2 * i + 1);
        if (parent && ComponentAt(pairs, 2 * i)->selected)
            parent->selected = 1;
    }
    int items = 0;
    SelectionHasPalmFiles(script, &items);
    bool applied = known && items > 0;
    for (int32_t i = 0; i < count && !applied; ++i)
        ComponentAt(pairs, 2 * i)->selected = before[i];
    free(before);
    return applied;
}

bool SelectionHasPalmFiles(const SetupScript* script, int* itemCount) {
    PtrArray items;
    bool palm = false;
    if (CollectSelectedItems(script, &items)) {
        for (int32_t i = 0; i < items.Count(); ++i)
            palm = palm || (static_cast<const InstallItem*>(items.At(i))->flags & ITEM_PALMFILE);
    }
    if (itemCount)
        *itemCount = items.Count();
    items.Clear();
    return palm;
}
