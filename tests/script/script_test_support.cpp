#include "script_test_support.h"

#include "script/wide_api.h"

ScriptFile::ScriptFile(const std::string& text) : folder_("script") {
    path_ = folder_.File("Setup.ini");
    WriteFileBytes(path_, text);
}

ScriptPtr ScriptFile::Read() const {
    return ScriptPtr(ReadSetupScript(path_.c_str()), DestroySetupScript);
}

const Component* ComponentAt(const PtrArray& list, int index) {
    if (index < 0 || index >= list.Count())
        return nullptr;
    return static_cast<const Component*>(list.At(index));
}

const Component* ChildAt(const Component* parent, int index) {
    return parent && parent->children ? ComponentAt(*parent->children, index) : nullptr;
}

int ChildCount(const Component* component) {
    return component && component->children ? component->children->Count() : 0;
}

const InstallItem* ItemAt(const Component* component, int index) {
    if (!component || index < 0 || index >= component->items.Count())
        return nullptr;
    return static_cast<const InstallItem*>(component->items.At(index));
}

const ShortcutItem* ShortcutAt(const Component* component, int index) {
    const InstallItem* item = ItemAt(component, index);
    return item && (item->flags & ITEM_SHORTCUT) ? static_cast<const ShortcutItem*>(item) : nullptr;
}

std::string ItemPaths(const PtrArray& items) {
    std::string joined;
    for (int i = 0; i < items.Count(); ++i) {
        if (i > 0)
            joined += "|";
        joined += static_cast<const InstallItem*>(items.At(i))->path;
    }
    return joined;
}

static bool WideApiPresent() {
    return true;
}
static bool WideApiAbsent() {
    return false;
}

WideApiOverride::WideApiOverride(bool present) {
    SetWideApiProbe(present ? WideApiPresent : WideApiAbsent);
}

WideApiOverride::~WideApiOverride() {
    SetWideApiProbe(nullptr);
}
