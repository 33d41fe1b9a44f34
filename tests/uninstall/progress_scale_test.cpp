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

// A simulated removal of 2,000 entries of 1 ms each: with quick paints the bar moves every
// PAINT_INTERVAL_MS or so; with slow ones (a busy machine) painting stays within its share of the
// time, the first paint and the last (onto the end) apart, and the bar still reaches its end.
TEST(ProgressScaleTest, PaintsFollowTheClockAndKeepToTheirShare) {
    const struct {
        uint32_t paintMs;
        uint32_t start; // the tick count at the start, near its wrap
        uint32_t mostGapMs;
    } cases[] = {{1, 0, PAINT_INTERVAL_MS + 2},
                 {0, 0xFFFFFF00u, PAINT_INTERVAL_MS + 1},
                 {30, 5, 10 * 30 + 1},
                 {200, 0xFFFFFFF0u, 10 * 200 + 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paintMs);
        ProgressScale scale(2000);
        uint32_t now = c.start, shown = 0, paintEnd = 0, paintMs = 0, painting = 0, mostGap = 0;
        for (uint32_t done = 1; done <= 2000; ++done) {
            now += 1;
            if (!scale.Moves(shown, done) ||
                (scale.Position(done) != scale.Range() && !PaintDue(now, paintEnd, paintMs)))
                continue;
            if (done > 20 && now - paintEnd > mostGap)
                mostGap = now - paintEnd;
            shown = scale.Position(done);
            now += c.paintMs;
            painting += c.paintMs;
            paintEnd = now;
            paintMs = c.paintMs;
        }
        EXPECT_EQ(scale.Range(), shown);
        EXPECT_LE(painting - 2 * c.paintMs, (now - c.start) / PAINT_SHARE);
        EXPECT_LE(mostGap, c.mostGapMs);
    }
}
