#include "ui/component_selection.h"

#include "script/setup_script.h"

namespace {
// Sizes come from the script unchecked; the totals wrap as 32-bit values instead of
// overflowing.
int32_t Wrapped(int32_t total, int32_t size, bool add) {
    uint32_t value = static_cast<uint32_t>(total);
    uint32_t step = static_cast<uint32_t>(size);
    return static_cast<int32_t>(add ? value + step : value - step);
}
} // namespace

void CountSizes(SpaceTotals* totals, const Component* component, bool add) {
    totals->desktopTotal = Wrapped(totals->desktopTotal, component->desktopSizeK, add);
    totals->deviceTotal = Wrapped(totals->deviceTotal, component->palmSizeK, add);
}

void SetSelected(Component* component, bool value, SpaceTotals* totals, const CheckMarks& marks) {
    component->selected = value ? 1 : 0;
    CountSizes(totals, component, value);
    // An explicit stack instead of recursion: nesting in the script has no depth limit.
    PtrArray pending;
    pending.Add(component);
    while (pending.Count() > 0) {
        Component* current = static_cast<Component*>(pending.At(pending.Count() - 1));
        --pending.count;
        if (!current->children)
            continue;
        for (int32_t i = 0; i < current->children->Count(); ++i) {
            Component* child = static_cast<Component*>(current->children->At(i));
            if ((child->selected != 0) == value)
                continue;
            child->selected = value ? 1 : 0;
            CountSizes(totals, child, value);
            marks.setCheck(marks.context, child, value);
            pending.Add(child);
        }
    }
}

void ApplyCheck(Component* component, bool checked, SpaceTotals* totals, const CheckMarks& marks) {
    SetSelected(component, checked, totals, marks);
    if (!checked)
        return;
    for (Component* ancestor = marks.parentOf(marks.context, component); ancestor;
         ancestor = marks.parentOf(marks.context, ancestor)) {
        if (marks.isChecked(marks.context, ancestor))
            break;
        marks.setCheck(marks.context, ancestor, true);
        ancestor->selected = 1;
        CountSizes(totals, ancestor, true);
    }
}

void ToggleComponent(Component* component, SpaceTotals* totals, const CheckMarks& marks) {
    ApplyCheck(component, !marks.isChecked(marks.context, component), totals, marks);
}

bool IsInstallable(const SpaceTotals& totals) {
    return totals.deviceTotal != 0 || totals.desktopTotal != 0;
}
