// The chip's command setters: each writes its clamped value to one or both data
// registers, then its command for the axis. Values just outside and at each clamp.
#include <cstdint>

#include "card_support.h"
#include "sim_chip.h"
#include "sim_service.h"

// The setters are the card's own; a derived card reaches them.
class CSetterCard : public CMotionCard {
public:
    using CMotionCard::SetAccel;
    using CMotionCard::SetAccOffset;
    using CMotionCard::SetCenter;
    using CMotionCard::SetCompMinus;
    using CMotionCard::SetCompPlus;
    using CMotionCard::SetDecel;
    using CMotionCard::SetDecelPoint;
    using CMotionCard::SetDriveSpeed;
    using CMotionCard::SetJerk;
    using CMotionCard::SetLogicalPos;
    using CMotionCard::SetPulse;
    using CMotionCard::SetRange;
    using CMotionCard::SetRealPos;
    using CMotionCard::SetStartSpeed;
};

namespace {

class SetterTest : public CardTest {
protected:
    void SetUp() override {
        CardTest::SetUp();
        Card().CloseCard();
        m_card = std::make_unique<CSetterCard>();
        ASSERT_EQ(Card().InitCard(0, nullptr), 0);
    }
};

#define SET(expr) #expr, [](CMotionCard & c) { static_cast<CSetterCard&>(c).expr; }

TEST_F(SetterTest, EachSetterClampsWritesItsWidthAndItsCommand) {
    RunSteps({
        {SET(SetRange(0, 8)), "W14=0000 W12=3E80 W0=0100"},
        {SET(SetRange(1, 8000001)), "W14=007A W12=1200 W0=0200"},
        {SET(SetRange(1, 16000)), "W14=0000 W12=3E80 W0=0200"},
        {SET(SetJerk(2, 0)), "W12=0001 W0=0401"},
        {SET(SetJerk(2, 65536)), "W12=FFFF W0=0401"},
        {SET(SetAccel(3, 0)), "W12=0001 W0=0802"},
        {SET(SetAccel(3, 8001)), "W12=1F40 W0=0802"},
        {SET(SetDecel(0, -5)), "W12=0001 W0=0103"},
        {SET(SetDecel(0, 9000)), "W12=1F40 W0=0103"},
        {SET(SetStartSpeed(1, 0)), "W12=0001 W0=0204"},
        {SET(SetStartSpeed(1, 8000)), "W12=1F40 W0=0204"},
        {SET(SetDriveSpeed(2, 8001)), "W12=1F40 W0=0405"},
        {SET(SetDriveSpeed(2, 1)), "W12=0001 W0=0405"},
        // A fixed drive's count, then an interpolation's signed 24-bit end point.
        {SET(SetPulse(3, -5, true)), "W14=0000 W12=0000 W0=0806"},
        {SET(SetPulse(3, -5, false)), "W14=FFFF W12=FFFB W0=0806"},
        {SET(SetPulse(0, 0x10000000, true)), "W14=0FFF W12=FFFF W0=0106"},
        {SET(SetPulse(0, 0x10000000, false)), "W14=007F W12=FFFF W0=0106"},
        {SET(SetPulse(0, -0x800001, false)), "W14=FF80 W12=0000 W0=0106"},
        {SET(SetDecelPoint(1, -1)), "W14=0000 W12=0000 W0=0207"},
        {SET(SetDecelPoint(1, INT32_MAX)), "W14=0FFF W12=FFFF W0=0207"},
        {SET(SetCenter(2, 0x800000)), "W14=007F W12=FFFF W0=0408"},
        {SET(SetCenter(2, INT32_MIN)), "W14=FF80 W12=0000 W0=0408"},
        // Counters and compare registers take any value.
        {SET(SetLogicalPos(3, INT32_MIN)), "W14=8000 W12=0000 W0=0809"},
        {SET(SetRealPos(0, INT32_MAX)), "W14=7FFF W12=FFFF W0=010A"},
        {SET(SetCompPlus(1, -2)), "W14=FFFF W12=FFFE W0=020B"},
        {SET(SetCompMinus(2, 0x12345678)), "W14=1234 W12=5678 W0=040C"},
        {SET(SetAccOffset(3, -1)), "W12=0000 W0=080D"},
        {SET(SetAccOffset(3, 65536)), "W12=FFFF W0=080D"},
    });
}

// What the setters wrote is what the chip holds, axis by axis.
TEST_F(SetterTest, ValuesLandInTheNamedAxisRegisters) {
    auto& card = static_cast<CSetterCard&>(Card());
    card.SetRange(1, 400000);
    card.SetJerk(1, 1234);
    card.SetAccel(2, 77);
    card.SetDecel(2, 88);
    card.SetStartSpeed(3, 99);
    card.SetDriveSpeed(3, 111);
    card.SetPulse(0, -1000, false);
    card.SetDecelPoint(0, 5000);
    card.SetCenter(1, -300);
    card.SetCompPlus(2, 700);
    card.SetCompMinus(2, -700);
    card.SetAccOffset(3, 4321);
    card.SetLogicalPos(1, -42);
    card.SetRealPos(1, 42);
    vornsim::WithChip(0, [](SimChip& chip) {
        const SimChip::AxisParams x = chip.Params(0);
        const SimChip::AxisParams y = chip.Params(1);
        const SimChip::AxisParams z = chip.Params(2);
        const SimChip::AxisParams u = chip.Params(3);
        EXPECT_EQ(y.range, 400000);
        EXPECT_EQ(y.jerk, 1234);
        EXPECT_EQ(z.accel, 77);
        EXPECT_EQ(z.decel, 88);
        EXPECT_EQ(u.startSpeed, 99);
        EXPECT_EQ(u.driveSpeed, 111);
        EXPECT_EQ(x.pulse, -1000);
        EXPECT_EQ(x.decelPoint, 5000);
        EXPECT_EQ(y.center, -300);
        EXPECT_EQ(z.compPlus, 700);
        EXPECT_EQ(z.compMinus, -700);
        EXPECT_EQ(u.accOffset, 4321);
        EXPECT_EQ(chip.LogicalPosition(1), -42);
        EXPECT_EQ(chip.RealPosition(1), 42);
        EXPECT_EQ(chip.IllegalCommands(), 0);
    });
}

}  // namespace
