#include <gtest/gtest.h>

#include <cstdint>

#include "player/engine/pitch.h"

namespace zumbrik {
namespace {

TEST(Pitch, LinearModePeriodsAndFrequencies) {
    EXPECT_EQ(LinearPeriod(48, 0), 4608);
    EXPECT_EQ(LinearPeriod(48, -3), 4609);  // finetune / 2 truncates toward zero
    EXPECT_EQ(LinearPeriod(48, 127), 4545);
    EXPECT_EQ(LinearFrequency(4608, 0), 8363u);
    EXPECT_EQ(LinearFrequency(LinearPeriod(60, 0), 0), 16726u);
    EXPECT_EQ(LinearFrequency(4608, 64), 8860u);  // a positive delta raises the pitch
    EXPECT_EQ(LinearFrequency(0, 0), kFloorFrequency);
    EXPECT_EQ(LinearFrequency(100, -100), kFloorFrequency);
    const Step step = FrequencyStep(8363);
    EXPECT_EQ(step.integer, 0u);
    EXPECT_EQ(step.fraction, 748308572u);
    EXPECT_EQ(FrequencyStep(96000).integer, 2u);
    EXPECT_EQ(FrequencyStep(96000).fraction, 0u);
}

TEST(Pitch, AmigaModePeriodsFollowTheSinglePrecisionTwelfth) {
    EXPECT_EQ(AmigaPeriod(48, 0), 1712);
    EXPECT_EQ(AmigaPeriod(0, 0), 27392);
    EXPECT_EQ(AmigaPeriod(2, 0), 24404);
    EXPECT_EQ(AmigaFrequency(1712, 0), 8363u);
    EXPECT_EQ(AmigaFrequency(1712, 1712), 4181u);  // a positive delta lowers the pitch
    EXPECT_EQ(AmigaFrequency(-5, 3), kFloorFrequency);
    // Finetune moves toward the neighbouring note by ft/128 of the step.
    const std::int32_t up = AmigaPeriod(49, 0);
    const std::int32_t down = AmigaPeriod(47, 0);
    EXPECT_EQ(AmigaPeriod(48, 64), 1712 + (64 * (up - 1712)) / 128);
    EXPECT_EQ(AmigaPeriod(48, -64), 1712 + (-64 * (1712 - down)) / 128);
    // Note 0 with a negative finetune leans on the note below it.
    EXPECT_GT(AmigaPeriod(0, -128), 27392);
    EXPECT_EQ(AmigaPeriod(0, -128), AmigaPeriod(-1, 0));
}

}  // namespace
}  // namespace zumbrik
