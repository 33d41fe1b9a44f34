#include <gtest/gtest.h>

#include <vector>

#include "script/ptr_array.h"

namespace {
std::vector<void**> releasedSlots;
std::vector<void*> releasedValues;

void RecordRelease(void** slot) {
    releasedSlots.push_back(slot);
    releasedValues.push_back(*slot);
}
} // namespace

TEST(PtrArrayTest, GrowsInStepsOfTwenty) {
    PtrArray array;
    EXPECT_EQ(nullptr, array.data);
    for (intptr_t i = 1; i <= 21; ++i)
        ASSERT_TRUE(array.Add(reinterpret_cast<void*>(i)));
    EXPECT_EQ(21, array.Count());
    EXPECT_EQ(40, array.capacity);
    EXPECT_EQ(reinterpret_cast<void*>(21), array.At(20));

    // A block of n slots grows the capacity by growBy * (n / growBy + 1), all slots null.
    void** first = array.Append(45);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(array.data + 21, first);
    EXPECT_EQ(66, array.Count());
    EXPECT_EQ(100, array.capacity);
    for (int i = 0; i < 45; ++i)
        EXPECT_EQ(nullptr, first[i]);
    EXPECT_EQ(nullptr, array.Append(-1));
}

TEST(PtrArrayTest, ClearReleasesEachSlotOnceInOrder) {
    releasedSlots.clear();
    releasedValues.clear();
    PtrArray array(RecordRelease);
    int values[3];
    for (int& value : values)
        ASSERT_TRUE(array.Add(&value));
    ASSERT_NE(nullptr, array.Append(1)); // a null slot is released like any other
    void** data = array.data;
    array.Clear();
    ASSERT_EQ(4u, releasedSlots.size());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(data + i, releasedSlots[i]);
    EXPECT_EQ(&values[0], releasedValues[0]);
    EXPECT_EQ(&values[2], releasedValues[2]);
    EXPECT_EQ(nullptr, releasedValues[3]);
    EXPECT_EQ(0, array.Count());
    EXPECT_EQ(0, array.capacity);
    EXPECT_EQ(nullptr, array.data);

    array.Clear();
    EXPECT_EQ(4u, releasedSlots.size());
    ASSERT_TRUE(array.Add(&values[1]));
    EXPECT_EQ(20, array.capacity);
}
