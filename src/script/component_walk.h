#pragma once
#include "script/ptr_array.h"

struct Component;

// Called once per component of a walk, with the component whose list holds it (null for a
// top-level component). False leaves the component's own sub-components out of the walk.
using ComponentVisitor = bool (*)(void* context, Component* component, Component* parent);

// Visits the components of the list and their sub-components depth first: each component before
// its sub-components, siblings in list order. The walk keeps a stack of its own, since nesting
// in a script has no depth limit. parent is what the visitor gets for the list's own entries;
// null entries are passed over. The visitor must not free what it is given. False when memory
// for the stack ran out; the walk stops there.
bool WalkComponents(const PtrArray* components, Component* parent, ComponentVisitor visit,
                    void* context);
