#include <gtest/gtest.h>

#include "script/setup_script.h"
#include "script/wide_api.h"

namespace {
int probeCalls = 0;
bool CountingProbe() {
    ++probeCalls;
    return false;
}
} // namespace

TEST(WideApiTest, AnsweredOnceAndCached) {
    probeCalls = 0;
    SetWideApiProbe(CountingProbe);
    EXPECT_FALSE(HasWideApi());
    EXPECT_FALSE(HasWideApi());
    EXPECT_EQ(1, probeCalls);
    SetWideApiProbe(nullptr);
    // Wine reports itself as the NT family.
    EXPECT_TRUE(HasWideApi());
    EXPECT_EQ(1, probeCalls);
}
