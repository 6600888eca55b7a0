// S-curve drives whose jerk is too small for the jerk register: K is held at its
// largest value, and the actual jerk kept by the card is the one K gives.
#include <cstdint>

#include "card_support.h"
#include "sim_chip.h"
#include "sim_service.h"

namespace {

using Access = CMotionCardTestAccess;

uint16_t ChipJerk(int axis) {
    uint16_t k = 0;
    vornsim::WithChip(0, [&](SimChip& chip) { k = chip.Params(axis).jerk; });
    return k;
}

TEST_F(CardTest, TinyJerkOfAnSCurveDriveIsHeldAtTheLargestK) {
    RunSteps({
        // Jerk 666 pulses/s^3 at M = 1: 62500000 / 666 is far above 65535.
        {CALL(SVMove(0, 0, 1000, 1.0f, 1.0f, 0)),
         "W14=007A W12=1200 W0=0100 W0=010F W6=0004 W12=0001 W0=0104 W12=0005 W0=0102 "
         "W12=FFFF W0=0101 W12=03E8 W0=0105 W0=0122"},
        // Jerk 2 at M = 500: the quotient is beyond 32 bits before it is clamped.
        {CALL(SVMove(1, 0, 4000000, 1000.0f, 1000.0f, 1)),
         "W14=0000 W12=3E80 W0=0200 W0=020F W6=0004 W12=0001 W0=0204 W12=0001 W0=0202 "
         "W12=FFFF W0=0201 W12=1F40 W0=0205 W0=0223"},
        // Both jerks zero (no S-curve rise at all): still the largest K.
        {CALL(SVMove(2, 0, 1, 10.0f, 10.0f, 0)), "... W12=FFFF W0=0401 W12=0001 W0=0405 W0=0422"},
    });
    EXPECT_EQ(ChipJerk(0), 0xFFFF);
    EXPECT_EQ(ChipJerk(1), 0xFFFF);
    EXPECT_EQ(ChipJerk(2), 0xFFFF);
    // The jerk the chip will really run with: 62500000 * M / 65535, truncated.
    EXPECT_EQ(Access::Jerk(Card(), 0), 953);
    EXPECT_EQ(Access::Jerk(Card(), 1), 476844);
    EXPECT_EQ(Access::Jerk(Card(), 2), 953);
    // The same rise on a fixed drive takes the same K.
    RunSteps({{CALL(StartSRMove(3, 100, 0, 1000, 1.0f, 1.0f)), "... W12=FFFF W0=0801 ..."}});
    EXPECT_EQ(Access::Jerk(Card(), 3), 953);
}

}  // namespace
