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
}

TEST(ComponentTreeTest, DeepNestingIsReadCollectedAndDestroyed) {
    // A chain longer than the cap: each level would cost a recursive reader its 4 KB list
    // buffer, far beyond the stack.
    const int levels = SCRIPT_MAX_COMPONENTS + 50;
    std::string text = "[General]\nComponents=S1\n";
    for (int i = 1; i <= levels; ++i) {
        text += "[S" + std::to_string(i) + "]\nName=Level " + std::to_string(i) +
                "\nCopyFile1=1;f" + std::to_string(i) + "\nComponents=S" + std::to_string(i + 1) +
                "\n";
    }
    ScriptFile file(text);
    ScriptPtr script = file.Read();
    int depth = 0;
    int count = 0;
    Measure(script->components, &depth, &count);
    EXPECT_EQ(SCRIPT_MAX_COMPONENTS, depth);
    EXPECT_EQ(SCRIPT_MAX_COMPONENTS, count);

    PtrArray items;
    ASSERT_TRUE(CollectSelectedItems(script.get(), &items));
    ASSERT_EQ(SCRIPT_MAX_COMPONENTS, items.Count());
    EXPECT_STREQ("f1", static_cast<const InstallItem*>(items.At(0))->path);
    EXPECT_STREQ("f1000", static_cast<const InstallItem*>(items.At(999))->path);
    items.Clear();
    script.reset(); // the destruction of the whole chain must come back
}

TEST(ComponentTreeTest, SharedSectionsCannotExplode) {
    // Each level lists the next one twice: 2^30 components if nothing stopped the reader.
    std::string text = "[General]\nComponents=L0\n";
    for (int i = 0; i < 30; ++i) {
        text += "[L" + std::to_string(i) + "]\nComponents=L" + std::to_string(i + 1) + ";L" +
                std::to_string(i + 1) + "\n";
    }
    ScriptFile file(text);
    DWORD start = GetTickCount();
    ScriptPtr script = file.Read();
    int depth = 0;
    int count = 0;
    Measure(script->components, &depth, &count);
    EXPECT_EQ(SCRIPT_MAX_COMPONENTS, count);
    EXPECT_LT(GetTickCount() - start, 60000u);

    // Items shared in the same way stop at their own cap.
    std::string many = "[General]\nComponents=P\n[P]\nComponents=";
    for (int i = 0; i < 600; ++i)
        many += "X;";
    many += "\n[X]\n";
    for (int i = 1; i <= 20; ++i)
        many += "CopyFile" + std::to_string(i) + "=1;x" + std::to_string(i) + "\n";
    ScriptFile shared(many);
    script = shared.Read();
    EXPECT_EQ(SCRIPT_MAX_ITEMS, TotalItems(script->components));
    Measure(script->components, &depth, &count);
    EXPECT_EQ(601, count);
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
