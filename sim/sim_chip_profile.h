// Speed profiles of the chip model: a drive's distance over time as a chain of
// constant-jerk segments, so the clock can jump far without stepping per pulse.
#pragma once

#include <cstdint>
#include <vector>

#include "chip_registers.h"

namespace simchip {

// RR3 bits; bit k latches the cause enabled by WR1 bit 8 + k.
enum Cause : uint16_t {
    kCompMinusReached = chip::kRR3CompMinusReached,
    kBelowCompMinus = chip::kRR3BelowCompMinus,
    kBelowCompPlus = chip::kRR3BelowCompPlus,
    kCompPlusReached = chip::kRR3CompPlusReached,
    kDecelStarts = chip::kRR3DecelStarts,
    kAccelEnds = chip::kRR3AccelEnds,
    kDriveEnds = chip::kRR3DriveEnds,
};

// Rates in pulses per second (squared, cubed).
struct Rates {
    double startSpeed = 1;
    double driveSpeed = 1;
    double accel = 125;
    double decel = 125;
    double jerk = 62500000;
    bool sCurve = false;
};

struct Segment {
    double t0 = 0;        // plan time at the start, seconds
    double duration = 0;  // seconds; the last segment may be open (infinity)
    double s0 = 0;        // distance at the start, pulses
    double v0 = 0;
    double a0 = 0;
    double jerk = 0;
    uint16_t causesAtStart = 0;
};

class Profile {
public:
    // Runs up to the drive speed and stays there.
    static Profile Continuous(double v0, double a0, const Rates& rates);
    // Covers exactly the distance, decelerating in time to end near the start speed.
    static Profile Fixed(double v0, double a0, double distance, const Rates& rates);
    // Ramps down to the start speed and ends.
    static Profile Stop(double v0, double a0, const Rates& rates);

    // Plan time (seconds) at which the drive ends; infinity while it runs on.
    double EndTime() const { return m_end; }
    double DistanceAt(double t) const;
    double SpeedAt(double t) const;
    double AccelAt(double t) const;
    // Earliest plan time at which the distance reaches s (infinity: never).
    double TimeAtDistance(double s) const;
    // The segments in time order; causes are raised as each one starts.
    const std::vector<Segment>& Segments() const { return m_segs; }

private:
    void Append(double duration, double jerk, uint16_t causes = 0);
    void AppendRamp(double vTo, double rate, const Rates& rates, uint16_t causes);
    void AppendCruise(double duration, uint16_t causes = 0);
    // Ends any acceleration in progress (S-curve), so ramps start from a = 0.
    void Settle(const Rates& rates);
    double EndSpeed() const;
    double EndDistance() const;
    double EndTimeOfSegments() const;
    const Segment& SegmentAt(double t) const;

    double m_v0 = 0;
    double m_a0 = 0;
    std::vector<Segment> m_segs;
    double m_end = 0;
};

// A profile placed on the clock: a drive (or the path of an interpolation) that has
// covered `base` pulses when the profile starts and must not pass `target`.
class Motion {
public:
    // Replaces the profile from now on; the distance covered so far becomes the base.
    void Plan(uint64_t nowNs, double base, double target, const Profile& profile);
    double PlanTime(uint64_t ns) const;
    // Distance covered since the drive started, never beyond the target.
    double Distance(uint64_t ns) const;
    double Speed(uint64_t ns) const;
    double Accel(uint64_t ns) const;
    bool Ended(uint64_t ns) const { return PlanTime(ns) >= m_endTime; }
    double Target() const { return m_target; }
    // Causes of the segments that started since the last call, up to ns.
    uint16_t TakeCauses(uint64_t ns);
    // The next segment start with causes, or the end (UINT64_MAX: none).
    uint64_t NextEventNs() const;
    // When the distance reaches s (UINT64_MAX: not before the end).
    uint64_t NsAtDistance(double s) const;

    bool stopping = false;

private:
    uint64_t ToNs(double t) const;

    uint64_t m_startNs = 0;
    double m_base = 0;
    double m_target = 0;
    Profile m_profile;
    double m_endTime = 0;
    bool m_endsAtTarget = false;
    double m_causeTime = -1;  // plan time up to which causes are taken
};

// Time to change speed by dv (>= 0) at the rate, with jerk-limited corners when S-curve.
double RampTime(double dv, double rate, const Rates& rates);

}  // namespace simchip
