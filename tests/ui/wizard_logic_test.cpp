// The wizard's plain logic without windows: the page order over the page table and the selection
// arithmetic over the component tree.
#include <gtest/gtest.h>

#include <stdint.h>

#include <map>
#include <vector>

#include "support/wizard_memory_script.h"
#include "ui/component_selection.h"
#include "ui/page_table.h"

namespace {
DialogWindow* const PRESENT = reinterpret_cast<DialogWindow*>(1);

// Check marks held in a map, with parents found by a search of the script's tree.
struct MapMarks {
    std::map<const Component*, bool> checked;
    std::map<const Component*, Component*> parents;
    int setChecks = 0;

    void Learn(const SetupScript* script) {
        for (int32_t i = 0; i < script->components.Count(); ++i)
            Learn(static_cast<Component*>(script->components.At(i)), nullptr);
    }
    void Learn(Component* component, Component* parent) {
        // Iterative, as the trees here may be very deep.
        std::vector<std::pair<Component*, Component*>> pending = {{component, parent}};
        while (!pending.empty()) {
            auto current = pending.back();
            pending.pop_back();
            parents[current.first] = current.second;
            checked[current.first] = current.first->selected != 0;
            if (current.first->children) {
                for (int32_t i = 0; i < current.first->children->Count(); ++i)
                    pending.push_back(
                        {static_cast<Component*>(current.first->children->At(i)), current.first});
            }
        }
    }
    // A click on a box: the arithmetic first, then the tree flips the mark itself.
    void Click(Component* component, SpaceTotals* totals) {
        ToggleComponent(component, totals, Marks());
        checked[component] = !checked[component];
    }
    CheckMarks Marks() {
        return CheckMarks{
            this,
            [](void* self, const Component* c) { return static_cast<MapMarks*>(self)->checked[c]; },
            [](void* self, Component* c, bool value) {
                static_cast<MapMarks*>(self)->checked[c] = value;
                ++static_cast<MapMarks*>(self)->setChecks;
            },
            [](void* self, const Component* c) {
                return static_cast<MapMarks*>(self)->parents[c];
            }};
    }
};
} // namespace

TEST(PageOrder, SkipsRowsWithoutAPageAndStopsAtTheEnds) {
    DialogWindow* all[PAGE_COUNT] = {PRESENT, PRESENT, PRESENT, PRESENT};
    EXPECT_EQ(PAGE_HOTSYNC_USER, NextPageRow(all, PAGE_LICENCE));
    EXPECT_EQ(PAGE_COMPONENTS, NextPageRow(all, PAGE_HOTSYNC_USER));
    EXPECT_EQ(PAGE_FINISH, NextPageRow(all, PAGE_COMPONENTS));
    EXPECT_EQ(PAGE_FINISH, NextPageRow(all, PAGE_FINISH));
    EXPECT_EQ(PAGE_LICENCE, PreviousPageRow(all, PAGE_LICENCE));
    EXPECT_EQ(PAGE_HOTSYNC_USER, PreviousPageRow(all, PAGE_COMPONENTS));

    DialogWindow* noChoice[PAGE_COUNT] = {PRESENT, PRESENT, nullptr, PRESENT};
    EXPECT_EQ(PAGE_FINISH, NextPageRow(noChoice, PAGE_HOTSYNC_USER));
    EXPECT_EQ(PAGE_HOTSYNC_USER, PreviousPageRow(noChoice, PAGE_FINISH));

    // Pages whose windows failed are skipped; without any the ends are the answer.
    DialogWindow* none[PAGE_COUNT] = {nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(PAGE_FINISH, NextPageRow(none, PAGE_LICENCE));
    EXPECT_EQ(PAGE_LICENCE, PreviousPageRow(none, PAGE_COMPONENTS));
    DialogWindow* noUserPage[PAGE_COUNT] = {PRESENT, nullptr, PRESENT, PRESENT};
    EXPECT_EQ(PAGE_COMPONENTS, NextPageRow(noUserPage, PAGE_LICENCE));
    EXPECT_EQ(PAGE_LICENCE, PreviousPageRow(noUserPage, PAGE_COMPONENTS));
}

TEST(ComponentSelection, ClearingADeepChainNeedsNoRecursion) {
    MemoryScript script = NewMemoryScript();
    const int DEPTH = 100000;
    Component* top = AddComponent(script.get(), nullptr, "top", 1, 2, true);
    Component* bottom = top;
    for (int i = 1; i < DEPTH; ++i)
        bottom = AddComponent(script.get(), bottom, "link", 1, 2, true);
    ASSERT_NE(nullptr, bottom);
    MapMarks marks;
    marks.Learn(script.get());
    SpaceTotals totals = {DEPTH, 2 * DEPTH};

    marks.Click(top, &totals);
    EXPECT_EQ(0, totals.deviceTotal);
    EXPECT_EQ(0, totals.desktopTotal);
    EXPECT_EQ(0, bottom->selected);
    EXPECT_FALSE(marks.checked[bottom]);
    // The clicked component's own mark is the tree's business; every other one was set once.
    EXPECT_EQ(DEPTH - 1, marks.setChecks);

    // Checking the bottom one checks every ancestor, each counted once.
    marks.Click(bottom, &totals);
    EXPECT_EQ(DEPTH, totals.deviceTotal);
    EXPECT_EQ(2 * DEPTH, totals.desktopTotal);
    EXPECT_EQ(1, top->selected);
    EXPECT_TRUE(IsInstallable(totals));
}

TEST(ComponentSelection, TotalsWrapAndAnyNonzeroTotalAllowsTheInstall) {
    MemoryScript script = NewMemoryScript();
    Component* big = AddComponent(script.get(), nullptr, "big", INT32_MAX, 0, false);
    Component* one = AddComponent(script.get(), nullptr, "one", 1, 0, false);
    Component* refund = AddComponent(script.get(), nullptr, "refund", 0, -5, false);
    Component* cost = AddComponent(script.get(), nullptr, "cost", 0, 5, false);
    MapMarks marks;
    marks.Learn(script.get());
    SpaceTotals totals = {0, 0};

    marks.Click(big, &totals);
    marks.Click(one, &totals);
    EXPECT_EQ(INT32_MIN, totals.deviceTotal);
    EXPECT_TRUE(IsInstallable(totals));
    marks.Click(big, &totals);
    marks.Click(one, &totals);
    EXPECT_EQ(0, totals.deviceTotal);
    EXPECT_EQ(0, big->selected);

    marks.Click(refund, &totals);
    EXPECT_EQ(-5, totals.desktopTotal);
    EXPECT_TRUE(IsInstallable(totals));
    marks.Click(cost, &totals);
    EXPECT_EQ(0, totals.desktopTotal);
    EXPECT_FALSE(IsInstallable(totals)) << "two chosen components whose sizes cancel out";
}
