// Speed profiles: trapezoids and jerk-limited S-curves in closed form.
#include "sim_chip_profile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace simchip {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

double SegDistance(const Segment& g, double tau) {
    return g.s0 + g.v0 * tau + g.a0 * tau * tau / 2 + g.jerk * tau * tau * tau / 6;
}
double SegSpeed(const Segment& g, double tau) { return g.v0 + g.a0 * tau + g.jerk * tau * tau / 2; }
double SegAccel(const Segment& g, double tau) { return g.a0 + g.jerk * tau; }

// Distance of a speed change from v1 to v2 starting and ending at zero acceleration:
// the ramp is symmetric in time, so it covers the mean speed times its duration.
double RampDistance(double v1, double v2, double rate, const Rates& rates) {
    return (v1 + v2) / 2 * RampTime(std::fabs(v2 - v1), rate, rates);
}

}  // namespace

double RampTime(double dv, double rate, const Rates& rates) {
    if (dv <= 0) return 0;
    if (!rates.sCurve) return dv / rate;
    const double j = rates.jerk;
    if (dv >= rate * rate / j) return dv / rate + rate / j;
    return 2 * std::sqrt(dv / j);
}

void Profile::Append(double duration, double jerk, uint16_t causes) {
    Segment g;
    if (m_segs.empty()) {
        g.v0 = m_v0;
        g.a0 = m_a0;
    } else {
        const Segment& last = m_segs.back();
        g.t0 = last.t0 + last.duration;
        g.s0 = SegDistance(last, last.duration);
        g.v0 = SegSpeed(last, last.duration);
        g.a0 = SegAccel(last, last.duration);
    }
    g.duration = duration;
    g.jerk = jerk;
    g.causesAtStart = causes;
    m_segs.push_back(g);
}

void Profile::AppendCruise(double duration, uint16_t causes) {
    Append(duration, 0, causes);
    Segment& g = m_segs.back();
    g.a0 = 0;
    g.v0 = std::max(g.v0, 0.0);
}

void Profile::AppendRamp(double vTo, double rate, const Rates& rates, uint16_t causes) {
    const double v = EndSpeed();
    const double dv = std::fabs(vTo - v);
    const double sign = vTo > v ? 1.0 : -1.0;
    if (dv <= 1e-9) return;
    if (!rates.sCurve) {
        Append(dv / rate, 0, causes);
        m_segs.back().a0 = sign * rate;
        return;
    }
    const double j = rates.jerk;
    if (dv >= rate * rate / j) {
        const double tj = rate / j;
        Append(tj, sign * j, causes);
        Append(dv / rate - tj, 0);
        Append(tj, -sign * j);
    } else {
        const double tj = std::sqrt(dv / j);
        Append(tj, sign * j, causes);
        Append(tj, -sign * j);
    }
}

void Profile::Settle(const Rates& rates) {
    if (!rates.sCurve || std::fabs(m_a0) < 1e-9) return;
    Append(std::fabs(m_a0) / rates.jerk, m_a0 > 0 ? -rates.jerk : rates.jerk);
}

double Profile::EndSpeed() const {
    if (m_segs.empty()) return m_v0;
    const Segment& last = m_segs.back();
    if (!std::isfinite(last.duration)) return last.v0;
    return SegSpeed(last, last.duration);
}

double Profile::EndDistance() const {
    if (m_segs.empty()) return 0;
    const Segment& last = m_segs.back();
    return SegDistance(last, last.duration);
}

double Profile::EndTimeOfSegments() const {
    if (m_segs.empty()) return 0;
    return m_segs.back().t0 + m_segs.back().duration;
}

Profile Profile::Continuous(double v0, double a0, const Rates& rates) {
    Profile p;
    p.m_v0 = v0;
    p.m_a0 = rates.sCurve ? a0 : 0;
    p.Settle(rates);
    const double v = p.EndSpeed();
    const double vMax = rates.driveSpeed;
    if (v < vMax) {
        p.AppendRamp(vMax, rates.accel, rates, 0);
        p.AppendCruise(kInf, kAccelEnds);
    } else {
        p.AppendRamp(vMax, rates.decel, rates, 0);
        p.AppendCruise(kInf);
    }
    p.m_segs.back().v0 = vMax;
    p.m_end = kInf;
    return p;
}

Profile Profile::Fixed(double v0, double a0, double distance, const Rates& rates) {
    Profile p;
    p.m_v0 = v0;
    p.m_a0 = rates.sCurve ? a0 : 0;
    p.Settle(rates);
    const double v = p.EndSpeed();
    const double rem = distance - p.EndDistance();
    const double vMax = rates.driveSpeed;
    const double vLow = std::min(rates.startSpeed, vMax);
    auto cover = [&](double vp) {
        return RampDistance(v, vp, vp >= v ? rates.accel : rates.decel, rates) +
               RampDistance(vp, vLow, rates.decel, rates);
    };
    if (rem > 0 && v <= vMax) {
        double vp = vMax;
        if (cover(vMax) > rem) {
            double lo = v;
            double hi = vMax;
            if (cover(lo) > rem) {
                hi = lo;  // too close already: decelerate at once
            }
            for (int i = 0; i < 200 && hi - lo > 1e-12 * hi; ++i) {
                const double mid = (lo + hi) / 2;
                (cover(mid) <= rem ? lo : hi) = mid;
            }
            vp = lo;
        }
        const bool accelerates = vp > v + 1e-9;
        if (accelerates) p.AppendRamp(vp, rates.accel, rates, 0);
        const double cruise = std::max(0.0, rem - cover(vp)) / vp;
        p.AppendCruise(cruise, accelerates ? kAccelEnds : 0);
        p.m_segs.back().v0 = vp;
        p.AppendRamp(vLow, rates.decel, rates, vp > vLow + 1e-9 ? kDecelStarts : 0);
    } else if (rem > 0) {
        // Above the drive speed (the speed was lowered): come down first.
        if (RampDistance(v, vMax, rates.decel, rates) +
                RampDistance(vMax, vLow, rates.decel, rates) <=
            rem) {
            p.AppendRamp(vMax, rates.decel, rates, 0);
            const double cruise = (rem - RampDistance(v, vMax, rates.decel, rates) -
                                   RampDistance(vMax, vLow, rates.decel, rates)) /
                                  vMax;
            p.AppendCruise(cruise);
            p.m_segs.back().v0 = vMax;
            p.AppendRamp(vLow, rates.decel, rates, vMax > vLow + 1e-9 ? kDecelStarts : 0);
        } else {
            p.AppendRamp(vLow, rates.decel, rates, kDecelStarts);
        }
    }
    // Rounding may leave a little distance: the drive finishes it at the low speed.
    p.AppendCruise(kInf);
    p.m_segs.back().v0 = std::max(p.m_segs.back().v0, std::min(vLow, std::max(v, 1e-9)));
    p.m_end = p.TimeAtDistance(distance);
    return p;
}

Profile Profile::Stop(double v0, double a0, const Rates& rates) {
    Profile p;
    p.m_v0 = v0;
    p.m_a0 = rates.sCurve ? a0 : 0;
    p.Settle(rates);
    const double vLow = std::min(rates.startSpeed, rates.driveSpeed);
    if (p.EndSpeed() > vLow + 1e-9) p.AppendRamp(vLow, rates.decel, rates, kDecelStarts);
    p.m_end = p.EndTimeOfSegments();
    return p;
}

const Segment& Profile::SegmentAt(double t) const {
    size_t i = 0;
    while (i + 1 < m_segs.size() && m_segs[i + 1].t0 <= t) ++i;
    return m_segs[i];
}

double Profile::DistanceAt(double t) const {
    if (m_segs.empty() || t <= 0) return 0;
    const Segment& g = SegmentAt(t);
    return SegDistance(g, std::min(t - g.t0, g.duration));
}

double Profile::SpeedAt(double t) const {
    if (m_segs.empty()) return m_v0;
    t = std::max(t, 0.0);
    const Segment& g = SegmentAt(t);
    return SegSpeed(g, std::min(t - g.t0, g.duration));
}

double Profile::AccelAt(double t) const {
    if (m_segs.empty()) return 0;
    t = std::max(t, 0.0);
    const Segment& g = SegmentAt(t);
    if (t - g.t0 >= g.duration) return 0;
    return SegAccel(g, t - g.t0);
}

double Profile::TimeAtDistance(double s) const {
    if (s <= 0) return 0;
    for (const Segment& g : m_segs) {
        if (!std::isfinite(g.duration)) {
            return g.v0 > 0 ? g.t0 + (s - g.s0) / g.v0 : kInf;
        }
        if (SegDistance(g, g.duration) < s) continue;
        // The distance never decreases inside a segment (speed stays >= 0).
        double lo = 0;
        double hi = g.duration;
        for (int i = 0; i < 200 && hi - lo > 1e-15; ++i) {
            const double mid = (lo + hi) / 2;
            (SegDistance(g, mid) < s ? lo : hi) = mid;
        }
        return g.t0 + hi;
    }
    return kInf;
}

void Motion::Plan(uint64_t nowNs, double base, double target, const Profile& profile) {
    m_startNs = nowNs;
    m_base = base;
    m_target = target;
    m_profile = profile;
    const double atTarget = profile.TimeAtDistance(target - base);
    m_endsAtTarget = atTarget <= profile.EndTime();
    m_endTime = std::min(atTarget, profile.EndTime());
    m_causeTime = -1;
}

double Motion::PlanTime(uint64_t ns) const {
    return ns > m_startNs ? static_cast<double>(ns - m_startNs) * 1e-9 : 0.0;
}

double Motion::Distance(uint64_t ns) const {
    const double t = PlanTime(ns);
    if (t >= m_endTime && m_endsAtTarget) return m_target;
    return std::min(m_target, m_base + m_profile.DistanceAt(std::min(t, m_endTime)));
}

double Motion::Speed(uint64_t ns) const {
    return m_profile.SpeedAt(std::min(PlanTime(ns), m_endTime));
}

double Motion::Accel(uint64_t ns) const {
    return m_profile.AccelAt(std::min(PlanTime(ns), m_endTime));
}

uint16_t Motion::TakeCauses(uint64_t ns) {
    const double t = std::min(PlanTime(ns), m_endTime);
    uint16_t causes = 0;
    for (const Segment& g : m_profile.Segments()) {
        if (g.causesAtStart && g.t0 > m_causeTime && g.t0 <= t && g.t0 < m_endTime) {
            causes |= g.causesAtStart;
        }
    }
    m_causeTime = std::max(m_causeTime, t);
    return causes;
}

uint64_t Motion::ToNs(double t) const {
    if (!std::isfinite(t) || t > 1e8) return UINT64_MAX;
    uint64_t ns = m_startNs + static_cast<uint64_t>(std::ceil(std::max(t, 0.0) * 1e9));
    if (PlanTime(ns) < t) ++ns;  // the step must land at or after the instant
    return ns;
}

uint64_t Motion::NextEventNs() const {
    for (const Segment& g : m_profile.Segments()) {
        if (g.causesAtStart && g.t0 > m_causeTime && g.t0 < m_endTime) return ToNs(g.t0);
    }
    return ToNs(m_endTime);
}

uint64_t Motion::NsAtDistance(double s) const {
    if (s > m_target) return UINT64_MAX;
    const double t = m_profile.TimeAtDistance(s - m_base);
    return t > m_endTime ? UINT64_MAX : ToNs(t);
}

}  // namespace simchip
