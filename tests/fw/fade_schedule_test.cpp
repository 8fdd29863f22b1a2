// The opacity of the fade-out over time.
#include <gtest/gtest.h>

#include <cstdint>

#include "fw/fade_schedule.h"

namespace {

TEST(FadeSchedule, StartsOpaqueAndEndsTransparentOnTime) {
    EXPECT_EQ(fw::FadeOutAlpha(0, 1500, 255), 255);
    // Half the time gone: half of 255 is 127.5, and a level is a whole number.
    EXPECT_EQ(fw::FadeOutAlpha(750, 1500, 255), 127);
    EXPECT_EQ(fw::FadeOutAlpha(1499, 1500, 255), 0);  // 255 / 1500 of a level left
    EXPECT_EQ(fw::FadeOutAlpha(1500, 1500, 255), 0);
    EXPECT_EQ(fw::FadeOutAlpha(99999, 1500, 255), 0);
    // A window already half transparent fades from where it is.
    EXPECT_EQ(fw::FadeOutAlpha(0, 1500, 128), 128);
    EXPECT_EQ(fw::FadeOutAlpha(750, 1500, 128), 64);
}

TEST(FadeSchedule, NeverRisesAndReachesEveryStepInOrder) {
    int previous = 255;
    int steps = 0;
    for (std::uint64_t ms = 0; ms <= 1500; ++ms) {
        const int alpha = fw::FadeOutAlpha(ms, 1500, 255);
        ASSERT_LE(alpha, previous) << "at " << ms << " ms";
        ASSERT_GE(alpha, previous - 1) << "a jump at " << ms << " ms";
        if (alpha != previous) ++steps;
        previous = alpha;
    }
    EXPECT_EQ(steps, 255);  // every level from 254 down to 0 is shown once
}

TEST(FadeSchedule, NoTimeMeansGoneAtOnce) { EXPECT_EQ(fw::FadeOutAlpha(0, 0, 255), 0); }

TEST(FadeSchedule, LongestFadeDoesNotWrapAround) {
    // 0xFFFFFFFF ms times 255 needs 40 bits; in 32 bits the level would be garbage.
    const std::uint64_t longest = 0xFFFFFFFFu;
    EXPECT_EQ(fw::FadeOutAlpha(0, longest, 255), 255);
    EXPECT_EQ(fw::FadeOutAlpha(longest / 2, longest, 255), 127);
}

}  // namespace
