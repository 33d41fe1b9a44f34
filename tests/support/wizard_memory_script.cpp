#include "support/wizard_memory_script.h"

#include <new>

#include "system/text.h"

MemoryScript NewMemoryScript() {
    return MemoryScript(NewSetupScript(), DestroySetupScript);
}

Component* AddComponent(SetupScript* script, Component* parent, const char* name, int32_t palmSizeK,
                        int32_t desktopSizeK, bool selected) {
    Component* component = NewComponent();
    if (!component)
        return nullptr;
    CopyText(component->name, sizeof(component->name), name);
    FormatText(component->description, sizeof(component->description), "About %s", name);
    component->palmSizeK = palmSizeK;
    component->desktopSizeK = desktopSizeK;
    component->selected = selected ? 1 : 0;
    PtrArray* list = &script->components;
    if (parent) {
        if (!parent->children)
            parent->children = new (std::nothrow) PtrArray(ReleaseComponent);
        list = parent->children;
    }
    if (!list || !list->Add(component)) {
        void* slot = component;
        ReleaseComponent(&slot);
        return nullptr;
    }
    script->offerComponentChoice = 1;
    return component;
}
