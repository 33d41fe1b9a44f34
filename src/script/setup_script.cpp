#include "script/setup_script.h"

#include <new>

#include "script/component_walk.h"
#include "system/message_box.h"

namespace {
bool ListComponent(void* list, Component* component, Component*) {
    return static_cast<PtrArray*>(list)->Add(component);
}

struct ItemCollection {
    PtrArray* items;
    bool complete;
};

// An unselected component hides its whole subtree.
bool CollectItems(void* context, Component* component, Component*) {
    ItemCollection* collection = static_cast<ItemCollection*>(context);
    if (!collection->complete || !component->selected)
        return false;
    for (int32_t i = 0; i < component->items.Count(); ++i) {
        if (!collection->items->Add(component->items.At(i))) {
            collection->complete = false;
            return false;
        }
    }
    return true;
}
} // namespace

SetupScript* NewSetupScript() {
    SetupScript* script = new (std::nothrow) SetupScript();
    if (script)
        script->components.releaseFn = ReleaseComponent;
    return script;
}

Component* NewComponent() {
    Component* component = new (std::nothrow) Component();
    if (component) {
        component->items.releaseFn = ReleaseItem;
        component->selected = 1;
    }
    return component;
}

InstallItem* NewInstallItem(uint32_t kind) {
    InstallItem* item = new (std::nothrow) InstallItem();
    if (item)
        item->flags = kind;
    return item;
}

ShortcutItem* NewShortcutItem() {
    ShortcutItem* item = new (std::nothrow) ShortcutItem();
    if (item)
        item->flags = ITEM_SHORTCUT;
    return item;
}

void ReleaseItem(void** slot) {
    InstallItem* item = static_cast<InstallItem*>(*slot);
    *slot = nullptr;
    if (!item)
        return;
    // The kind bit tells which record was allocated.
    if (item->flags & ITEM_SHORTCUT)
        delete static_cast<ShortcutItem*>(item);
    else
        delete item;
}

void ReleaseComponent(void** slot) {
    Component* component = static_cast<Component*>(*slot);
    *slot = nullptr;
    if (!component)
        return;
    // The subtree is listed whole before anything is freed, as the walk reads every record it
    // passes. Without memory for the list what it misses is left unreleased.
    PtrArray subtree;
    subtree.Add(component);
    WalkComponents(component->children, component, ListComponent, &subtree);
    for (int32_t i = 0; i < subtree.Count(); ++i) {
        Component* listed = static_cast<Component*>(subtree.At(i));
        if (listed->children) {
            listed->children->releaseFn = nullptr;
            delete listed->children;
        }
        delete listed;
    }
}

void DestroySetupScript(SetupScript* script) {
    if (!script)
        return;
    // Message boxes shown later must not read the title of a freed script.
    if (captionTitle == script->productTitle)
        captionTitle = nullptr;
    script->components.Clear();
    delete script;
}

bool CollectSelectedItems(const SetupScript* script, PtrArray* items) {
    if (!script || !items)
        return false;
    // A component's items, then its selected subtrees in order.
    ItemCollection collection = {items, true};
    if (!WalkComponents(&script->components, nullptr, CollectItems, &collection) ||
        !collection.complete) {
        items->Clear();
        return false;
    }
    return true;
}
