#include <gtest/gtest.h>

#include "uninstall/progress_scale.h"

TEST(ProgressScaleTest, AnyNumberOfEntriesFitsThe16BitRange) {
    const struct {
        uint32_t total;
        uint32_t done;
        uint32_t range;
        uint32_t position;
    } cases[] = {
        {0, 0, 0, 0},
        {0, 5, 0, 0},
        {10, 0, 10, 0},
        {10, 3, 10, 3},
        {10, 10, 10, 10},
        {10, 11, 10, 10},
        {65535, 65535, 65535, 65535},
        {65536, 1, 65535, 0},
        {65536, 65535, 65535, 65534},
        {65536, 65536, 65535, 65535},
        {250002, 125001, 65535, 32767},
        {250002, 250002, 65535, 65535},
        // No overflow where done times the range exceeds 32 bits.
        {0xFFFFFFFFu, 0xFFFFFFFEu, 65535, 65534},
        {0xFFFFFFFFu, 0xFFFFFFFFu, 65535, 65535},
    };
    for (const auto& c : cases) {
        ProgressScale scale(c.total);
        EXPECT_EQ(c.range, scale.Range()) << c.total;
        EXPECT_EQ(c.position, scale.Position(c.done)) << c.total << " " << c.done;
    }
}

TEST(ProgressScaleTest, TheBarMovesInVisibleStepsOntoItsEnd) {
    // total, moves over a whole replay
    const uint32_t cases[][2] = {{1, 1},    {10, 10},    {100, 100},
                                 {101, 51}, {1000, 100}, {250002, 100}};
    for (const auto& c : cases) {
        ProgressScale scale(c[0]);
        uint32_t shown = 0;
        uint32_t moves = 0;
        for (uint32_t done = 1; done <= c[0]; ++done) {
            if (scale.Moves(shown, done)) {
                EXPECT_GT(scale.Position(done), shown);
                shown = scale.Position(done);
                ++moves;
            }
        }
        EXPECT_EQ(scale.Range(), shown) << c[0];
        EXPECT_EQ(c[1], moves) << c[0];
    }
}
