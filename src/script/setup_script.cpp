#include "script/setup_script.h"

#include <new>

#include "system/message_box.h"

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
    // Subtrees are taken apart through a list of their own rather than by recursion, so that no
    // depth of nesting can exhaust the stack.
    PtrArray pending;
    while (component) {
        if (PtrArray* children = component->children) {
            for (int32_t i = 0; i < children->Count(); ++i) {
                // Without memory for the list the rest of the subtree is left unreleased.
                pending.Add(children->At(i));
            }
            children->releaseFn = nullptr;
            delete children;
            component->children = nullptr;
        }
        delete component;
        component = nullptr;
        while (!component && pending.Count() > 0)
            component = static_cast<Component*>(pending.data[--pending.count]);
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

namespace {
// Pushes the selected entries of a component list in reverse, so that they come off the stack
// in list order.
bool PushSelected(const PtrArray& components, PtrArray* stack) {
    for (int32_t i = components.Count() - 1; i >= 0; --i) {
        const Component* component = static_cast<const Component*>(components.At(i));
        if (component && component->selected && !stack->Add(const_cast<Component*>(component)))
            return false;
    }
    return true;
}
} // namespace

bool CollectSelectedItems(const SetupScript* script, PtrArray* items) {
    if (!script || !items)
        return false;
    // Depth first with a stack of its own: a component's items, then its selected subtrees in
    // order. An unselected component hides its whole subtree.
    PtrArray stack;
    if (!PushSelected(script->components, &stack)) {
        items->Clear();
        return false;
    }
    while (stack.Count() > 0) {
        const Component* component = static_cast<const Component*>(stack.data[--stack.count]);
        for (int32_t i = 0; i < component->items.Count(); ++i) {
            if (!items->Add(component->items.At(i)))
                return false;
        }
        if (component->children && !PushSelected(*component->children, &stack)) {
            items->Clear();
            return false;
        }
    }
    return true;
}
