#include <gtest/gtest.h>

#include <windows.h>

#include <float.h>

#include "palm/palm_guard.h"
#include "support/palm_seh.h"

namespace {

void Count(void* context) {
    ++*static_cast<int*>(context);
}

void AccessViolation(void* context) {
    ++*static_cast<int*>(context);
    volatile ULONG_PTR address = 8;
    *reinterpret_cast<volatile int*>(address) = 1;
    ++*static_cast<int*>(context);
}

void MicrosoftThrow(void* context) {
    ++*static_cast<int*>(context);
    ULONG_PTR arguments[3] = {0x19930520, 0, 0};
    RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 3, arguments);
    ++*static_cast<int*>(context);
}

// A fault caught by an inner guard leaves the outer one undisturbed.
void NestedFault(void* context) {
    int inner = 0;
    if (!RunGuarded(AccessViolation, &inner) && inner == 1)
        ++*static_cast<int*>(context);
}

} // namespace

TEST(PalmGuardTest, NormalReturnAndEveryKindOfExceptionAreSeparated) {
    void* chain = SehChainHead();
    unsigned controlWord = _controlfp(0, 0);
    int runs = 0;
    EXPECT_TRUE(RunGuarded(Count, &runs));
    EXPECT_EQ(1, runs);

    void (*const faulting[])(void*) = {AccessViolation, MicrosoftThrow};
    for (auto body : faulting) {
        runs = 0;
        EXPECT_FALSE(RunGuarded(body, &runs));
        EXPECT_EQ(1, runs);
        EXPECT_EQ(chain, SehChainHead());
    }

    runs = 0;
    EXPECT_TRUE(RunGuarded(NestedFault, &runs));
    EXPECT_EQ(1, runs);
    EXPECT_EQ(chain, SehChainHead());
    EXPECT_EQ(controlWord, _controlfp(0, 0));

    // And again, after all that.
    runs = 0;
    EXPECT_FALSE(RunGuarded(AccessViolation, &runs));
    EXPECT_TRUE(RunGuarded(Count, &runs));
    EXPECT_EQ(2, runs);
}
