#include "ui/component_selection.h"

#include "script/component_walk.h"
#include "script/setup_script.h"

namespace {
// Sizes come from the script unchecked; the totals wrap as 32-bit values instead of
// overflowing.
int32_t Wrapped(int32_t total, int32_t size, bool add) {
    uint32_t value = static_cast<uint32_t>(total);
    uint32_t step = static_cast<uint32_t>(size);
    return static_cast<int32_t>(add ? value + step : value - step);
}
struct SelectionChange {
    bool value;
    SpaceTotals* totals;
    const CheckMarks* marks;
};

// A sub-component that already has the new state keeps its whole subtree as it is.
bool CarrySelection(void* context, Component* component, Component*) {
    const SelectionChange* change = static_cast<const SelectionChange*>(context);
    if ((component->selected != 0) == change->value)
        return false;
    component->selected = change->value ? 1 : 0;
    CountSizes(change->totals, component, change->value);
    change->marks->setCheck(change->marks->context, component, change->value);
    return true;
}
} // namespace

void CountSizes(SpaceTotals* totals, const Component* component, bool add) {
    totals->desktopTotal = Wrapped(totals->desktopTotal, component->desktopSizeK, add);
    totals->deviceTotal = Wrapped(totals->deviceTotal, component->palmSizeK, add);
}

void SetSelected(Component* component, bool value, SpaceTotals* totals, const CheckMarks& marks) {
    component->selected = value ? 1 : 0;
    CountSizes(totals, component, value);
    SelectionChange change = {value, totals, &marks};
    WalkComponents(component->children, component, CarrySelection, &change);
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
