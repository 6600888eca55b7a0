// Operations that no automation method reaches (the decelerating point, the circle
// centre, the manual deceleration and manual pulse modes, the current-value readers,
// the drive-mode helpers' own axis checks), and the check order of the stops and mode
// setters on a closed card.
#include <windows.h>

#include <cstdint>

#include "card_support.h"
#include "sim_chip.h"
#include "sim_service.h"

namespace {

using Access = CMotionCardTestAccess;

SimChip::AxisParams ChipParams(int axis) {
    SimChip::AxisParams params = {};
    vornsim::WithChip(0, [&](SimChip& chip) { params = chip.Params(axis); });
    return params;
}

// The decelerating point is clamped to a pulse count; the centre to a 24-bit coordinate.
TEST_F(CardTest, DecelPointAndCentreAreClampedWideWrites) {
    RunSteps({
        {"SetDecelPoint(0, 1000)", [](CMotionCard& c) { Access::SetDecelPoint(c, 0, 1000); },
         "W14=0000 W12=03E8 W0=0107"},
        {"SetDecelPoint(1, -5)", [](CMotionCard& c) { Access::SetDecelPoint(c, 1, -5); },
         "W14=0000 W12=0000 W0=0207"},
        {"SetDecelPoint(2, 0x10000000)",
         [](CMotionCard& c) { Access::SetDecelPoint(c, 2, 0x10000000); },
         "W14=0FFF W12=FFFF W0=0407"},
        {"SetDecelPoint(3, 0x0FFFFFFF)",
         [](CMotionCard& c) { Access::SetDecelPoint(c, 3, 0x0FFFFFFF); },
         "W14=0FFF W12=FFFF W0=0807"},
        {"SetCenter(0, -1)", [](CMotionCard& c) { Access::SetCenter(c, 0, -1); },
         "W14=FFFF W12=FFFF W0=0108"},
        {"SetCenter(1, -0x800001)", [](CMotionCard& c) { Access::SetCenter(c, 1, -0x800001); },
         "W14=FF80 W12=0000 W0=0208"},
        {"SetCenter(2, 0x800000)", [](CMotionCard& c) { Access::SetCenter(c, 2, 0x800000); },
         "W14=007F W12=FFFF W0=0408"},
        {"SetCenter(3, INT32_MIN)", [](CMotionCard& c) { Access::SetCenter(c, 3, INT32_MIN); },
         "W14=FF80 W12=0000 W0=0808"},
    });
    EXPECT_EQ(ChipParams(0).decelPoint, 1000);
    EXPECT_EQ(ChipParams(2).decelPoint, 0x0FFFFFFF);
    EXPECT_EQ(ChipParams(0).center, -1);
    EXPECT_EQ(ChipParams(1).center, -0x800000);
    EXPECT_EQ(ChipParams(2).center, 0x7FFFFF);
}

// Every clamped setter at both ends of its range: data first, then the command.
TEST_F(CardTest, RegisterSettersClampAtBothEnds) {
    struct Row {
        int code;
        uint16_t axis;
        int32_t value;
        const char* trace;
    };
    const Row rows[] = {
        {0x00, 0, 15999, "W14=0000 W12=3E80 W0=0100"},
        {0x00, 0, 8000001, "W14=007A W12=1200 W0=0100"},
        {0x01, 1, 0, "W12=0001 W0=0201"},
        {0x01, 1, 65536, "W12=FFFF W0=0201"},
        {0x02, 2, -5, "W12=0001 W0=0402"},
        {0x02, 2, 8001, "W12=1F40 W0=0402"},
        {0x03, 3, 0, "W12=0001 W0=0803"},
        {0x03, 3, 9000, "W12=1F40 W0=0803"},
        {0x04, 0, 0, "W12=0001 W0=0104"},
        {0x04, 0, 8001, "W12=1F40 W0=0104"},
        {0x05, 1, INT32_MIN, "W12=0001 W0=0205"},
        {0x05, 1, 8001, "W12=1F40 W0=0205"},
        {0x06, 2, -1, "W14=0000 W12=0000 W0=0406"},
        {0x06, 2, 0x10000000, "W14=0FFF W12=FFFF W0=0406"},
        {0x0D, 3, -1, "W12=0000 W0=080D"},
        {0x0D, 3, 65536, "W12=FFFF W0=080D"},
        {-1, 0, -0x800001, "W14=FF80 W12=0000 W0=0106"},
        {-1, 0, 0x800000, "W14=007F W12=FFFF W0=0106"},
        {-1, 1, -0x800000, "W14=FF80 W12=0000 W0=0206"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "code " << row.code << " value " << row.value);
        ClearTrace();
        Access::Set(Card(), row.code, row.axis, row.value);
        EXPECT_EQ(Trace(), row.trace);
    }
    EXPECT_TRUE(Messages().empty());
}

// WR3 bits 0 and 1 together, then the point unclamped (a negative point goes out as is).
TEST_F(CardTest, ManualDecelSetsBothDecelBitsAndWritesThePointUnclamped) {
    RunSteps({
        {"SetManualDecel(0, 5000)", [](CMotionCard& c) { Access::SetManualDecel(c, 0, 5000); },
         "W0=010F W6=0003 W14=0000 W12=1388 W0=0107"},
        {"SetManualDecel(1, -7)", [](CMotionCard& c) { Access::SetManualDecel(c, 1, -7); },
         "W0=020F W6=0003 W14=FFFF W12=FFF9 W0=0207"},
        {"SetManualDecel(3, 0x7FFFFFFF)",
         [](CMotionCard& c) { Access::SetManualDecel(c, 3, 0x7FFFFFFF); },
         "W0=080F W6=0003 W14=7FFF W12=FFFF W0=0807"},
        {"SetManualDecel(4, 1)",
         [](CMotionCard& c) { Access::SetManualDecel(c, 4, 1); },
         "",
         {kBoxP}},
        {"SetManualDecel(0xFFFF, 1)",
         [](CMotionCard& c) { Access::SetManualDecel(c, 0xFFFF, 1); },
         "",
         {kBoxP}},
        // A fixed drive's decel mode clears both bits again; the S-curve bit stays.
        {"SetSCurveMode(0)", [](CMotionCard& c) { Access::SetSCurveMode(c, 0); },
         "W0=010F W6=0007"},
        {"SetDecelMode(0, 0)", [](CMotionCard& c) { Access::SetDecelMode(c, 0, 0); },
         "W0=010F W6=0004"},
        {"SetDecelMode(0, 2)", [](CMotionCard& c) { Access::SetDecelMode(c, 0, 2); },
         "W0=010F W6=0004"},
        {"SetDecelMode(0, 1)", [](CMotionCard& c) { Access::SetDecelMode(c, 0, 1); },
         "W0=010F W6=0006"},
        {"ClearSCurveMode(0)", [](CMotionCard& c) { Access::ClearSCurveMode(c, 0); },
         "W0=010F W6=0002"},
    });
    EXPECT_EQ(ChipParams(1).decelPoint, -7);
    ExpectShadowsMatchChip();
}

// Bits 3-4 of WR3: 01 continuous, 11 fixed, 00 cleared; every other bit is kept.
TEST_F(CardTest, ManualPulseModesRewriteOnlyTheirTwoBits) {
    RunSteps({
        {"SetManualDecel(2, 0)", [](CMotionCard& c) { Access::SetManualDecel(c, 2, 0); },
         "W0=040F W6=0003 ..."},
        {"SetSCurveMode(2)", [](CMotionCard& c) { Access::SetSCurveMode(c, 2); },
         "W0=040F W6=0007"},
        {"ClearManualMode(2) with none set", [](CMotionCard& c) { Access::ClearManualMode(c, 2); },
         "W0=040F W6=0007"},
        {"SetManualFixed(2)", [](CMotionCard& c) { Access::SetManualFixed(c, 2); },
         "W0=040F W6=001F"},
        {"SetManualContinuous(2)", [](CMotionCard& c) { Access::SetManualContinuous(c, 2); },
         "W0=040F W6=000F"},
        {"ClearManualMode(2)", [](CMotionCard& c) { Access::ClearManualMode(c, 2); },
         "W0=040F W6=0007"},
        {CALL(ManuMove2(1, 3000, -1)), "... W0=020F W6=0018", {}, 0},
        {"ClearManualMode(1) after ManuMove2",
         [](CMotionCard& c) { Access::ClearManualMode(c, 1); }, "W0=020F W6=0000"},
        {"ClearManualMode(4)", [](CMotionCard& c) { Access::ClearManualMode(c, 4); }, "", {kBoxP}},
        {"SetManualFixed(-1 as unsigned)",
         [](CMotionCard& c) { Access::SetManualFixed(c, 0xFFFF); },
         "",
         {kBoxP}},
    });
    ExpectShadowsMatchChip();
    Card().CloseCard();
    RunSteps({
        {"ClearManualMode(0), closed",
         [](CMotionCard& c) { Access::ClearManualMode(c, 0); },
         "",
         {kBoxN}},
        {"ClearManualMode(5), closed",
         [](CMotionCard& c) { Access::ClearManualMode(c, 5); },
         "",
         {kBoxP}},
    });
}

// The drive helpers test their own axis: a bad one shows the message and writes nothing.
TEST_F(CardTest, DriveHelpersRefuseAxesAboveU) {
    RunSteps({
        {"SetSCurveMode(4)", [](CMotionCard& c) { Access::SetSCurveMode(c, 4); }, "", {kBoxP}},
        {"ClearSCurveMode(4)", [](CMotionCard& c) { Access::ClearSCurveMode(c, 4); }, "", {kBoxP}},
        {"SetDecelMode(9, 1)", [](CMotionCard& c) { Access::SetDecelMode(c, 9, 1); }, "", {kBoxP}},
        {"StartContinuousDrive(4)",
         [](CMotionCard& c) { Access::StartContinuousDrive(c, 4, 100, 0); },
         "",
         {kBoxP}},
        {"StartFixedDrive(4)",
         [](CMotionCard& c) { Access::StartFixedDrive(c, 4, 100, 10, false, false); },
         "",
         {kBoxP}},
        {"StartContinuousDrive(1, 9000, -1)",
         [](CMotionCard& c) { Access::StartContinuousDrive(c, 1, 9000, -1); },
         "W12=1F40 W0=0205 W0=0223"},
        {"StartFixedDrive(3, 0, -5, neg, S)",
         [](CMotionCard& c) { Access::StartFixedDrive(c, 3, 0, -5, true, true); },
         "W0=080F W6=0004 W0=083B W12=0001 W0=0805 W14=0000 W12=0000 W0=0806 W0=0821"},
    });
}

// The readers take 16 bits of the chip's current speed and acceleration; a bad axis is
// reported and read as U.
TEST_F(CardTest, CurrentValueReaders) {
    // X accelerates from 1000 towards 9000 at A = 639 (M = 1); Z runs at 5000 steadily.
    ASSERT_EQ(Card().TVMove(0, 1000, 9000, 0.1f, 0), 0);
    ASSERT_EQ(Card().TVMove(2, 5000, 5000, 0.5f, 0), 0);
    ASSERT_EQ(Card().TVMove(3, 2000, 2000, 0.5f, 0), 0);
    RunSteps({
        {"ReadAxisSpeed(0)",
         [](CMotionCard& c) { return Access::ReadAxisSpeed(c, 0); },
         "W0=0112 R12",
         {},
         1000},
        {"ReadAxisAccel(0)",
         [](CMotionCard& c) { return Access::ReadAxisAccel(c, 0); },
         "W0=0113 R12",
         {},
         639},
        {"ReadAxisSpeed(2)",
         [](CMotionCard& c) { return Access::ReadAxisSpeed(c, 2); },
         "W0=0412 R12",
         {},
         5000},
        {"ReadAxisAccel(2)",
         [](CMotionCard& c) { return Access::ReadAxisAccel(c, 2); },
         "W0=0413 R12",
         {},
         0},
        {"ReadAxisSpeed(7)",
         [](CMotionCard& c) { return Access::ReadAxisSpeed(c, 7); },
         "W0=0812 R12",
         {kBoxP},
         2000},
        {"ReadAxisAccel(-1)",
         [](CMotionCard& c) { return Access::ReadAxisAccel(c, -1); },
         "W0=0813 R12",
         {kBoxP},
         0},
        {"ReadAxisSpeed(1), stopped",
         [](CMotionCard& c) { return Access::ReadAxisSpeed(c, 1); },
         "W0=0212 R12",
         {},
         0},
    });
}

// The interpolation readers follow the first axis in WR5's bits 0-1, not the call order.
TEST_F(CardTest, InterpolationReadersFollowTheFirstAssignedAxis) {
    Card().LineRMove(3, 2, 1000, 1000, 1000, 1000, 0.5f);  // Z in bits 0-1
    Card().StopAllInst();
    ASSERT_EQ(Card().TVMove(2, 3000, 3000, 0.5f, 1), 0);
    ASSERT_EQ(Card().TVMove(3, 6000, 6000, 0.5f, 1), 0);
    RunSteps({
        {"ReadInterpSpeed()",
         [](CMotionCard& c) { return Access::ReadInterpSpeed(c); },
         "W0=0412 R12",
         {},
         3000},
        {"ReadInterpAccel()",
         [](CMotionCard& c) { return Access::ReadInterpAccel(c); },
         "W0=0413 R12",
         {},
         0},
    });
    Card().LineRMove(1, 3, 1000, 1000, 1000, 1000, 0.5f);  // Y in bits 0-1
    Card().StopAllInst();
    ASSERT_EQ(Card().TVMove(1, 4000, 4000, 0.5f, 0), 0);
    RunSteps({{"ReadInterpSpeed()",
               [](CMotionCard& c) { return Access::ReadInterpSpeed(c); },
               "W0=0212 R12",
               {},
               4000}});
}

TEST_F(ClosedCardTest, ReadersOnAClosedCard) {
    RunSteps({
        {"ReadAxisSpeed(0)",
         [](CMotionCard& c) { return Access::ReadAxisSpeed(c, 0); },
         "",
         {kBoxN},
         0},
        {"ReadAxisAccel(3)",
         [](CMotionCard& c) { return Access::ReadAxisAccel(c, 3); },
         "",
         {kBoxN},
         0},
        {"ReadAxisSpeed(8)",
         [](CMotionCard& c) { return Access::ReadAxisSpeed(c, 8); },
         "",
         {kBoxP, kBoxN},
         0},
        {"ReadInterpSpeed()",
         [](CMotionCard& c) { return Access::ReadInterpSpeed(c); },
         "",
         {kBoxN},
         0},
        {"ReadInterpAccel()",
         [](CMotionCard& c) { return Access::ReadInterpAccel(c); },
         "",
         {kBoxN},
         0},
    });
}

// Argument checks come before the open check for every stop: a bad or repeated axis on
// a closed card shows only the parameter message.
TEST_F(ClosedCardTest, StopsCheckTheirAxesBeforeTheOpenState) {
    vornsim::ClearRequests();
    RunSteps({
        {CALL(Stop2AxisInst(1, 1)), "", {kBoxP}},
        {CALL(Stop2AxisInst(0, 4)), "", {kBoxP}},
        {CALL(Stop2AxisInst(-1, 0)), "", {kBoxP}},
        {CALL(Stop2AxisInst(0, 1)), "", {kBoxN}},
        {CALL(Stop2AxisDec(3, 3)), "", {kBoxP}},
        {CALL(Stop2AxisDec(3, 2)), "", {kBoxN}},
        {CALL(Stop3AxisInst(0, 1, 1)), "", {kBoxP}},
        {CALL(Stop3AxisInst(2, 1, 2)), "", {kBoxP}},
        {CALL(Stop3AxisInst(0, 1, 2)), "", {kBoxN}},
        {CALL(Stop3axisDec(0, 9, 2)), "", {kBoxP}},
        {CALL(Stop3axisDec(3, 1, 2)), "", {kBoxN}},
        {CALL(StopAxisInst(4)), "", {kBoxP}},
        {CALL(StopAxisInst(0)), "", {kBoxN}},
        {CALL(StopAxisDec(-2)), "", {kBoxP}},
        {CALL(StopAxisDec(1)), "", {kBoxN}},
        {CALL(StopAllInst()), "", {kBoxN}},
    });
    EXPECT_TRUE(vornsim::Requests().empty()) << "a refused stop reached the bridge";
}

// Modes outside 0..2 are refused before anything else, whatever the card's state.
TEST_F(CardTest, PulseOutModeAcceptsOnlyModesZeroToTwo) {
    RunSteps({
        {CALL(PulseOutMode(0, 3)), "", {kBoxP}},
        {CALL(PulseOutMode(1, 0x7FFF)), "", {kBoxP}},
        {CALL(PulseOutMode(2, -32768)), "", {kBoxP}},
        {CALL(PulseOutMode(4, 1)), "", {kBoxP}},
        {CALL(PulseOutMode(3, 2)), "W0=080F W4=0358"},
        {CALL(PulseOutMode(3, 3)), "", {kBoxP}},
        {CALL(PulseOutMode(3, 1)), "W0=080F W4=0258"},
    });
    ExpectShadowsMatchChip();
    Card().CloseCard();
    RunSteps({
        {CALL(PulseOutMode(0, 3)), "", {kBoxP}},
        {CALL(PulseOutMode(0, 2)), "", {kBoxN}},
    });
}

}  // namespace
