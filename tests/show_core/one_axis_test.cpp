// The one-axis page: which call each motion type makes, the enabling rows, the poll's
// display values and the interrupt-status text.
#include <gtest/gtest.h>

#include <climits>

#include "one_axis.h"

namespace {

using M = EMotionMethod;

MotionParams Values(int type, int direction) {
    MotionParams p = MakeMotionParams(0, 2);
    p.nMotionType = type;
    p.nDirection = direction;
    p.nStartSpeed = 2000;
    p.nRunSpeed = 4000;
    p.nDistance = 10000;
    p.fTAccTime = 0.25f;
    p.fTDecTime = 0.75f;
    p.fSAccTime = 0.125f;
    p.fSDecTime = 0.375f;
    p.nPosition = 77;  // never sent
    p.nTolerance = 5;
    return p;
}

void ExpectCall(const MotionCall& c, M method, int32_t pulse, int32_t rV, float acc, float sAcc,
                float dec, float sDec, short dir) {
    EXPECT_EQ(c.method, method);
    EXPECT_EQ(c.axis, 2);
    EXPECT_EQ(c.pulse, pulse);
    EXPECT_EQ(c.startSpeed, 2000);
    EXPECT_EQ(c.runSpeed, rV);
    EXPECT_EQ(c.accTime, acc);
    EXPECT_EQ(c.sAccTime, sAcc);
    EXPECT_EQ(c.decTime, dec);
    EXPECT_EQ(c.sDecTime, sDec);
    EXPECT_EQ(c.direction, dir);
}

TEST(MotionTypeTest, EachTypeCallsItsMethodInBothDirections) {
    for (int dir = 0; dir <= 1; ++dir) {
        SCOPED_TRACE(dir);
        const int32_t d = dir ? -10000 : 10000;
        const auto call = [&](int type) { return MotionCallFor(Values(type, dir), 2); };
        ExpectCall(call(0), M::TVMove, 0, 4000, 0.25f, 0, 0, 0, static_cast<short>(dir));
        ExpectCall(call(1), M::StartTRMove, d, 4000, 0.25f, 0, 0, 0, 0);
        ExpectCall(call(2), M::StartTRNMove, d, 4000, 0.25f, 0, 0.75f, 0, 0);
        ExpectCall(call(3), M::StartTAMove, d, 4000, 0.25f, 0, 0, 0, 0);
        ExpectCall(call(4), M::StartTANMove, d, 4000, 0.25f, 0, 0.75f, 0, 0);
        ExpectCall(call(5), M::SVMove, 0, 4000, 0.25f, 0.125f, 0, 0, static_cast<short>(dir));
        ExpectCall(call(6), M::StartSRMove, d, 4000, 0.25f, 0.125f, 0, 0, 0);
        ExpectCall(call(7), M::StartSRNMove, d, 4000, 0.25f, 0.125f, 0.75f, 0.375f, 0);
        ExpectCall(call(8), M::StartSAMove, d, 4000, 0.25f, 0.125f, 0, 0, 0);
        ExpectCall(call(9), M::StartSANMove, d, 4000, 0.25f, 0.125f, 0.75f, 0.375f, 0);
        ExpectCall(call(10), M::ManuMove, 0, 4000, 0, 0, 0, 0, 0);
        ExpectCall(call(11), M::ManuMove2, 0, 1, 0, 0, 0, 0, 0);
    }
    EXPECT_EQ(MotionCallFor(Values(12, 0), 2).method, M::None);
    EXPECT_EQ(MotionCallFor(Values(-1, 0), 2).method, M::None);
}

TEST(MotionTypeTest, DistanceNegatedIn64BitsAndPassedWrapped) {
    EXPECT_EQ(SignedDistance(INT_MIN, 1), 2147483648LL);
    EXPECT_EQ(SignedDistance(INT_MIN, 0), INT_MIN);
    EXPECT_EQ(SignedDistance(INT_MAX, 1), -INT_MAX);
    EXPECT_EQ(SignedDistance(5, -1), -5);  // any direction but 0 is backward at the start
    EXPECT_EQ(WrapToInt32(2147483648LL), INT_MIN);
    EXPECT_EQ(WrapToInt32(-2147483649LL), INT_MAX);
    EXPECT_EQ(WrapToInt32(4294967296LL + 7), 7);

    MotionParams p = Values(1, 1);
    p.nDistance = INT_MIN;
    EXPECT_EQ(MotionCallFor(p, 0).pulse, INT_MIN);
    p.nDistance = INT_MAX;
    EXPECT_EQ(MotionCallFor(p, 0).pulse, -INT_MAX);
    p.nMotionType = 9;
    p.nDistance = -3;
    EXPECT_EQ(MotionCallFor(p, 0).pulse, 3);
}

TEST(MotionTypeTest, ButtonsInGroupOrder) {
    const int ids[12] = {1042, 1044, 1046, 1048, 1050, 1043, 1045, 1047, 1049, 1051, 1052, 1054};
    for (int type = 0; type < 12; ++type) {
        EXPECT_EQ(MotionTypeButtonId(type), ids[type]);
        EXPECT_EQ(MotionTypeOfButton(ids[type]), type);
    }
    EXPECT_EQ(MotionTypeOfButton(1043), 5);
    EXPECT_EQ(MotionTypeOfButton(1053), -1);
    EXPECT_EQ(MotionTypeButtonId(12), 0);
}

TEST(MotionTypeTest, EnablingRows) {
    const int columns[8][2] = {{1059, 0}, {1060, 0}, {1061, 0}, {1062, 0},
                               {1067, 0}, {1063, 0}, {1064, 0}, {1055, 1056}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(kEnableColumnIds[i].first, columns[i][0]);
        EXPECT_EQ(kEnableColumnIds[i].second, columns[i][1]);
    }
    // start, run, distance, T acc, T dec, S acc, S dec, direction; then continuous.
    const char* const rows[12] = {"11010001c", "11110001-", "11111001-", "11110001-",
                                  "11111001-", "11010101c", "11110101-", "11111111-",
                                  "11110101-", "11111111-", "11000000c", "11000000c"};
    for (int type = 0; type < 12; ++type) {
        SCOPED_TRACE(type);
        const MotionTypeRow* row = MotionTypeRowFor(type);
        ASSERT_NE(row, nullptr);
        for (int col = 0; col < 8; ++col) EXPECT_EQ(row->enable[col], rows[type][col] == '1');
        EXPECT_EQ(row->continuous, rows[type][8] == 'c');
    }
    EXPECT_EQ(MotionTypeRowFor(12), nullptr);
    EXPECT_EQ(MotionTypeRowFor(-1), nullptr);
}

OneAxisPollInput Poll(bool continuous, int32_t distance, int32_t direction, int32_t tolerance,
                      int32_t position) {
    OneAxisPollInput in;
    in.continuous = continuous;
    in.distance = distance;
    in.direction = direction;
    in.tolerance = tolerance;
    in.position = position;
    return in;
}

TEST(OneAxisPollTest, ContinuousDriveShowsCommandZero) {
    OneAxisPollDisplay d = OneAxisPollDisplayFor(Poll(true, 10000, 1, 249, 250));
    EXPECT_EQ(d.commandPosition, L"0");
    EXPECT_EQ(d.currentPosition, L"250");
    EXPECT_EQ(d.deviation, L"-250");
    EXPECT_EQ(d.inPosition, L"NO");
    EXPECT_EQ(OneAxisPollDisplayFor(Poll(true, 10000, 0, 250, 250)).inPosition, L"YES");
    EXPECT_EQ(OneAxisPollDisplayFor(Poll(true, 10000, 0, 250, -250)).inPosition, L"YES");
    EXPECT_EQ(OneAxisPollDisplayFor(Poll(true, 10000, 0, 250, -251)).inPosition, L"NO");

    OneAxisPollInput in;  // run state: YES only while driving
    in.runState = 0;
    EXPECT_EQ(OneAxisPollDisplayFor(in).runState, L"YES");
    in.runState = 1;
    EXPECT_EQ(OneAxisPollDisplayFor(in).runState, L"NO");
}

TEST(OneAxisPollTest, PositioningWithToleranceZero) {
    OneAxisPollDisplay d = OneAxisPollDisplayFor(Poll(false, 10000, 1, 0, -10000));
    EXPECT_EQ(d.commandPosition, L"-10000");
    EXPECT_EQ(d.deviation, L"0");
    EXPECT_EQ(d.inPosition, L"YES");
    d = OneAxisPollDisplayFor(Poll(false, 10000, 1, 0, -9999));
    EXPECT_EQ(d.deviation, L"-1");
    EXPECT_EQ(d.inPosition, L"NO");
    d = OneAxisPollDisplayFor(Poll(false, 10000, 0, 3, 9997));
    EXPECT_EQ(d.commandPosition, L"10000");
    EXPECT_EQ(d.deviation, L"3");
    EXPECT_EQ(d.inPosition, L"YES");
    EXPECT_EQ(OneAxisPollDisplayFor(Poll(false, 10000, 0, -1, 10000)).inPosition, L"NO");
}

TEST(OneAxisPollTest, DeviationAtTheExtremes) {
    OneAxisPollDisplay d = OneAxisPollDisplayFor(Poll(false, INT_MIN, 1, INT_MAX, INT_MIN));
    EXPECT_EQ(d.commandPosition, L"2147483648");
    EXPECT_EQ(d.currentPosition, L"-2147483648");
    EXPECT_EQ(d.deviation, L"4294967296");
    EXPECT_EQ(d.inPosition, L"NO");
    d = OneAxisPollDisplayFor(Poll(true, 0, 0, INT_MAX, INT_MIN));
    EXPECT_EQ(d.deviation, L"2147483648");
    EXPECT_EQ(d.inPosition, L"NO");
    d = OneAxisPollDisplayFor(Poll(true, 0, 0, INT_MAX, -INT_MAX));
    EXPECT_EQ(d.inPosition, L"YES");
}

void ExpectInputs(const OneAxisPollDisplay& d, const wchar_t* const (&expected)[8]) {
    for (int bit = 0; bit < 8; ++bit) {
        SCOPED_TRACE(bit);
        EXPECT_EQ(d.inputs[bit], expected[bit]);
    }
}

TEST(OneAxisPollTest, InputBitsOfTheAxis) {
    const int ids[8] = {1074, 1075, 1076, 1077, 1078, 1079, 1080, 1081};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(kInputFieldIds[i], ids[i]);

    OneAxisPollInput in;
    in.inputs = static_cast<int32_t>(0xA55A3C10u);
    in.axis = 3;  // 0xA5: EZ, SD-, EL-, ALM
    OneAxisPollDisplay d = OneAxisPollDisplayFor(in);
    EXPECT_EQ(d.axisInputs, static_cast<int32_t>(0xFFFFFFA5u));
    ExpectInputs(d, {L"HIGH", L"LOW", L"HIGH", L"LOW", L"无效", L"有效", L"LOW", L"HIGH"});
    in.axis = 2;  // 0x5A: ORG, SD+, EL+, INP
    ExpectInputs(OneAxisPollDisplayFor(in),
                 {L"LOW", L"HIGH", L"LOW", L"HIGH", L"有效", L"无效", L"HIGH", L"LOW"});
    in.axis = 1;  // 0x3C
    ExpectInputs(OneAxisPollDisplayFor(in),
                 {L"LOW", L"LOW", L"HIGH", L"HIGH", L"有效", L"有效", L"LOW", L"LOW"});
    in.axis = 0;  // 0x10
    d = OneAxisPollDisplayFor(in);
    EXPECT_EQ(d.axisInputs, static_cast<int32_t>(0xA55A3C10u));
    ExpectInputs(d, {L"LOW", L"LOW", L"LOW", L"LOW", L"有效", L"无效", L"LOW", L"LOW"});
}

TEST(OneAxisPollTest, InterruptStatusText) {
    EXPECT_EQ(InterruptStatusText(0x1234), L"0x001234");
    EXPECT_EQ(InterruptStatusText(0x80), L"0x000080");
    EXPECT_EQ(InterruptStatusText(0), L"0x000000");
    EXPECT_EQ(InterruptStatusText(0xFFFF), L"0x00ffff");
    EXPECT_EQ(InterruptStatusText(0x1ABCDEF), L"0x1abcdef");
}

}  // namespace
