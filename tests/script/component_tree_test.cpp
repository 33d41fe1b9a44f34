#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script_test_support.h"
#include "system/message_box.h"

namespace {
// Depth of the deepest path and number of components, walked without recursion.
void Measure(const PtrArray& top, int* depth, int* count) {
    struct Entry {
        const Component* component;
        int level;
    };
    std::vector<Entry> stack;
    for (int i = 0; i < top.Count(); ++i)
        stack.push_back({ComponentAt(top, i), 1});
    *depth = 0;
    *count = 0;
    while (!stack.empty()) {
        Entry entry = stack.back();
        stack.pop_back();
        ++*count;
        if (entry.level > *depth)
            *depth = entry.level;
        for (int i = 0; i < ChildCount(entry.component); ++i)
            stack.push_back({ChildAt(entry.component, i), entry.level + 1});
    }
}

int TotalItems(const PtrArray& top) {
    std::vector<const Component*> stack;
    for (int i = 0; i < top.Count(); ++i)
        stack.push_back(ComponentAt(top, i));
    int total = 0;
    while (!stack.empty()) {
        const Component* component = stack.back();
        stack.pop_back();
        total += component->items.Count();
        for (int i = 0; i < ChildCount(component); ++i)
            stack.push_back(ChildAt(component, i));
    }
    return total;
}
} // namespace

TEST(ComponentTreeTest, ListsNamingThemselvesOrAnAncestorAreCut) {
    ScriptFile file("[General]\nComponents=General;A;C\n"
                    "[A]\nName=a\nComponents=a;B\n"
                    "[B]\nName=b\nComponents=A;C;General\n"
                    "[C]\nName=c\nCopyFile1=1;c.dll\n");
    ScriptPtr script = file.Read();
    ASSERT_EQ(2, script->components.Count());
    const Component* a = ComponentAt(script->components, 0);
    EXPECT_STREQ("a", a->name);
    ASSERT_EQ(1, ChildCount(a));
    const Component* b = ChildAt(a, 0);
    EXPECT_STREQ("b", b->name);
    // C below B is no cycle: a shared section appears wherever it is listed.
    ASSERT_EQ(1, ChildCount(b));
    EXPECT_STREQ("c", ChildAt(b, 0)->name);
    EXPECT_EQ(nullptr, ChildAt(b, 0)->children);
    EXPECT_STREQ("c", ComponentAt(script->components, 1)->name);
    // Entries left out for a cycle are not a cut script.
    EXPECT_EQ(0, script->readIncomplete);
}

TEST(ComponentTreeTest, DeepNestingIsReadWholeCollectedAndDestroyed) {
    // Each level would cost a recursive reader its 4 KB list buffer, far beyond the stack.
    const int levels = 5000;
    std::string text = "[General]\nComponents=S1\n";
    for (int i = 1; i <= levels; ++i) {
        text += "[S" + std::to_string(i) + "]\nName=Level " + std::to_string(i) +
                "\nCopyFile1=1;f" + std::to_string(i) + "\n";
        if (i < levels)
            text += "Components=S" + std::to_string(i + 1) + "\n";
    }
    ScriptFile file(text);
    ScriptPtr script = file.Read();
    int depth = 0;
    int count = 0;
    Measure(script->components, &depth, &count);
    EXPECT_EQ(levels, depth);
    EXPECT_EQ(levels, count);
    EXPECT_EQ(0, script->readIncomplete);

    PtrArray items;
    ASSERT_TRUE(CollectSelectedItems(script.get(), &items));
    ASSERT_EQ(levels, items.Count());
    EXPECT_STREQ("f1", static_cast<const InstallItem*>(items.At(0))->path);
    EXPECT_STREQ("f5000", static_cast<const InstallItem*>(items.At(levels - 1))->path);
    items.Clear();
    script.reset(); // the destruction of the whole chain must come back
}

namespace {
// A list naming one section the given number of times.
std::string Repeated(const std::string& name, int times) {
    std::string list;
    for (int i = 0; i < times; ++i)
        list += name + ";";
    return list;
}

std::string SharedTwice(int k) {
    return "[General]\nComponents=P\n[P]\nComponents=" + Repeated("X", 300) +
           "\n[X]\nComponents=" + Repeated("Y", k) + "\n";
}
} // namespace

TEST(ComponentTreeTest, SharedSectionsAreBoundedByWhatTheFileWrites) {
    // Each level lists the next one twice: 2^30 components from a few hundred bytes.
    std::string doubling = "[General]\nComponents=L0\n";
    for (int i = 0; i < 30; ++i) {
        doubling += "[L" + std::to_string(i) + "]\nComponents=L" + std::to_string(i + 1) + ";L" +
                    std::to_string(i + 1) + "\n";
    }
    // A to E list X 2000 times each, and X lists Y 2000 times: some 24 KB for twenty million
    // components, more than a tree view can show.
    std::string squared = "[General]\nComponents=A;B;C;D;E\n";
    for (const char* name : {"A", "B", "C", "D", "E"})
        squared += "[" + std::string(name) + "]\nComponents=" + Repeated("X", 2000) + "\n";
    squared += "[X]\nComponents=" + Repeated("Y", 2000) + "\n";
    // A section of 20 items listed 600 times: the items stop at their floor.
    std::string items =
        "[General]\nComponents=P\n[P]\nComponents=" + Repeated("X", 600) + "\n[X]\n";
    for (int i = 1; i <= 20; ++i)
        items += "CopyFile" + std::to_string(i) + "=1;x" + std::to_string(i) + "\n";
    // SharedTwice(k) has 301 + k list entries for 1 + 300 * (k + 1) components: within four
    // times the entries for k = 3, beyond them for k = 4.
    const struct {
        std::string text;
        int components;
        int items;
        int incomplete;
    } cases[] = {
        {doubling, SCRIPT_MIN_COMPONENT_BUDGET, 0, 1},
        {squared, SCRIPT_MAX_COMPONENTS, 0, 1},
        {SharedTwice(3), 1 + 300 * 4, 0, 0},
        {SharedTwice(4), SCRIPT_REPEAT_FACTOR * (301 + 4), 0, 1},
        {items, 1 + SCRIPT_MIN_ITEM_BUDGET / 20, SCRIPT_MIN_ITEM_BUDGET, 1},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        ScriptFile file(cases[i].text);
        ScriptPtr script = file.Read();
        int depth = 0;
        int count = 0;
        Measure(script->components, &depth, &count);
        EXPECT_EQ(cases[i].components, count);
        EXPECT_EQ(cases[i].items, TotalItems(script->components));
        EXPECT_EQ(cases[i].incomplete, script->readIncomplete);
    }
}

TEST(ComponentTreeTest, CollectFollowsTheSelection) {
    ScriptFile file("[General]\nComponents=P;Off;T\n"
                    "[P]\nCopyFile1=1;p1\nShortcut1=p.exe;0;;P\nCopyPalmFile1=1;p.prc\n"
                    "Components=Q;R\n"
                    "[Q]\nSelected=0\nCopyFile1=1;q\nComponents=S\n"
                    "[S]\nSelected=1\nCopyFile1=1;s\n"
                    "[R]\nCopyFile1=1;r\n"
                    "[Off]\nSelected=0\nCopyFile1=1;off\nComponents=R\n"
                    "[T]\nCopyFile1=1;t\n");
    ScriptPtr script = file.Read();
    PtrArray items;
    ASSERT_TRUE(CollectSelectedItems(script.get(), &items));
    EXPECT_EQ("p1|p.prc|p.exe|r|t", ItemPaths(items));
    EXPECT_EQ(nullptr, items.releaseFn);

    // The selection is the components' current state, as the components page leaves it.
    Component* q = const_cast<Component*>(ChildAt(ComponentAt(script->components, 0), 0));
    q->selected = 1;
    Component* t = const_cast<Component*>(ComponentAt(script->components, 2));
    t->selected = 0;
    PtrArray again;
    ASSERT_TRUE(CollectSelectedItems(script.get(), &again));
    EXPECT_EQ("p1|p.prc|p.exe|q|s|r", ItemPaths(again));
}

TEST(ComponentTreeTest, DestroyingTheScriptWithdrawsItsCaptionTitle) {
    ScriptFile file("[General]\nCompany=Acme\nApplication=Viewer\n");
    SetupScript* script = ReadSetupScript(file.Path().c_str());
    ASSERT_NE(nullptr, script);
    EXPECT_STREQ("Acme Viewer", captionTitle);
    DestroySetupScript(script);
    EXPECT_EQ(nullptr, captionTitle);
    DestroySetupScript(nullptr);
}
