// Single-axis drives and interpolation through the chip trace, then moves running on
// the simulated chip's virtual clock.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>

#include "card_support.h"
#include "sim_chip.h"
#include "sim_service.h"

namespace {

// A step whose call starts with the chip's logical position of X preset (no trace).
#define CALL_FROM_X(lp, expr) \
#expr " from X " #lp, [](CMotionCard & c) { return SetChipPosition(0, lp), c.expr; }

// Group F, each call on a card just opened.
TEST_F(CardTest, SingleAxisDrives) {
    RunSteps(
        {
            {CALL(TVMove(0, 5000, 5000, 0.5f, 0)),
             "W14=007A W12=1200 W0=0100 W12=1388 W0=0104 W12=1388 W0=0105 W0=0122"},
            // The double quotient 79999.9988 is truncated; StartTRMove rounds to float first.
            {CALL(TVMove(0, 1000, 9000, 0.1f, 0)),
             "W14=007A W12=1200 W0=0100 W12=027F W0=0102 W12=03E8 W0=0104 W12=1F40 W0=0105 "
             "W0=0122"},
            {CALL(StartTRMove(0, 1000, 1000, 9000, 0.1f)),
             "W14=007A W12=1200 W0=0100 W12=03E8 W0=0104 W12=0280 W0=0102 W0=010F W6=0000 "
             "W0=010F W6=0000 W0=013B W12=1F40 W0=0105 W14=0000 W12=03E8 W0=0106 W0=0120"},
            {CALL(TVMove(0, 0, 4000000, 0.5f, 0)),
             "W14=0000 W12=3E80 W0=0100 W12=0080 W0=0102 W12=0001 W0=0104 W12=1F40 W0=0105 "
             "W0=0122"},
            {CALL(TVMove(0, 0, 12000, 0.5f, 0)), "W14=003D W12=0900 W0=0100 ..."},
            {CALL(TVMove(0, 0, 11999, 0.5f, 0)), "W14=007A W12=1200 W0=0100 ..."},
            {CALL(TVMove(0, 4000001, 9000, 0.5f, 0)), "", {kBoxP}, -1},
            {CALL(TVMove(0, 0, -1, 0.5f, 0)), "", {kBoxP}, -1},
            {CALL(StartTRMove(3, -268435455, 1000, 9000, 0.1f)),
             "... W14=0FFF W12=FFFF W0=0806 W0=0821"},
            {CALL(StartTRMove(3, -268435456, 1000, 9000, 0.1f)), "", {kBoxP}, -1},
            {CALL(StartTRMove(3, INT32_MIN, 1000, 9000, 0.1f)), "", {kBoxP}, -1},
            {CALL(StartTRMove(0, 100, 9000, 2000, 0.5f)),
             "W14=007A W12=1200 W0=0100 W12=1F40 W0=0104 W0=010F W6=0000 W0=010F W6=0000 "
             "W0=013B W12=1F40 W0=0105 W14=0000 W12=0064 W0=0106 W0=0120"},
            {CALL(TVMove(0, 9000, 2000, 0.5f, 1)),
             "W14=007A W12=1200 W0=0100 W12=1F40 W0=0104 W12=07D0 W0=0105 W0=0123"},
            {CALL(SVMove(1, 1000, 9000, 0.2f, 0.1f, 0)),
             "W14=007A W12=1200 W0=0200 W0=020F W6=0004 W12=03E8 W0=0204 W12=0140 W0=0202 "
             "W12=009C W0=0201 W12=1F40 W0=0205 W0=0222"},
            {CALL(SVMove(0, 9000, 1000, 0.2f, 0.1f, 0)), "", {kBoxP}, -1},
            {CALL(TVMove(0, 9000, 1000, 0.5f, 0)),
             "W14=007A W12=1200 W0=0100 W12=1F40 W0=0104 W12=03E8 W0=0105 W0=0122"},
            {CALL(StartSRMove(0, 5000, 1000, 9000, 0.2f, 0.1f)),
             "W14=007A W12=1200 W0=0100 W12=03E8 W0=0104 W12=0140 W0=0102 W12=009C W0=0101 "
             "W0=010F W6=0000 W0=010F W6=0004 W0=013B W12=1F40 W0=0105 W14=0000 W12=1388 "
             "W0=0106 W0=0120"},
            {CALL(StartTRNMove(2, -3000, 1000, 9000, 0.1f, 0.2f)),
             "W14=007A W12=1200 W0=0400 W12=03E8 W0=0404 W0=040F W6=0002 W12=0280 W0=0402 "
             "W12=0140 W0=0403 W0=040F W6=0002 W0=043B W12=1F40 W0=0405 W14=0000 W12=0BB8 "
             "W0=0406 W0=0421"},
            {CALL(StartSRNMove(0, 1000, 0, 10000, 0.2f, 0.1f, 0.2f, 0.1f)),
             "W14=007A W12=1200 W0=0100 W12=0001 W0=0104 W0=010F W6=0002 W12=0190 W0=0102 "
             "W12=0190 W0=0103 W12=007D W0=0101 W0=010F W6=0006 W0=013B W12=1F40 W0=0105 "
             "W14=0000 W12=03E8 W0=0106 W0=0120"},
            {CALL(StartSRNMove(0, 1000, 0, 10000, 0.2f, 0.7f, 0.2f, 0.1f)),
             "... W12=0190 W0=0103 ..."},
            {CALL_FROM_X(500, StartTAMove(0, 500, 1000, 9000, 0.1f)),
             "W14=007A W12=1200 W0=0100 W0=0110 R12 R14 W12=03E8 W0=0104 W12=027F W0=0102 "
             "W0=010F W6=0000 W0=010F W6=0000 W0=013B W12=1F40 W0=0105 W14=0000 W12=0000 "
             "W0=0106 W0=0121"},
            {CALL_FROM_X(500, StartTANMove(0, 500, 1000, 9000, 0.1f, 0.1f)),
             "W0=0110 R12 R14 W14=007A W12=1200 W0=0100 W12=03E8 W0=0104 W0=010F W6=0002 "
             "W12=0280 W0=0102 W12=0280 W0=0103 W0=010F W6=0002 W0=013B W12=1F40 W0=0105 "
             "W14=0000 W12=0000 W0=0106 W0=0120"},
            {CALL(StartTAMove(0, 268435456, 1000, 9000, 0.1f)), "", {kBoxP}, -1},
            // A distance beyond the drive range is refused, not cut short; the
            // multiplier and range before the position read stay written.
            {CALL(StartTAMove(0, -300000000, 1000, 9000, 0.1f)),
             "W14=007A W12=1200 W0=0100 W0=0110 R12 R14",
             {kBoxP},
             -1},
            {CALL(StartSAMove(0, -300000000, 1000, 9000, 0.2f, 0.1f)),
             "W14=007A W12=1200 W0=0100 W0=0110 R12 R14",
             {kBoxP},
             -1},
            // 2147483647 - (-2147483548) wraps to -101 in 32 bits.
            {CALL_FROM_X(-2147483548, StartTANMove(0, 2147483647, 1000, 2000, 0.5f, 0.5f)),
             "W0=0110 R12 R14",
             {kBoxP},
             -1},
            {CALL(ManuMove(0, 20000, 30000)), "W12=1F40 W0=0104 W12=1F40 W0=0105 W0=010F W6=0008"},
            {CALL(TVMove(0, 1000, 2000, -0.001f, 0)), "", {kBoxP}, -1},
            {CALL(TVMove(0, 1000, 2000, NAN, 0)), "", {kBoxP}, -1},
            {CALL(StartTRNMove(0, 100, 5000, 1000, 0.5f, 0.5f)), "", {kBoxP}, -1},
            // -0.0 is +0.0: the fastest ramp, as the setter's maximum.
            {CALL(TVMove(0, 1000, 2000, -0.0f, 0)),
             "W14=007A W12=1200 W0=0100 W12=1F40 W0=0102 W12=03E8 W0=0104 W12=07D0 W0=0105 "
             "W0=0122"},
            {CALL(TVMove(0, 1000, 2000, 0.0f, 0)),
             "W14=007A W12=1200 W0=0100 W12=1F40 W0=0102 W12=03E8 W0=0104 W12=07D0 W0=0105 "
             "W0=0122"},
        },
        true);
    // TVMove drops the S-curve a drive before left, and only then writes WR3.
    RunSteps({
        {CALL(SVMove(0, 1000, 9000, 0.2f, 0.1f, 0)),
         "W14=007A W12=1200 W0=0100 W0=010F W6=0004 W12=03E8 W0=0104 W12=0140 W0=0102 "
         "W12=009C W0=0101 W12=1F40 W0=0105 W0=0122"},
        {CALL(TVMove(0, 5000, 5000, 0.5f, 0)),
         "W14=007A W12=1200 W0=0100 W0=010F W6=0000 W12=1388 W0=0104 W12=1388 W0=0105 W0=0122"},
        {CALL(TVMove(0, 5000, 5000, 0.5f, 0)),
         "W14=007A W12=1200 W0=0100 W12=1388 W0=0104 W12=1388 W0=0105 W0=0122"},
        {CALL(ManuMove2(1, 3000, -1)),
         "W12=0BB8 W0=0204 W12=0BB8 W0=0205 W14=0000 W12=FFFF W0=0206 W0=020F W6=0018"},
        {CALL(RunState(1)), "R0", {}, 1},
    });
    ExpectShadowsMatchChip();
}

// The circle of centre (1000, 0) and end (2000, 0) on X and Y, sV 1000, rV 20000,
// Tacc 0.5, up to its start command.
const std::string kCircle =
    "W10=0004 W10=0104 W14=0028 W12=B0AA W0=0100 W14=0039 W12=8B63 W0=0200 W0=010F W6=0000 "
    "W0=010F W6=0000 W0=013B W14=0000 W12=03E8 W0=0108 W14=0000 W12=0000 W0=0208 W14=0000 "
    "W12=07D0 W0=0106 W14=0000 W12=0000 W0=0206 W12=0065 W0=0102 W12=014D W0=0104 W12=1A0A "
    "W0=0105";

// Group G, each call on a card just opened.
TEST_F(CardTest, Interpolation) {
    RunSteps(
        {
            {CALL(LineRMove(0, 1, 1000, -2000, 1000, 20000, 0.5f)),
             "W10=0004 W0=010F W6=0000 W0=020F W6=0000 W0=010F W6=0000 W0=020F W6=0000 "
             "W0=013B W0=023B W14=0000 W12=03E8 W0=0106 W14=FFFF W12=F830 W0=0206 W12=0065 "
             "W0=0102 W12=0130 W0=0202 W12=014D W0=0104 W12=03E8 W0=0204 W12=1A0A W0=0105 "
             "W12=1F40 W0=0205 W10=0104 W14=0028 W12=B0AA W0=0100 W14=0039 W12=8B63 W0=0200 "
             "W0=0030"},
            // Y is the main axis, yet the pair code still puts X in bits 0-1.
            {CALL(LineRMove(1, 0, 100, 200, 1000, 9000, 0.5f)),
             "W10=0004 W0=020F W6=0000 W0=010F W6=0000 W0=020F W6=0000 W0=010F W6=0000 "
             "W0=023B W0=013B W14=0000 W12=0064 W0=0206 W14=0000 W12=00C8 W0=0106 W12=0080 "
             "W0=0202 W12=0080 W0=0102 W12=03E8 W0=0204 W12=03E8 W0=0104 W12=1F40 W0=0205 "
             "W12=1F40 W0=0105 W10=0104 W14=007A W12=1200 W0=0200 W14=007A W12=1200 W0=0100 "
             "W0=0030"},
            {CALL(LineRMove(0, 1, 100, 200, 5000, 3000, 0.5f)),
             "W10=0004 W0=010F W6=0000 W0=020F W6=0000 W0=010F W6=0000 W0=020F W6=0000 "
             "W0=013B W0=023B W14=0000 W12=0064 W0=0106 W14=0000 W12=00C8 W0=0206 W12=1388 "
             "W0=0105 W12=1388 W0=0205 W10=0104 W14=007A W12=1200 W0=0100 W14=007A W12=1200 "
             "W0=0200 W0=0030"},
            {CALL(Line3RMove(0, 1, 2, -500, 100, 0, 1000, 20000, 0.5f)),
             "W10=0009 W0=020F W6=0000 W0=040F W6=0000 W0=010F W6=0000 W0=020F W6=0000 "
             "W0=040F W6=0000 W0=010F W6=0000 W0=023B W0=043B W0=013B W14=0000 W12=0064 "
             "W0=0206 W14=0000 W12=0000 W0=0406 W14=FFFF W12=FE0C W0=0106 W12=0065 W0=0202 "
             "W12=0130 W0=0402 W12=0130 W0=0102 W12=014D W0=0204 W12=03E8 W0=0404 W12=03E8 "
             "W0=0104 W12=1A0A W0=0205 W12=1F40 W0=0405 W12=1F40 W0=0105 W10=0309 W14=0028 "
             "W12=B0AA W0=0200 W14=0039 W12=8B63 W0=0400 W14=0046 W12=7A31 W0=0100 W0=0031"},
            {CALL(Line3RMove(0, 1, 2, 100, 100, 50, 3000, 3000, 0.5f)),
             "W10=0024 W0=010F W6=0000 W0=020F W6=0000 W0=040F W6=0000 W0=010F W6=0000 "
             "W0=020F W6=0000 W0=040F W6=0000 W0=013B W0=023B W0=043B W14=0000 W12=0064 "
             "W0=0106 W14=0000 W12=0064 W0=0206 W14=0000 W12=0032 W0=0406 W12=0BB8 W0=0105 "
             "W12=0BB8 W0=0205 W12=0BB8 W0=0405 W10=0324 W14=007A W12=1200 W0=0100 W14=007A "
             "W12=1200 W0=0200 W14=007A W12=1200 W0=0400 W0=0031"},
            {CALL(CircleDrawR(0, 1, 1000, 0, 2000, 0, 1000, 20000, 0.5f, 0)), kCircle + " W0=0033"},
            {CALL(CircleDrawR(0, 1, 1000, 0, 2000, 0, 1000, 20000, 0.5f, 1)), kCircle + " W0=0032"},
            {CALL(CircleDrawR(0, 1, 1000, 0, 2000, 0, 1000, 20000, 0.5f, -1)),
             kCircle + " W0=0032"},
            {CALL(LineRMove(0, 1, 8388607, -8388607, 5000, 3000, 0.5f)),
             "... W14=007F W12=FFFF W0=0106 W14=FF80 W12=0001 W0=0206 ..."},
            {CALL(LineRMove(0, 1, 8388608, 0, 5000, 3000, 0.5f)), "", {kBoxP}},
            {CALL(Line3RMove(0, 1, 2, 0, -8388608, 0, 5000, 3000, 0.5f)), "", {kBoxP}},
            {CALL(CircleDrawR(0, 1, 5, 0, INT32_MIN, 0, 1000, 2000, 0.5f, 0)), "", {kBoxP}},
            {CALL(LineRMove(2, 2, 1, 1, 0, 9, 0.5f)), "", {kBoxP}},
            {CALL(Line3RMove(0, 1, 0, 1, 1, 1, 0, 9, 0.5f)), "", {kBoxP}},
            {CALL(CircleDrawR(3, 3, 5, 0, 0, 0, 0, 9, 0.5f, 0)), "", {kBoxP}},
            {CALL(LineAMove(1, 1, 1, 1, 0, 9, 0.5f)), "", {kBoxP}},
            {CALL(LineAMove(7, 0, 1, 1, 0, 9, 0.5f)), "", {kBoxP}},
            {"LineAMove from (300, -200)",
             [](CMotionCard& c) {
                 SetChipPosition(0, 300);
                 SetChipPosition(1, -200);
                 c.LineAMove(0, 1, 1000, 1000, 1000, 9000, 0.5f);
             },
             "W0=0110 R12 R14 W0=0210 R12 R14 W10=0004 W0=010F W6=0000 W0=020F W6=0000 "
             "W0=010F W6=0000 W0=020F W6=0000 W0=013B W0=023B W14=0000 W12=02BC W0=0106 "
             "W14=0000 W12=04B0 W0=0206 W12=0080 W0=0102 W12=0080 W0=0202 W12=03E8 W0=0104 "
             "W12=03E8 W0=0204 W12=1F40 W0=0105 W12=1F40 W0=0205 W10=0104 W14=007A W12=1200 "
             "W0=0100 W14=007A W12=1200 W0=0200 W0=0030"},
            {CALL(CircleDrawA(0, 1, 1000, 0, 2000, 0, 1000, 20000, 0.5f, 0)),
             "W0=0110 R12 R14 W0=0210 R12 R14 W0=0110 R12 R14 W0=0210 R12 R14 " + kCircle +
                 " W0=0033"},
            // A difference beyond 32 bits must not wrap into a small coordinate.
            {CALL_FROM_X(-2147483548, LineAMove(0, 1, 2147483647, 0, 1000, 9000, 0.5f)),
             "W0=0110 R12 R14 W0=0210 R12 R14",
             {kBoxP}},
            // sV > rV stays accepted: the wrapped difference saturates to A = 8000.
            {CALL(CircleDrawR(0, 1, 100, 0, 200, 0, 2000, 1000, 0.5f, 0)),
             "W10=0004 W10=0104 W14=007A W12=1200 W0=0100 W14=007A W12=1200 W0=0200 W0=010F "
             "W6=0000 W0=010F W6=0000 W0=013B W14=0000 W12=0064 W0=0108 W14=0000 W12=0000 "
             "W0=0208 W14=0000 W12=00C8 W0=0106 W14=0000 W12=0000 W0=0206 W12=1F40 W0=0102 "
             "W12=07D0 W0=0104 W12=03E8 W0=0105 W0=0033"},
            // A negative or undefined time gives no acceleration: the setter's minimum.
            {CALL(CircleDrawR(2, 3, -100, 0, -200, 0, 1000, 2000, NAN, 0)),
             "... W12=0001 W0=0402 W12=03E8 W0=0404 ..."},
            {CALL(CircleDrawR(2, 3, -100, 0, -200, 0, 1000, 2000, -0.5f, 0)),
             "... W12=0001 W0=0402 W12=03E8 W0=0404 ..."},
            // An absurd speed keeps the largest multiplier instead of wrapping at 16 bits.
            {CALL(CircleDrawR(2, 3, -100, 0, -200, 0, 1000, 524288000, 0.5f, 0)),
             "... W14=0000 W12=3E80 W0=0400 ..."},
        },
        true);
}

bool AnyDriving() {
    bool driving = false;
    for (int axis = 0; axis < 4; ++axis) driving = driving || ChipDriving(axis);
    return driving;
}

double NowSeconds() { return static_cast<double>(vornsim::NowNs()) / 1e9; }

// Advances in steps until no axis drives, probing after each; the virtual time of the
// stop, or -1 after ten simulated seconds.
double RunUntilStopped(uint64_t stepUs, const std::function<void()>& probe = {}) {
    const double deadline = NowSeconds() + 10;
    while (AnyDriving()) {
        if (NowSeconds() >= deadline) return -1;
        vornsim::Advance(stepUs);
        if (probe) probe();
    }
    return NowSeconds();
}

// The chip's rates by the unit relations (M = 8000000 / R): speeds SV·M and V·M,
// acceleration A·125·M, deceleration D·125·M when WR3 bit 1 asks for it, else A's.
struct Rates {
    double vs, v, acc, dec;
};
Rates ChipRates(int axis) {
    SimChip::AxisParams p{};
    uint16_t wr3 = 0;
    vornsim::WithChip(0, [&](SimChip& chip) {
        p = chip.Params(axis);
        wr3 = chip.WR3(axis);
    });
    const double m = 8000000.0 / p.range;
    const double acc = p.accel * 125.0 * m;
    return {p.startSpeed * m, p.driveSpeed * m, acc, (wr3 & 2) ? p.decel * 125.0 * m : acc};
}

// A linear fixed drive of n pulses: a trapezoid, or a triangle when the ramps overlap.
double ClosedFormSeconds(int axis, double n) {
    const Rates r = ChipRates(axis);
    const double up = (r.v * r.v - r.vs * r.vs) / (2 * r.acc);
    const double down = (r.v * r.v - r.vs * r.vs) / (2 * r.dec);
    if (up + down <= n) return (r.v - r.vs) / r.acc + (r.v - r.vs) / r.dec + (n - up - down) / r.v;
    const double peak =
        std::sqrt((2 * n * r.acc * r.dec + r.vs * r.vs * (r.acc + r.dec)) / (r.acc + r.dec));
    return (peak - r.vs) / r.acc + (peak - r.vs) / r.dec;
}

TEST_F(CardTest, FixedDrivesEndAtTheirCountAndTime) {
    using Start = std::function<short(CMotionCard&)>;
    const std::tuple<short, int32_t, Start> cases[] = {
        {0, 10000, [](CMotionCard& c) { return c.StartTRMove(0, 10000, 1000, 20000, 0.2f); }},
        {2, 300, [](CMotionCard& c) { return c.StartTRMove(2, 300, 1000, 50000, 1.0f); }},
        {1, -8000, [](CMotionCard& c) { return c.StartTRNMove(1, -8000, 500, 16000, 0.1f, 0.4f); }},
    };
    for (const auto& [axis, pulses, start] : cases) {
        SCOPED_TRACE(pulses);
        const double startAt = NowSeconds();
        ASSERT_EQ(start(Card()), 0);
        const double expected = ClosedFormSeconds(axis, std::abs(pulses));
        vornsim::Advance(static_cast<uint64_t>(expected * 0.97e6));
        EXPECT_TRUE(ChipDriving(axis));
        const double end = RunUntilStopped(100);
        ASSERT_GE(end, 0);
        EXPECT_NEAR(end - startAt, expected, expected * 0.02);
        EXPECT_EQ(Card().GetPosition(axis), pulses);
        EXPECT_EQ(Card().RunState(axis), 1);
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CardTest, DeceleratingStopEndsLaterThanAnInstantOne) {
    ASSERT_EQ(Card().TVMove(0, 1000, 20000, 0.2f, 0), 0);
    ASSERT_EQ(Card().TVMove(1, 1000, 20000, 0.2f, 1), 0);
    vornsim::Advance(500000);
    EXPECT_EQ(ChipPosition(0), -ChipPosition(1));
    EXPECT_GT(ChipPosition(0), 0);
    const double stopAt = NowSeconds();
    Card().StopAxisDec(0);
    Card().StopAxisInst(1);
    EXPECT_EQ(Card().RunState(1), 1);
    EXPECT_EQ(Card().RunState(0), 0);
    const int32_t yStopped = ChipPosition(1);
    const double end = RunUntilStopped(100);
    ASSERT_GE(end, 0);
    const Rates r = ChipRates(0);
    const double ramp = (r.v - r.vs) / r.dec;  // from V·M down to SV·M
    EXPECT_NEAR(end - stopAt, ramp, ramp * 0.02);
    EXPECT_GT(ChipPosition(0), -yStopped);
    EXPECT_EQ(ChipPosition(1), yStopped);
}

// Circles of radius 1000 (centre and end relative to the start, direction): a full turn
// each way, and three quarters.
TEST_F(CardTest, CirclesStayWithinOnePulseAndEndAtTheirEndPoint) {
    const int32_t circles[][5] = {
        {1000, 0, 0, 0, 0}, {0, -1000, 0, 0, 1}, {-1000, 0, -1000, 1000, 1}};
    for (const auto& c : circles) {
        SCOPED_TRACE(c[4]);
        const int32_t x0 = ChipPosition(0);
        const int32_t y0 = ChipPosition(1);
        double worst = 0;
        double farthest = 0;
        const auto probe = [&] {
            const double x = ChipPosition(0) - x0;
            const double y = ChipPosition(1) - y0;
            worst = std::max(worst, std::abs(std::hypot(x - c[0], y - c[1]) - 1000));
            farthest = std::max(farthest, std::hypot(x, y));
        };
        Card().CircleDrawR(0, 1, c[0], c[1], c[2], c[3], 1000, 20000, 0.2f, short(c[4]));
        ASSERT_GE(RunUntilStopped(20, probe), 0);
        EXPECT_LE(worst, 1.0);
        EXPECT_EQ(ChipPosition(0), x0 + c[2]);
        EXPECT_EQ(ChipPosition(1), y0 + c[3]);
        EXPECT_NEAR(farthest, 2000.0, 1.5);  // it went round
    }
}

using MotionInterruptTest = RelayTest;

TEST_F(MotionInterruptTest, DriveEndArrivesOncePerParticipatingAxis) {
    for (short axis = 0; axis < 4; ++axis) ASSERT_EQ(Card().SetInterrupt(axis, 0x80), 0);
    Card().Line3RMove(3, 0, 2, -500, 2000, 1500, 1000, 30000, 0.1f);
    for (int step = 0; step < 200 && AnyDriving(); ++step) {
        vornsim::Advance(5000);
        PumpFor(2);
    }
    ASSERT_FALSE(AnyDriving());
    PumpUntil([&] { return m_events.size() >= 3; });
    PumpFor(100);
    std::vector<std::pair<short, long>> events = Events();
    std::sort(events.begin(), events.end());
    EXPECT_EQ(events, (std::vector<std::pair<short, long>>{{0, 0x80}, {2, 0x80}, {3, 0x80}}));
    EXPECT_EQ(
        std::vector<int32_t>({ChipPosition(0), ChipPosition(1), ChipPosition(2), ChipPosition(3)}),
        std::vector<int32_t>({2000, 0, 1500, -500}));
}

}  // namespace
