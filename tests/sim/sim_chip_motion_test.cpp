// Drives and interpolation of the chip model on the virtual clock: profiles against their closed
// forms, stops, replacement, path accuracy and the causes they raise.
#include <cmath>
#include <utility>
#include <vector>

#include "sim_chip_support.h"

using chiptest::Bus;
using chiptest::kMs;
using chiptest::kSecond;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct FixedCase {
    const char* name;
    int32_t range;
    uint16_t sv, v, a, d, k;
    uint16_t wr3;
    int32_t pulses;
};

// Time of a fixed drive worked out on paper from the unit relations.
double ClosedFormSeconds(const FixedCase& c) {
    const double m = 8000000.0 / c.range;
    const double vs = c.sv * m, v = c.v * m, acc = c.a * 125.0 * m;
    const double dec = (c.wr3 & 2) ? c.d * 125.0 * m : acc;
    const double p = std::abs(c.pulses);
    if (c.wr3 & 4) {  // S-curve, full profile: ramps of (dv/a + a/j), symmetric in time
        const double jerk = 62500000.0 * m / c.k;
        const double up = (v - vs) / acc + acc / jerk;
        const double down = (v - vs) / dec + dec / jerk;
        return up + down + (p - (v + vs) / 2 * (up + down)) / v;
    }
    const double dUp = (v * v - vs * vs) / (2 * acc);
    const double dDown = (v * v - vs * vs) / (2 * dec);
    if (dUp + dDown <= p) return (v - vs) / acc + (v - vs) / dec + (p - dUp - dDown) / v;
    // Triangle: the peak where both ramps together cover the distance.
    const double peak = std::sqrt((2 * p * acc * dec + vs * vs * (acc + dec)) / (acc + dec));
    return (peak - vs) / acc + (peak - vs) / dec;
}

TEST(SimChipDrive, FixedDriveEndsAtItsCountAndClosedFormTime) {
    const FixedCase cases[] = {
        {"trapezoid", 8000000, 100, 1000, 10, 0, 0, 0x0, 5000},
        {"trapezoid, M=10, minus", 800000, 50, 2000, 40, 0, 0, 0x0, -200000},
        {"triangle", 8000000, 100, 1000, 10, 0, 0, 0x0, 300},
        {"asymmetric", 4000000, 20, 500, 4, 16, 0, 0x2, 3000},
        {"asymmetric triangle", 8000000, 100, 8000, 10, 30, 0, 0x2, 2000},
        {"s-curve", 8000000, 100, 1000, 10, 0, 6250, 0x4, 5000},
        {"s-curve, M=500", 16000, 10, 8000, 100, 0, 1000, 0x4, 100000000},
        {"s-curve asymmetric", 8000000, 100, 1000, 10, 20, 6250, 0x6, 5000},
    };
    for (const FixedCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bus bus;
        bus.Speeds(0, c.range, c.sv, c.v, c.a);
        bus.Set(0, 0x03, c.d, false);
        bus.Set(0, 0x01, c.k, false);
        bus.WriteMode(0, 6, c.wr3);
        bus.Set(0, 0x06, std::abs(c.pulses));
        bus.Command(0, c.pulses < 0 ? 0x21 : 0x20);
        const double expected = ClosedFormSeconds(c);
        bus.chip.AdvanceTo(static_cast<uint64_t>(expected * 0.97 * kSecond));
        EXPECT_TRUE(bus.chip.Driving(0)) << "just before the predicted end";
        EXPECT_LT(std::abs(bus.chip.LogicalPosition(0)), std::abs(c.pulses));
        const uint64_t end = bus.RunToStop();
        ASSERT_NE(end, UINT64_MAX);
        EXPECT_NEAR(end / 1e9, expected, expected * 0.02);
        EXPECT_EQ(bus.chip.LogicalPosition(0), c.pulses);
        EXPECT_EQ(bus.chip.RealPosition(0), c.pulses);
        bus.chip.AdvanceTo(end + kSecond);
        EXPECT_EQ(bus.chip.LogicalPosition(0), c.pulses);
    }
}

TEST(SimChipDrive, DeceleratingStopEndsLaterThanInstantStop) {
    uint64_t ends[2] = {0, 0};
    int32_t positions[2] = {0, 0};
    for (int decelerate = 0; decelerate < 2; ++decelerate) {
        Bus bus;
        bus.Speeds(0, 8000000, 100, 4000, 40);
        bus.WriteMode(0, 2, 0xA000);  // deceleration starts, drive ends
        bus.Command(0, 0x23);
        bus.chip.AdvanceTo(2 * kSecond);
        ASSERT_TRUE(bus.chip.Driving(0));
        bus.chip.Write(0, decelerate ? 0x0F26 : 0x0F27);
        if (decelerate) {
            EXPECT_EQ(bus.ReadRR3(0), 0x0020);
            EXPECT_TRUE(bus.chip.Driving(0));
        }
        ends[decelerate] = bus.RunToStop();
        positions[decelerate] = bus.chip.LogicalPosition(0);
        EXPECT_EQ(bus.ReadRR3(0), 0x0080);
    }
    EXPECT_EQ(ends[0], 2 * kSecond);
    // 4000 down to 100 pps at 5000 pps^2.
    EXPECT_NEAR((ends[1] - ends[0]) / 1e9, 3900.0 / 5000.0, 0.01);
    EXPECT_NEAR(positions[0] - positions[1], (4000.0 * 4000 - 100 * 100) / (2 * 5000), 2);
}

TEST(SimChipDrive, NewCommandReplacesTheRunningDrive) {
    Bus bus;
    bus.Speeds(0, 8000000, 1000, 1000, 10);
    bus.Set(0, 0x06, 100000);
    bus.Command(0, 0x20);
    bus.chip.AdvanceTo(kSecond);
    const int32_t at = bus.chip.LogicalPosition(0);
    EXPECT_EQ(at, 1000);
    bus.Set(0, 0x06, 500);
    bus.Command(0, 0x21);
    EXPECT_TRUE(bus.chip.Driving(0));
    const uint64_t end = bus.RunToStop();
    EXPECT_EQ(bus.chip.LogicalPosition(0), at - 500);
    EXPECT_NEAR((end - kSecond) / 1e9, 0.5, 0.001);
}

TEST(SimChipDrive, CompareCausesAreEdgeTriggered) {
    Bus bus;
    bus.Speeds(0, 8000000, 1000, 1000, 10);  // 1000 pps flat: pulse n at n ms
    bus.Set(0, 0x0B, 300);                   // COMP+
    bus.Set(0, 0x0C, 100);                   // COMP-
    bus.WriteMode(0, 2, 0x1E00);             // all four compare causes
    bus.Set(0, 0x06, 400);
    using Seen = std::pair<uint16_t, int32_t>;  // cause, position
    const auto run = [&](uint16_t command) {
        std::vector<Seen> seen;
        bus.Command(0, command);
        for (int i = 0; i < 1000 && bus.chip.Driving(0); ++i) {
            bus.chip.AdvanceTo(bus.chip.NextEventNs());
            if (const uint16_t status = bus.ReadRR3(0)) {
                seen.emplace_back(status, bus.chip.LogicalPosition(0));
            }
        }
        return seen;
    };
    // >= COMP- on reaching 100, >= COMP+ on reaching 300; back down: < COMP+ at 299, < COMP- at 99.
    EXPECT_EQ(run(0x20), (std::vector<Seen>{{0x0002, 100}, {0x0010, 300}}));
    EXPECT_EQ(run(0x21), (std::vector<Seen>{{0x0008, 299}, {0x0004, 99}}));
}

struct Circle {
    const char* name;
    uint16_t command;
    int32_t cx, cy;  // centre, relative to the start
    int32_t ex, ey;  // end point, relative to the start
    double sweep;    // expected turn in radians, signed (counter-clockwise positive)
};

// Starts a circle on X and Y from (x0, y0), at up to 1000 pulses per second.
void StartCircle(Bus& bus, const Circle& c, int32_t x0, int32_t y0, uint16_t sv = 1000) {
    bus.Set(0, 0x09, x0);
    bus.Set(1, 0x09, y0);
    bus.chip.Write(10, 0x0104);
    bus.Speeds(0, 8000000, sv, 1000, 10);
    bus.Set(0, 0x08, c.cx);
    bus.Set(1, 0x08, c.cy);
    bus.Set(0, 0x06, c.ex);
    bus.Set(1, 0x06, c.ey);
    bus.chip.Write(0, c.command);
}

TEST(SimChipInterpolation, CircleStaysWithinOnePulseAndEndsAtItsEndPoint) {
    const Circle cases[] = {
        {"full, counter-clockwise", 0x33, 1000, 0, 0, 0, 2 * kPi},
        {"full, clockwise", 0x32, 1000, 0, 0, 0, -2 * kPi},
        {"quarter, counter-clockwise", 0x33, 1000, 0, 1000, -1000, kPi / 2},
        {"three quarters, clockwise", 0x32, 1000, 0, 1000, -1000, -3 * kPi / 2},
        {"arc to a rounded end", 0x32, 0, -1000, 866, -500, -kPi / 3},
    };
    for (const Circle& c : cases) {
        SCOPED_TRACE(c.name);
        Bus bus;
        const int32_t x0 = -123456, y0 = 7890;
        StartCircle(bus, c, x0, y0);
        EXPECT_EQ(bus.chip.Read(0), 0x0003);
        const double cx = x0 + c.cx, cy = y0 + c.cy;
        const double radius = std::hypot(c.cx, c.cy);
        double worst = 0, turned = 0;
        double lastAngle = std::atan2(y0 - cy, x0 - cx);
        for (int i = 0; bus.chip.Driving(0) && i < 100000; ++i) {
            bus.chip.AdvanceTo(bus.chip.NowNs() + kMs / 2);
            EXPECT_EQ(bus.chip.Driving(0), bus.chip.Driving(1));
            const double x = bus.chip.LogicalPosition(0) - cx;
            const double y = bus.chip.LogicalPosition(1) - cy;
            worst = std::max(worst, std::fabs(std::hypot(x, y) - radius));
            const double angle = std::atan2(y, x);
            const double step = std::remainder(angle - lastAngle, 2 * kPi);
            EXPECT_GE(step * c.sweep, -2.0 / radius) << "turned back";
            turned += step;
            lastAngle = angle;
        }
        EXPECT_LE(worst, 1.0);
        EXPECT_NEAR(turned, c.sweep, 0.01);
        EXPECT_EQ(bus.chip.LogicalPosition(0), x0 + c.ex);
        EXPECT_EQ(bus.chip.LogicalPosition(1), y0 + c.ey);
    }
}

TEST(SimChipInterpolation, LinesStayWithinOnePulse) {
    const struct {
        const char* name;
        uint16_t wr5, command;
        int axes[3];
        int32_t ends[3];
    } cases[] = {
        {"X and Z", 0x0108, 0x30, {0, 2, -1}, {7000, -3000, 0}},
        {"Y and U, one axis still", 0x010D, 0x30, {1, 3, -1}, {0, 4321, 0}},
        {"Y, Z, U", 0x0339, 0x31, {1, 2, 3}, {5000, -2000, 1234}},
        {"U, X, Y", 0x0313, 0x31, {3, 0, 1}, {-8388608, 8388607, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bus bus;
        const int count = c.command == 0x31 ? 3 : 2;
        int32_t starts[3] = {0, 0, 0};
        uint16_t running = 0;
        double length = 0;
        for (int i = 0; i < count; ++i) {
            starts[i] = 1000 * (i + 1) - 2500;
            bus.Set(c.axes[i], 0x09, starts[i]);
            bus.Set(c.axes[i], 0x06, c.ends[i]);
            length += static_cast<double>(c.ends[i]) * c.ends[i];
            running |= static_cast<uint16_t>(1u << c.axes[i]);
        }
        length = std::sqrt(length);
        bus.chip.Write(10, c.wr5);
        // 4,000,000 pulses per second along the line, reached at once.
        bus.Speeds(c.axes[0], 16000, 8000, 8000, 8000);
        bus.chip.Write(0, c.command);
        const double seconds = length / 4000000;
        double worst = 0;
        for (int n = 1; n < 2000 && bus.chip.Driving(c.axes[0]); ++n) {
            EXPECT_EQ(bus.chip.Read(0), running);
            bus.chip.AdvanceTo(static_cast<uint64_t>(n * seconds / 1000 * kSecond) + 7);
            // Distance of the point from the line through the start along the end point.
            double along = 0, squared = 0;
            for (int i = 0; i < count; ++i) {
                const double d =
                    static_cast<double>(bus.chip.LogicalPosition(c.axes[i])) - starts[i];
                along += d * c.ends[i] / length;
                squared += d * d;
            }
            worst = std::max(worst, std::sqrt(std::max(0.0, squared - along * along)));
        }
        EXPECT_LE(worst, 1.0);
        bus.RunToStop();
        EXPECT_NEAR(bus.chip.NowNs() / 1e9, seconds, seconds * 0.02 + 1e-6);
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(bus.chip.LogicalPosition(c.axes[i]),
                      static_cast<int32_t>(static_cast<uint32_t>(starts[i]) +
                                           static_cast<uint32_t>(c.ends[i])));
        }
    }
}

// Counts the drive ends each axis latched until nothing drives.
std::vector<int> DriveEndsPerAxis(Bus& bus) {
    std::vector<int> ends(4, 0);
    for (int i = 0; i < 100000; ++i) {
        bus.chip.AdvanceTo(bus.chip.NowNs() + kMs);
        for (int axis = 0; axis < 4; ++axis) ends[axis] += (bus.ReadRR3(axis) & 0x0080) ? 1 : 0;
        if (!(bus.chip.Read(0) & 0x0F) && i > 10) break;
    }
    return ends;
}

TEST(SimChipInterpolation, DriveEndOncePerParticipatingAxis) {
    {
        SCOPED_TRACE("three-axis line, one axis still");
        Bus bus;
        for (int axis = 0; axis < 4; ++axis) bus.WriteMode(axis, 2, 0x8000);
        bus.chip.Write(10, 0x0339);  // Y, Z, U
        bus.Speeds(1, 8000000, 500, 2000, 40);
        bus.Set(1, 0x06, 300);
        bus.Set(2, 0x06, -400);
        bus.Set(3, 0x06, 0);
        bus.chip.Write(0, 0x0031);
        EXPECT_EQ(DriveEndsPerAxis(bus), (std::vector<int>{0, 1, 1, 1}));
    }
    {
        SCOPED_TRACE("circle stopped with deceleration through its second axis");
        Bus bus;
        for (int axis = 0; axis < 4; ++axis) bus.WriteMode(axis, 2, 0xA000);
        StartCircle(bus, {"", 0x32, 1000, 0, 0, 0, 0}, 0, 0, 100);
        bus.chip.AdvanceTo(bus.chip.NowNs() + 100 * kMs);
        bus.Command(1, 0x26);
        EXPECT_EQ(bus.chip.RR3(0), 0x0020);
        EXPECT_EQ(bus.chip.RR3(1), 0x0020);
        EXPECT_EQ(DriveEndsPerAxis(bus), (std::vector<int>{1, 1, 0, 0}));
        EXPECT_NE(bus.chip.LogicalPosition(1), 0);  // it stopped on the way
    }
}

}  // namespace
