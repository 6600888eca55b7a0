// Drives, stops and interpolation of the chip model on the outside clock.
#include <algorithm>
#include <cmath>
#include <limits>

#include "sim_chip.h"

using simchip::Motion;
using simchip::Profile;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kMaxPulses = 0x0FFFFFFF;
constexpr uint16_t kCompareEnables = chip::kRR3CompareCauses << chip::kWR1InterruptShift;
// A distance this close below a whole pulse already counts as that pulse.
constexpr double kPulseSlack = 1e-7;

int64_t WholePulses(double distance) {
    return static_cast<int64_t>(std::floor(distance + kPulseSlack));
}

}  // namespace

void SimChip::AdvanceTo(uint64_t nowNs) {
    int overdue = 0;
    while (nowNs > m_now) {
        uint64_t next = NextEventNs();
        if (next > nowNs) break;
        if (next <= m_now) {
            // Rounding left an instant just behind the clock: nudge, but never crawl.
            if (++overdue > 8) break;
            next = m_now + 1;
        } else {
            overdue = 0;
        }
        StepTo(next);
    }
    if (nowNs > m_now) StepTo(nowNs);
}

void SimChip::StepTo(uint64_t ns) {
    m_now = ns;
    for (int axis = 0; axis < 4; ++axis) {
        if (m_axes[axis].drive == Drive::Single) StepSingle(axis, ns);
    }
    if (m_interpActive) StepInterpolation(ns);
}

uint64_t SimChip::NextEventNs() const {
    uint64_t next = UINT64_MAX;
    for (int axis = 0; axis < 4; ++axis) {
        const Axis& a = m_axes[axis];
        if (a.drive == Drive::Single) {
            next = std::min({next, a.motion.NextEventNs(), NextCompareNs(axis)});
        }
    }
    if (m_interpActive) {
        const Motion& m = m_interp.motion;
        next = std::min(next, m.NextEventNs());
        // A path may turn back across a compare value, so instead of solving for the
        // crossing, step no further than the nearest axis could get to its next edge.
        double reach = kInf;
        for (int i = 0; i < m_interp.count; ++i) {
            const Axis& a = m_axes[m_interp.axes[i]];
            if (!(a.wr1 & kCompareEnables)) continue;
            const double pulses = static_cast<double>(PulsesToCompareEdge(m_interp.axes[i]));
            // A rounded coordinate moves k pulses once its ideal value moved k - 1.
            reach = std::min(reach, std::max(0.5, (pulses - 1) / m_interp.maxRate));
        }
        if (std::isfinite(reach)) next = std::min(next, m.NsAtDistance(m.Distance(m_now) + reach));
    }
    return next;
}

int64_t SimChip::PulsesToCompareEdge(int axis) const {
    const Axis& a = m_axes[axis];
    const int64_t counter = (a.wr2 & chip::kWR2CompareReal) ? a.ep : a.lp;
    int64_t best = std::numeric_limits<int64_t>::max();
    for (const int64_t comp : {int64_t{a.params.compPlus}, int64_t{a.params.compMinus}}) {
        // The conditions flip between comp - 1 and comp.
        best = std::min(best, counter < comp ? comp - counter : counter - (comp - 1));
    }
    return best;
}

uint64_t SimChip::NextCompareNs(int axis) const {
    const Axis& a = m_axes[axis];
    if (!(a.wr1 & kCompareEnables)) return UINT64_MAX;
    const int64_t counter = (a.wr2 & chip::kWR2CompareReal) ? a.ep : a.lp;
    const int64_t edges[] = {a.params.compPlus, int64_t{a.params.compPlus} - 1, a.params.compMinus,
                             int64_t{a.params.compMinus} - 1};
    int64_t best = std::numeric_limits<int64_t>::max();
    for (const int64_t edge : edges) {
        const int64_t k = (edge - counter) * a.direction;
        if (k > 0) best = std::min(best, k);
    }
    if (best == std::numeric_limits<int64_t>::max()) return UINT64_MAX;
    return a.motion.NsAtDistance(static_cast<double>(a.emitted + best) - kPulseSlack);
}

double SimChip::SpeedPps(int axis) const {
    const Axis& a = m_axes[axis & 3];
    if (a.drive == Drive::Single) return a.motion.Speed(m_now);
    if (a.drive == Drive::Interpolation) return m_interp.motion.Speed(m_now);
    return 0;
}

double SimChip::AccelPps2(int axis) const {
    const Axis& a = m_axes[axis & 3];
    if (a.drive == Drive::Single) return a.motion.Accel(m_now);
    if (a.drive == Drive::Interpolation) return m_interp.motion.Accel(m_now);
    return 0;
}

void SimChip::MoveCounters(int axis, int64_t delta) {
    Axis& a = m_axes[axis];
    const uint32_t d = static_cast<uint32_t>(static_cast<uint64_t>(delta));
    a.lp = static_cast<int32_t>(static_cast<uint32_t>(a.lp) + d);
    a.ep = static_cast<int32_t>(static_cast<uint32_t>(a.ep) + d);  // encoder loops back
    RefreshCompare(axis, true);
}

// Single-axis drives.

void SimChip::StartDrive(int axis, bool fixed, int direction) {
    if (InInterpolation(axis)) EndInterpolation(true);
    Axis& a = m_axes[axis];
    const simchip::Rates rates = RatesOf(axis);
    double v0 = std::min(rates.startSpeed, rates.driveSpeed);
    double a0 = 0;
    if (a.drive == Drive::Single && a.direction == direction) {
        // The new command takes over at the speed the axis has now.
        v0 = std::max(v0, a.motion.Speed(m_now));
        a0 = a.motion.Accel(m_now);
    }
    const int32_t pulses = std::min(std::max(a.params.pulse, 0), kMaxPulses);
    if (fixed && pulses == 0) {
        EndSingle(axis, true);
        return;
    }
    a.drive = Drive::Single;
    a.direction = direction;
    a.emitted = 0;
    a.motion.stopping = false;
    if (fixed) {
        a.motion.Plan(m_now, 0, pulses, Profile::Fixed(v0, a0, pulses, rates));
    } else {
        a.motion.Plan(m_now, 0, kInf, Profile::Continuous(v0, a0, rates));
    }
    StepSingle(axis, m_now);
}

void SimChip::StepSingle(int axis, uint64_t ns) {
    Axis& a = m_axes[axis];
    const uint16_t causes = a.motion.TakeCauses(ns);
    const int64_t pulses = WholePulses(a.motion.Distance(ns));
    if (pulses != a.emitted) {
        MoveCounters(axis, (pulses - a.emitted) * a.direction);
        a.emitted = pulses;
    }
    if (causes) Raise(axis, causes);
    if (a.motion.Ended(ns)) EndSingle(axis, true);
}

void SimChip::EndSingle(int axis, bool raiseEnd) {
    Axis& a = m_axes[axis];
    a.drive = Drive::None;
    a.motion.stopping = false;
    if (raiseEnd) Raise(axis, simchip::kDriveEnds);
}

void SimChip::Stop(int axis, bool decelerate) {
    if (InInterpolation(axis)) {
        Motion& m = m_interp.motion;
        if (!decelerate) {
            EndInterpolation(true);
        } else if (!m.stopping) {
            const Profile ramp =
                Profile::Stop(m.Speed(m_now), m.Accel(m_now), RatesOf(m_interp.axes[0]));
            m.Plan(m_now, m.Distance(m_now), m.Target(), ramp);
            m.stopping = true;
            StepInterpolation(m_now);
        }
        return;
    }
    Axis& a = m_axes[axis];
    if (a.drive != Drive::Single) return;
    if (!decelerate) {
        EndSingle(axis, true);
        return;
    }
    Motion& m = a.motion;
    if (m.stopping) return;
    const Profile ramp = Profile::Stop(m.Speed(m_now), m.Accel(m_now), RatesOf(axis));
    m.Plan(m_now, m.Distance(m_now), m.Target(), ramp);
    m.stopping = true;
    StepSingle(axis, m_now);
}

void SimChip::SpeedChanged(int axis) {
    Motion* m = nullptr;
    if (InInterpolation(axis)) {
        if (axis != m_interp.axes[0]) return;  // the vector speed follows the first axis
        m = &m_interp.motion;
    } else if (m_axes[axis].drive == Drive::Single) {
        m = &m_axes[axis].motion;
    }
    if (!m || m->stopping) return;
    const simchip::Rates rates = RatesOf(axis);
    const double done = m->Distance(m_now);
    const double v = m->Speed(m_now);
    const double acc = m->Accel(m_now);
    const double target = m->Target();
    m->Plan(m_now, done, target,
            std::isfinite(target) ? Profile::Fixed(v, acc, target - done, rates)
                                  : Profile::Continuous(v, acc, rates));
    if (InInterpolation(axis)) {
        StepInterpolation(m_now);
    } else {
        StepSingle(axis, m_now);
    }
}

// Interpolation.

bool SimChip::InInterpolation(int axis) const {
    return m_interpActive && m_axes[axis].drive == Drive::Interpolation;
}

void SimChip::StartInterpolation(uint16_t code) {
    const int count = code == chip::kCmdLine3 ? 3 : 2;
    const int axes[3] = {m_wr5 & 3, (m_wr5 >> chip::kWR5AxisShift) & 3,
                         (m_wr5 >> (2 * chip::kWR5AxisShift)) & 3};
    if (axes[0] == axes[1] || (count == 3 && (axes[0] == axes[2] || axes[1] == axes[2]))) {
        ++m_illegal;
        return;
    }
    if (m_interpActive) EndInterpolation(true);
    for (int i = 0; i < count; ++i) {
        if (m_axes[axes[i]].drive == Drive::Single) EndSingle(axes[i], false);
    }
    Interpolation& ip = m_interp;
    ip = Interpolation{};
    ip.count = count;
    double squares = 0;
    for (int i = 0; i < count; ++i) {
        ip.axes[i] = axes[i];
        ip.endPoint[i] = m_axes[axes[i]].params.pulse;
        squares += ip.endPoint[i] * ip.endPoint[i];
    }
    ip.length = std::sqrt(squares);
    if (code == chip::kCmdCircleCw || code == chip::kCmdCircleCcw) {
        const double cx = m_axes[axes[0]].params.center;
        const double cy = m_axes[axes[1]].params.center;
        const double ex = ip.endPoint[0];
        const double ey = ip.endPoint[1];
        const double r0 = std::hypot(cx, cy);
        if (r0 >= 0.5) {  // a centre on the start point leaves only the straight way
            ip.circle = true;
            ip.centre[0] = cx;
            ip.centre[1] = cy;
            ip.radius0 = r0;
            ip.radius1 = std::hypot(ex - cx, ey - cy);
            ip.angle0 = std::atan2(-cy, -cx);
            const double angle1 = std::atan2(ey - cy, ex - cx);
            const bool counterClockwise = code == chip::kCmdCircleCcw;
            double sweep = 2 * kPi;  // ending where it starts: a full turn
            if (ex != 0 || ey != 0) {
                sweep = counterClockwise ? angle1 - ip.angle0 : ip.angle0 - angle1;
                while (sweep <= 0) sweep += 2 * kPi;
                while (sweep > 2 * kPi) sweep -= 2 * kPi;
            }
            ip.sweep = counterClockwise ? sweep : -sweep;
            ip.length = sweep * (ip.radius0 + ip.radius1) / 2;
        }
    }
    ip.maxRate = 1.0;
    if (ip.circle && ip.length > 0) {
        ip.maxRate = std::max(ip.radius0, ip.radius1) / ((ip.radius0 + ip.radius1) / 2) +
                     std::fabs(ip.radius1 - ip.radius0) / ip.length;
    }
    m_interpActive = true;
    for (int i = 0; i < count; ++i) m_axes[axes[i]].drive = Drive::Interpolation;
    const simchip::Rates rates = RatesOf(axes[0]);
    const double v0 = std::min(rates.startSpeed, rates.driveSpeed);
    ip.motion.Plan(m_now, 0, ip.length, Profile::Fixed(v0, 0, ip.length, rates));
    StepInterpolation(m_now);
}

void SimChip::InterpolatedOffsets(double s, int32_t* out) const {
    const Interpolation& ip = m_interp;
    const double f = ip.length > 0 ? std::min(std::max(s / ip.length, 0.0), 1.0) : 1.0;
    if (!ip.circle) {
        for (int i = 0; i < ip.count; ++i) {
            out[i] = static_cast<int32_t>(std::llround(ip.endPoint[i] * f));
        }
        return;
    }
    const double angle = ip.angle0 + ip.sweep * f;
    const double r = ip.radius0 + (ip.radius1 - ip.radius0) * f;
    const double cx = ip.centre[0];
    const double cy = ip.centre[1];
    // Rounding each coordinate keeps every axis moving one way per quadrant.
    out[0] = static_cast<int32_t>(std::llround(cx + r * std::cos(angle)));
    out[1] = static_cast<int32_t>(std::llround(cy + r * std::sin(angle)));
}

void SimChip::StepInterpolation(uint64_t ns) {
    Interpolation& ip = m_interp;
    const uint16_t causes = ip.motion.TakeCauses(ns);
    const double s = ip.motion.Distance(ns);
    int32_t offsets[3] = {0, 0, 0};
    if (s >= ip.length) {
        for (int i = 0; i < ip.count; ++i) offsets[i] = static_cast<int32_t>(ip.endPoint[i]);
    } else {
        InterpolatedOffsets(s, offsets);
    }
    for (int i = 0; i < ip.count; ++i) {
        const int64_t delta = int64_t{offsets[i]} - ip.offset[i];
        ip.offset[i] = offsets[i];
        if (delta) MoveCounters(ip.axes[i], delta);
    }
    if (causes) {
        for (int i = 0; i < ip.count; ++i) Raise(ip.axes[i], causes);
    }
    if (ip.motion.Ended(ns)) EndInterpolation(true);
}

void SimChip::EndInterpolation(bool raiseEnd) {
    m_interpActive = false;
    for (int i = 0; i < m_interp.count; ++i) {
        const int axis = m_interp.axes[i];
        m_axes[axis].drive = Drive::None;
        if (raiseEnd) Raise(axis, simchip::kDriveEnds);
    }
    m_interp.motion.stopping = false;
}
