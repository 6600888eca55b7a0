// Register file, data latches, per-axis addressing, status and reset of the chip model.
#include <functional>

#include "sim_chip_support.h"

using chiptest::Bus;

namespace {

using Params = SimChip::AxisParams;

// Data written over a stale WR7: wide commands take it, 16-bit ones do not, and only the named axis
// takes the value.
TEST(SimChipRegisters, DataCommandsTakeTheirWidthOnTheNamedAxis) {
    const struct {
        uint16_t code;
        bool wide;
        int32_t value;
        std::function<int32_t(const Params&)> field;
    } cases[] = {
        {0x00, true, 2666666, [](const Params& p) { return p.range; }},
        {0x01, false, 31, [](const Params& p) { return int32_t{p.jerk}; }},
        {0x02, false, 8000, [](const Params& p) { return int32_t{p.accel}; }},
        {0x03, false, 7, [](const Params& p) { return int32_t{p.decel}; }},
        {0x04, false, 5000, [](const Params& p) { return int32_t{p.startSpeed}; }},
        {0x05, false, 65535, [](const Params& p) { return int32_t{p.driveSpeed}; }},
        {0x06, true, -5, [](const Params& p) { return p.pulse; }},
        {0x07, true, 0x0FFFFFFF, [](const Params& p) { return p.decelPoint; }},
        {0x08, true, -0x800000, [](const Params& p) { return p.center; }},
        {0x0B, true, 123456789, [](const Params& p) { return p.compPlus; }},
        {0x0C, true, -2, [](const Params& p) { return p.compMinus; }},
        {0x0D, false, 40000, [](const Params& p) { return int32_t{p.accOffset}; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        Bus bus;
        bus.chip.Write(14, 0x7777);  // stale high word
        bus.Set(2, c.code, c.value, c.wide);
        EXPECT_EQ(c.field(bus.chip.Params(2)), c.value);
        EXPECT_NE(c.field(bus.chip.Params(1)), c.value);
    }
}

TEST(SimChipRegisters, CountersAreLatchedAtTheReadCommand) {
    Bus bus;
    bus.Set(1, 0x09, -2);
    bus.Set(1, 0x0A, 0x12345678);
    EXPECT_EQ(bus.chip.LogicalPosition(1), -2);
    EXPECT_EQ(bus.chip.RealPosition(1), 0x12345678);

    bus.Command(1, 0x10);
    bus.Set(1, 0x09, 77);  // writes WR6/WR7, not RR6/RR7
    EXPECT_EQ(bus.chip.Read(12), 0xFFFE);
    EXPECT_EQ(bus.chip.Read(14), 0xFFFF);
    EXPECT_EQ(bus.ReadWide(1, 0x10), 77);
    EXPECT_EQ(bus.ReadWide(1, 0x11), 0x12345678);

    // An axis select leaves the latched data alone.
    bus.Command(3, 0x0F);
    EXPECT_EQ(bus.chip.Read(12), 0x5678);
    EXPECT_EQ(bus.chip.Read(14), 0x1234);
}

TEST(SimChipRegisters, ModeRegistersFollowTheAxisBitsOfTheLastCommand) {
    Bus bus;
    bus.WriteMode(1, 2, 0x8100);
    bus.WriteMode(3, 4, 0x0218);
    bus.WriteMode(0, 6, 0x0004);
    EXPECT_EQ(bus.chip.WR1(1), 0x8100);
    EXPECT_EQ(bus.chip.WR1(0), 0);
    EXPECT_EQ(bus.chip.WR2(3), 0x0218);
    EXPECT_EQ(bus.chip.WR2(1), 0);
    EXPECT_EQ(bus.chip.WR3(0), 0x0004);

    // Several axis bits: every named axis takes the write, reads come from the lowest.
    bus.chip.Write(0, 0x0A0F);
    bus.chip.Write(6, 0x0018);
    EXPECT_EQ(bus.chip.WR3(1), 0x0018);
    EXPECT_EQ(bus.chip.WR3(3), 0x0018);
    EXPECT_EQ(bus.chip.WR3(2), 0);
    bus.chip.SetRR2(1, 0x0004);
    bus.chip.SetRR2(3, 0x0008);
    bus.chip.Write(0, 0x0A0F);
    EXPECT_EQ(bus.chip.Read(4), 0x0004);
    bus.Command(3, 0x0F);
    EXPECT_EQ(bus.chip.Read(4), 0x0008);
}

TEST(SimChipRegisters, StatusLatchesOnlyEnabledCausesAndClearsOnRead) {
    Bus bus;
    bus.Set(2, 0x20, 0);  // a drive of 0 pulses ends at once
    EXPECT_EQ(bus.chip.RR3(2), 0);
    EXPECT_FALSE(bus.chip.InterruptAsserted());

    bus.WriteMode(2, 2, 0x8000);
    bus.Command(2, 0x20);
    EXPECT_TRUE(bus.chip.InterruptAsserted());
    EXPECT_EQ(bus.ReadRR3(2), 0x0080);
    EXPECT_EQ(bus.ReadRR3(2), 0);
    EXPECT_FALSE(bus.chip.InterruptAsserted());
}

TEST(SimChipRegisters, SelectPendsUntilTheNextAccess) {
    const struct {
        const char* name;
        std::function<void(SimChip&)> access;
        bool pendingAfter;
    } steps[] = {
        {"select", [](SimChip& c) { c.Write(0, 0x010F); }, true},
        {"register read", [](SimChip& c) { c.Read(6); }, false},
        {"select again", [](SimChip& c) { c.Write(0, 0x020F); }, true},
        {"register write", [](SimChip& c) { c.Write(2, 0); }, false},
        {"select", [](SimChip& c) { c.Write(0, 0x040F); }, true},
        {"another command", [](SimChip& c) { c.Write(0, 0x0410); }, false},
        {"data write", [](SimChip& c) { c.Write(12, 1); }, false},
        {"select", [](SimChip& c) { c.Write(0, 0x080F); }, true},
        {"status read", [](SimChip& c) { c.Read(0); }, false},
    };
    SimChip chip;
    EXPECT_FALSE(chip.SelectPending());
    for (const auto& s : steps) {
        s.access(chip);
        EXPECT_EQ(chip.SelectPending(), s.pendingAfter) << s.name;
    }
}

TEST(SimChipRegisters, ResetClearsTheChipButNotItsInputs) {
    Bus bus;
    bus.WriteMode(0, 2, 0xFF00);
    bus.WriteMode(1, 4, 0x0218);
    bus.WriteMode(2, 6, 0x0006);
    bus.Speeds(3, 800000, 10, 100, 50);
    bus.Set(3, 0x09, 1000);
    bus.Set(3, 0x0B, 5);
    bus.Command(3, 0x22);
    bus.chip.InjectStatus(0, 0x0040);
    bus.chip.SetRR2(1, 0x000C);
    bus.chip.SetRR4(0x1111);
    bus.Command(3, 0x10);
    ASSERT_TRUE(bus.chip.Driving(3));

    bus.chip.Write(0, 0x8000);
    EXPECT_FALSE(bus.chip.Driving(3));
    EXPECT_EQ(bus.chip.Read(0), 0);
    for (int axis = 0; axis < 4; ++axis) {
        SCOPED_TRACE(axis);
        EXPECT_EQ(bus.chip.WR1(axis) | bus.chip.WR2(axis) | bus.chip.WR3(axis), 0);
        EXPECT_EQ(bus.chip.RR3(axis), 0);
        EXPECT_EQ(bus.chip.LogicalPosition(axis), 0);
    }
    EXPECT_EQ(bus.chip.Read(12) | bus.chip.Read(14), 0);
    const Params p = bus.chip.Params(3);
    EXPECT_EQ(p.driveSpeed, 0);
    EXPECT_EQ(p.range, 8000000);  // M = 1 again
    EXPECT_FALSE(bus.chip.InterruptAsserted());
    bus.Command(1, 0x0F);
    EXPECT_EQ(bus.chip.Read(4), 0x000C);
    EXPECT_EQ(bus.chip.Read(8), 0x1111);
    bus.chip.AdvanceTo(bus.chip.NowNs() + chiptest::kSecond);
    EXPECT_EQ(bus.chip.LogicalPosition(3), 0) << "nothing moves on afterwards";
}

}  // namespace
