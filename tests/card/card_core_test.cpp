// Unit conversions, check order, the register layer, counters, stops, run state,
// signal modes and the input/output words, through the chip trace and the messages.
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <sstream>

#include "card_support.h"
#include "sim_chip.h"
#include "sim_service.h"

namespace {

using Access = CMotionCardTestAccess;

TEST_F(ClosedCardTest, ConversionVectors) {
    enum Op { Multiple, SV, V, Acc, Dec, Jerk };
    struct Vector {
        Op op;
        uint16_t m;    // preset multiplier (not for Multiple)
        int64_t in;    // governing speed for Multiple, else the client value
        int64_t chip;  // M for Multiple, else the chip value
        int64_t actual;
    };
    // clang-format off
    const Vector vectors[] = {
        // Rounded half up; clamped to 1..500 before the cut to 16 bits.
        {Multiple, 0, 4000000, 500, 0}, {Multiple, 0, 12000, 2, 0}, {Multiple, 0, 11999, 1, 0},
        {Multiple, 0, 3999, 1, 0}, {Multiple, 0, 0, 1, 0}, {Multiple, 0, 20000, 3, 0},
        {Multiple, 0, 100000, 13, 0}, {Multiple, 0, 524288000, 500, 0},
        {Multiple, 0, 4294967295LL, 500, 0},
        {SV, 13, 100000, 7692, 99996}, {SV, 13, 1000, 76, 988}, {SV, 3, 1000, 333, 999},
        {SV, 500, 100, 1, 500}, {SV, 1, 9000, 8000, 8000}, {SV, 1, 0, 0, 0},
        {V, 13, 200000, 15384, 0}, {V, 500, 100, 1, 0}, {V, 1, 9000000, 8000000, 0},
        {V, 4, 16777219, 4194305, 0},  // float32 of 16777219 is 16777220
        {Acc, 1, 100, 1, 125}, {Acc, 1, 0, 0, 0}, {Acc, 1, 200000, 1600, 200000},
        {Acc, 1, 80000, 640, 80000}, {Acc, 1, 79999, 639, 79875},
        {Acc, 1, 1000000000, 8000, 1000000}, {Acc, 500, 8000000, 128, 8000000},
        {Acc, 3, 38000, 101, 37875}, {Dec, 1, 79999, 639, 79875}, {Dec, 3, 38000, 101, 37875},
        {Jerk, 1, 2000000, 31, 2016129}, {Jerk, 1, 2016129, 31, 2016129},
        {Jerk, 1, 0, 65535, 953}, {Jerk, 1, 400000, 156, 400641}, {Jerk, 1, 500000, 125, 500000},
        {Jerk, 500, 2101789568, 14, 2147483647},  // the actual jerk saturates
    };
    // clang-format on
    CMotionCard& card = Card();
    for (const Vector& v : vectors) {
        SCOPED_TRACE(::testing::Message() << "op " << v.op << " M " << v.m << " in " << v.in);
        if (v.op != Multiple) Access::SetMultiple(card, 2, v.m);
        const int32_t in = static_cast<int32_t>(v.in);
        const auto convert = [&]() -> std::pair<int64_t, int64_t> {
            switch (v.op) {
                case Multiple:
                    Access::ChooseMultiple(card, 2, static_cast<uint32_t>(v.in));
                    return {Access::Multiple(card, 2), 0};
                case SV:
                    return {Access::SpeedToSV(card, 2, in), Access::StartSpeed(card, 2)};
                case V:
                    return {Access::SpeedToV(card, 2, in), 0};
                case Acc:
                    return {Access::AccelToA(card, 2, in), Access::Accel(card, 2)};
                case Dec:
                    return {Access::DecelToD(card, 2, in), Access::Decel(card, 2)};
                default:
                    return {Access::JerkToK(card, 2, in), Access::Jerk(card, 2)};
            }
        };
        const std::pair<int64_t, int64_t> result = convert();
        EXPECT_EQ(result.first, v.chip);
        EXPECT_EQ(result.second, v.actual);
    }
}

// Group B: argument checks, then the open check; a refused call reaches no bridge.
TEST_F(ClosedCardTest, CheckOrderOnAClosedCard) {
    vornsim::ClearRequests();
    RunSteps({
        {CALL(TVMove(0, 1000, 2000, 0.5f, 0)), "", {kBoxN}, -1},
        {CALL(TVMove(0, -1, 2000, 0.5f, 0)), "", {kBoxP}, -1},
        {CALL(StartTANMove(0, 100, -1, 2000, 0.5f, 0.5f)), "", {kBoxN}, -1},
        {CALL(ManuMove(3, -1, -1)), "", {kBoxN}, -1},
        {CALL(RunState(7)), "", {kBoxN}, 0},
        {CALL(GetPosition(0)), "", {kBoxN}, 0},
        {CALL(GetInput()), "", {kBoxN}, 0},
        {CALL(Setoutput(1)), "", {kBoxN}},
        {CALL(StopAllDec()), "", {kBoxN}},
        {CALL(SetComP(0, 5)), "", {kBoxN}},
        {CALL(SetInterrupt(0, 1)), "", {kBoxN}, -1},
        {CALL(SetInterrupt(5, 1)), "", {kBoxP}, -1},
        {CALL(VChange(4, 100)), "", {kBoxP}},
        {CALL(GetPosition(7)), "", {kBoxP}, 0},  // the axis comes first
        {CALL(LineRMove(0, 1, 1, 1, 0, -9, 0.5f)), "", {kBoxP}},
        {CALL(LineAMove(7, 0, 1, 1, 0, 9, 0.5f)), "", {kBoxP}},
        {CALL(LineAMove(0, 1, 1000, 1000, 1000, 9000, 0.5f)), "", {kBoxN}},
    });
    EXPECT_TRUE(vornsim::Requests().empty()) << "a refused call reached the bridge";
    // On an open card the absolute drive reads the position before its speed checks.
    ASSERT_EQ(Card().InitCard(0, nullptr), 0);
    RunSteps({{CALL(StartTANMove(0, 100, -1, 2000, 0.5f, 0.5f)), "W0=0110 R12 R14", {kBoxP}, -1}});
}

// Group C, and axes above U (their bit would reach the reset bit of the command word).
TEST_F(CardTest, RegisterLayerCountersStopsRunState) {
    RunSteps({
        {CALL(SetPosition(0, -1)), "W14=FFFF W12=FFFF W0=0109"},
        {CALL(GetPosition(0)), "W0=0110 R12 R14", {}, -1},
        {CALL(SetPosition(3, 8000000)), "W14=007A W12=1200 W0=0809"},
        {CALL(SetPosition(2, INT32_MIN)), "W14=8000 W12=0000 W0=0409"},
        {CALL(GetPosition(2)), "W0=0410 R12 R14", {}, INT32_MIN},
        {CALL(SetExPosition(0, 0x12345678)), "W14=1234 W12=5678 W0=010A"},
        {CALL(GetExPosition(0)), "W0=0111 R12 R14", {}, 0x12345678},
        {CALL(SetComP(1, -5)), "W14=FFFF W12=FFFB W0=020B"},
        {CALL(SetComM(2, 100000)), "W14=0001 W12=86A0 W0=040C"},
        {CALL(Stop2AxisDec(0, 3)), "W0=0926"},
        {CALL(Stop2AxisInst(1, 1)), "", {kBoxP}},
        {CALL(Stop3AxisInst(0, 1, 2)), "W0=0727"},
        {CALL(Stop3axisDec(0, 1, 0)), "", {kBoxP}},
        {CALL(StopAllDec()), "W0=0F26"},
        {CALL(StopAllInst()), "W0=0F27"},
        {CALL(StopAxisDec(2)), "W0=0426"},
        {CALL(StopAxisInst(3)), "W0=0827"},
        {CALL(StopAxisDec(4)), "", {kBoxP}},
        {CALL(VChange(0, 0)), "W12=0001 W0=0105"},
        {CALL(TVMove(0, 1000, 100000, 0.5f, 0)), "W14=0009 W12=63D8 W0=0100 ..."},  // M 13
        {CALL(RunState(0)), "R0", {}, 0},
        {CALL(VChange(0, 100000)), "W12=1E0C W0=0105"},
        {CALL(VChange(0, 200000)), "W12=1F40 W0=0105"},
        {CALL(StopAxisInst(0)), "W0=0127"},
        {CALL(RunState(0)), "R0", {}, 1},
        {CALL(RunState(7)), "R0", {kBoxP}, 1},  // answered for U
        {CALL(GetPosition(7)), "", {kBoxP}, 0},
        {CALL(SetPosition(-1, 5)), "", {kBoxP}},
        {CALL(SetComP(8, 5)), "", {kBoxP}},
        {CALL(SetComM(-32768, 5)), "", {kBoxP}},
        {"WriteCommand(7, 0x09)", [](CMotionCard& c) { Access::WriteCommand(c, 7, 0x09); }, ""},
        // A box's modal loop can run an event handler that closes the card; RunState then
        // starts its chip access afresh and finds the card closed.
        {"RunState(9), closed from its box",
         [this](CMotionCard& c) {
             m_boxHook = [&c] { c.CloseCard(); };
             return c.RunState(9);
         },
         "",
         {kBoxP},
         0},
    });
    vornsim::WithChip(0, [](SimChip& chip) { EXPECT_EQ(chip.IllegalCommands(), 0); });
}

// GetInput with the chip's input bytes RR4, RR5 and each axis's RR2 set as given.
CardStep InputStep(uint16_t rr4, uint16_t rr5, std::vector<uint16_t> rr2, uint32_t word) {
    const auto call = [=](CMotionCard& c) {
        vornsim::WithChip(0, [&](SimChip& chip) {
            chip.SetRR4(rr4);
            chip.SetRR5(rr5);
            for (int axis = 0; axis < 4; ++axis) chip.SetRR2(axis, rr2[axis]);
        });
        return c.GetInput();
    };
    return {"GetInput",
            call,
            "R8 R10 W0=010F R4 W0=020F R4 W0=040F R4 W0=080F R4",
            {},
            static_cast<int32_t>(word)};
}

// Group D: read-modify-write of the mode shadows, one register write each.
TEST_F(CardTest, SignalModesAndInputOutputWords) {
    RunSteps({
        {CALL(PulseOutMode(0, 1)), "W0=010F W4=0258"},
        {CALL(PulseOutMode(0, 2)), "W0=010F W4=0358"},
        {CALL(PulseOutMode(0, 0)), "W0=010F W4=0218"},
        {CALL(PulseOutMode(0, -1)), "", {kBoxP}},
        {CALL(LevelMode(0, 2)), "", {kBoxP}},
        {CALL(SignalSoftLmt(0, 1)), "W0=010F W4=0219"},  // the refusals left the shadow
        {CALL(LevelMode(0, 1)), "W0=010F W4=0299"},
        {CALL(LevelMode(0, 0)), "W0=010F W4=0219"},
        {CALL(SignalSoftLmt(0, 0)), "W0=010F W4=0218"},
        {CALL(InputMode(1, 7)), "W0=020F W4=0218"},
        {CALL(InputMode(1, 0)), "W0=020F W4=0818"},
        {CALL(SignalOrg(2, 3)), ""},
        {CALL(SignalOrg(2, 1)), "W0=040F W2=000C"},
        {CALL(SignalOrg(2, 2)), "W0=040F W2=0008"},
        {CALL(SignalHardLmt(0, 2)), "W0=010F W4=0200"},
        {CALL(SignalHardLmt(0, 0)), "W0=010F W4=0218"},
        {CALL(WhoCheckCom(0, 1)), "W0=010F W4=0238"},
        {CALL(WhoCheckCom(0, 2)), "", {kBoxP}},
        {CALL(WhoCheckCom(0, 0)), "W0=010F W4=0218"},
        {CALL(SignalHardLmt(0, 1)), "W0=010F W4=021C"},
        {CALL(SignalAlmInp(3, 0x1F)), "W0=080F W4=F218"},
        {CALL(SignalSoftLmt(3, 6)), "W0=080F W4=F21A"},
        {CALL(Setoutput(0x5A5A)), "W8=5A5A"},
        InputStep(0xFFFF, 0xFFFF, {0, 0, 0, 0}, 0xCFCFCFCF),
        InputStep(0, 0, {12, 12, 12, 12}, 0x30303030),
        InputStep(0, 0, {0, 0, 0, 4}, 0x10000000),
        // Other RR2 bits stay out; each input byte lands in its axis's byte.
        InputStep(0x0102, 0x0408, {0xFFF3, 8, 0, 0}, 0x04082102),
    });
    ExpectShadowsMatchChip();
    vornsim::WithChip(0, [](SimChip& chip) { EXPECT_EQ(chip.WR4(), 0x5A5A); });
}

TEST(CardMessageLog, AppendsEachMessageAsOneUtf8Line) {
    wchar_t directory[MAX_PATH];
    wchar_t path[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, directory), 0u);
    ASSERT_NE(GetTempFileNameW(directory, L"vmb", 0, path), 0u);
    ASSERT_TRUE(SetEnvironmentVariableW(L"VORN305Q_MSGBOX_LOG", path));
    ShowCardMessage(card_text::kBadParameter);
    EXPECT_EQ(CMotionCard().GetPosition(0), 0);  // a closed card refuses
    SetEnvironmentVariableW(L"VORN305Q_MSGBOX_LOG", nullptr);
    std::stringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    DeleteFileW(path);
    EXPECT_EQ(content.str(),
              "Kestrin: \xe5\x8f\x82\xe6\x95\xb0\xe8\xae\xbe\xe7\xbd\xae\xe6\x9c\x89\xe8\xaf\xaf!\n"
              "Kestrin: \xe8\xaf\xb7\xe5\xb0\x86\xe6\x8e\xa7\xe5\x88\xb6\xe5\x8d\xa1\xe5\x88\x9d"
              "\xe5\xa7\x8b\xe5\x8c\x96\xe5\x90\x8e\xe5\x86\x8d\xe4\xbd\xbf\xe7\x94\xa8!\n");
}

}  // namespace
