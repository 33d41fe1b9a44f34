#include "script/component_walk.h"

#include "script/setup_script.h"

namespace {
// Each stack entry is two slots: the component, then its parent. Pushed last to first, the list
// comes off the stack in its own order.
bool PushList(PtrArray* stack, const PtrArray& components, Component* parent) {
    for (int32_t i = components.Count() - 1; i >= 0; --i) {
        void* component = components.At(i);
        if (component && (!stack->Add(component) || !stack->Add(parent)))
            return false;
    }
    return true;
}
} // namespace

bool WalkComponents(const PtrArray* components, Component* parent, ComponentVisitor visit,
                    void* context) {
    if (!components)
        return true;
    PtrArray stack;
    if (!PushList(&stack, *components, parent))
        return false;
    while (stack.Count() > 0) {
        Component* owner = static_cast<Component*>(stack.data[--stack.count]);
        Component* component = static_cast<Component*>(stack.data[--stack.count]);
        if (visit(context, component, owner) && component->children &&
            !PushList(&stack, *component->children, component))
            return false;
    }
    return true;
}
