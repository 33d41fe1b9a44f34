#pragma once
// The selection arithmetic of the components page: which components are chosen, what they
// need on the device and on the desktop, and how a check mark change travels through the tree.
#include <stdint.h>

struct Component;

// The check marks as the arithmetic sees them; the components page backs them with its tree
// view.
struct CheckMarks {
    void* context;
    bool (*isChecked)(void* context, const Component* component);
    void (*setCheck)(void* context, Component* component, bool checked);
    // The component one level up, or null for a top-level component.
    Component* (*parentOf)(void* context, const Component* component);
};

struct SpaceTotals {
    int32_t deviceTotal;
    int32_t desktopTotal;
};

// Adds (or takes away) the component's own sizes.
void CountSizes(SpaceTotals* totals, const Component* component, bool add);
// Sets the flag and the totals, and carries the change down through every sub-component that
// did not have it yet; a sub-component that already had it keeps its whole subtree as it is.
void SetSelected(Component* component, bool value, SpaceTotals* totals, const CheckMarks& marks);
// A check mark of the component turned to checked: the component and its descent follow, and so
// do its unchecked ancestors (only they, not their other sub-components).
void ApplyCheck(Component* component, bool checked, SpaceTotals* totals, const CheckMarks& marks);
// A click on the component's check box, before the tree flips the mark itself.
void ToggleComponent(Component* component, SpaceTotals* totals, const CheckMarks& marks);
// True when the install button may be pressed.
bool IsInstallable(const SpaceTotals& totals);
