// Register file and command decode of the chip model.
#include "sim_chip.h"

#include <cmath>

using namespace chip;

namespace {

constexpr int32_t kFullRange = 8000000;  // the range at which M = 1

bool KnownCode(uint16_t code) {
    return code <= kCmdAccOffset || code == kCmdSelect ||
           (code >= kCmdReadLogicalPos && code <= kCmdReadAccel) ||
           (code >= kCmdFixedPlus && code <= kCmdContinuousMinus) || code == kCmdDecelStop ||
           code == kCmdInstantStop || (code >= kCmdLine2 && code <= kCmdCircleCcw) ||
           code == kCmdPrepare;
}

int LowestAxis(uint16_t bits) {
    for (int axis = 0; axis < 4; ++axis) {
        if (bits & (1u << axis)) return axis;
    }
    return -1;
}

uint16_t ToChipUnits(double value) {
    const double rounded = std::floor(value + 0.5);
    if (!(rounded > 0)) return 0;
    return rounded >= 65535.0 ? 65535 : static_cast<uint16_t>(rounded);
}

}  // namespace

SimChip::SimChip() { Reset(); }

void SimChip::Reset() {
    for (int axis = 0; axis < 4; ++axis) {
        Axis& a = m_axes[axis];
        const uint16_t inputs = a.rr2;  // inputs come from outside the chip
        a = Axis{};
        a.rr2 = inputs;
        a.params.range = kFullRange;
        RefreshCompare(axis, false);
    }
    m_interp = Interpolation{};
    m_interpActive = false;
    m_wr4 = m_wr5 = m_wr6 = m_wr7 = 0;
    m_rr6 = m_rr7 = 0;
    m_axisBits = 0;
    m_lastAxis = 0;
    m_selectPending = false;
}

int SimChip::SelectedAxis() const {
    const int lowest = LowestAxis(m_axisBits);
    return lowest >= 0 ? lowest : m_lastAxis;
}

void SimChip::Write(uint32_t offset, uint16_t value) {
    m_selectPending = false;
    const uint16_t selected = m_axisBits ? m_axisBits : static_cast<uint16_t>(1u << m_lastAxis);
    switch (offset) {
        case kWR0:
            Command(value);
            break;
        case kWR1:
        case kWR2:
        case kWR3:
            for (int axis = 0; axis < 4; ++axis) {
                if (!(selected & (1u << axis))) continue;
                Axis& a = m_axes[axis];
                if (offset == kWR1) a.wr1 = value;
                if (offset == kWR2) {
                    a.wr2 = value;
                    RefreshCompare(axis, false);  // the compare source may have changed
                }
                if (offset == kWR3) a.wr3 = value;
            }
            break;
        case kWR4:
            m_wr4 = value;
            break;
        case kWR5:
            m_wr5 = value;
            break;
        case kWR6:
            m_wr6 = value;
            break;
        case kWR7:
            m_wr7 = value;
            break;
        default:
            break;
    }
}

uint16_t SimChip::Read(uint32_t offset) {
    m_selectPending = false;
    switch (offset) {
        case kRR0: {
            uint16_t rr0 = 0;
            for (int axis = 0; axis < 4; ++axis) {
                if (Driving(axis)) rr0 |= static_cast<uint16_t>(1u << axis);
            }
            return rr0;
        }
        case kRR2:
            return m_axes[SelectedAxis()].rr2;
        case kRR3: {
            Axis& a = m_axes[SelectedAxis()];
            const uint16_t status = a.rr3;
            a.rr3 = 0;
            return status;
        }
        case kRR4:
            return m_rr4;
        case kRR5:
            return m_rr5;
        case kRR6:
            return m_rr6;
        case kRR7:
            return m_rr7;
        default:
            return 0;
    }
}

void SimChip::Command(uint16_t word) {
    if (word == kReset) {
        Reset();
        return;
    }
    const uint16_t code = word & kCodeBits;
    if ((word & kNotAxisBits) || !KnownCode(code)) {
        ++m_illegal;
        return;
    }
    m_axisBits = (word & kAxisBits) >> 8;
    const int lowest = LowestAxis(m_axisBits);
    if (lowest >= 0) m_lastAxis = lowest;
    if (code == kCmdSelect) {
        m_selectPending = true;
        return;
    }
    if (code >= kCmdLine2 && code <= kCmdCircleCcw) {
        StartInterpolation(code);
        return;
    }
    if (code >= kCmdReadLogicalPos && code <= kCmdReadAccel) {
        // The data registers hold one value: that of the lowest named axis.
        if (lowest >= 0) AxisCommand(lowest, code);
        return;
    }
    for (int axis = 0; axis < 4; ++axis) {
        if (m_axisBits & (1u << axis)) AxisCommand(axis, code);
    }
}

void SimChip::AxisCommand(int axis, uint16_t code) {
    Axis& a = m_axes[axis];
    AxisParams& p = a.params;
    const int32_t wide = static_cast<int32_t>((static_cast<uint32_t>(m_wr7) << 16) | m_wr6);
    const uint16_t low = m_wr6;
    auto latch = [this](int32_t value) {
        m_rr6 = static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFF);
        m_rr7 = static_cast<uint16_t>(static_cast<uint32_t>(value) >> 16);
    };
    switch (code) {
        case kCmdRange:
            p.range = wide;
            break;
        case kCmdJerk:
            p.jerk = low;
            break;
        case kCmdAccel:
            p.accel = low;
            break;
        case kCmdDecel:
            p.decel = low;
            break;
        case kCmdStartSpeed:
            p.startSpeed = low;
            break;
        case kCmdDriveSpeed:
            p.driveSpeed = low;
            SpeedChanged(axis);
            break;
        case kCmdPulse:
            p.pulse = wide;
            break;
        case kCmdDecelPoint:
            p.decelPoint = wide;
            break;
        case kCmdCenter:
            p.center = wide;
            break;
        case kCmdLogicalPos:
            a.lp = wide;
            RefreshCompare(axis, true);
            break;
        case kCmdRealPos:
            a.ep = wide;
            RefreshCompare(axis, true);
            break;
        case kCmdCompPlus:
            p.compPlus = wide;
            RefreshCompare(axis, false);
            break;
        case kCmdCompMinus:
            p.compMinus = wide;
            RefreshCompare(axis, false);
            break;
        case kCmdAccOffset:
            p.accOffset = low;
            break;
        case kCmdReadLogicalPos:
            latch(a.lp);
            break;
        case kCmdReadRealPos:
            latch(a.ep);
            break;
        case kCmdReadSpeed:
            latch(ToChipUnits(SpeedPps(axis) / Multiplier(axis)));
            break;
        case kCmdReadAccel:
            latch(ToChipUnits(std::fabs(AccelPps2(axis)) / (125.0 * Multiplier(axis))));
            break;
        case kCmdFixedPlus:
        case kCmdFixedMinus:
            StartDrive(axis, true, code == kCmdFixedPlus ? 1 : -1);
            break;
        case kCmdContinuousPlus:
        case kCmdContinuousMinus:
            StartDrive(axis, false, code == kCmdContinuousPlus ? 1 : -1);
            break;
        case kCmdDecelStop:
        case kCmdInstantStop:
            Stop(axis, code == kCmdDecelStop);
            break;
        default:  // kCmdPrepare: the chip only takes note
            break;
    }
}

double SimChip::Multiplier(int axis) const {
    const int32_t range = m_axes[axis].params.range;
    return range > 0 ? static_cast<double>(kFullRange) / range : 1.0;
}

simchip::Rates SimChip::RatesOf(int axis) const {
    const AxisParams& p = m_axes[axis].params;
    const uint16_t wr3 = m_axes[axis].wr3;
    const double m = Multiplier(axis);
    // Registers left at 0 (after a reset) act as their smallest setting.
    auto atLeastOne = [](uint16_t v) { return v ? static_cast<double>(v) : 1.0; };
    simchip::Rates r;
    r.startSpeed = atLeastOne(p.startSpeed) * m;
    r.driveSpeed = atLeastOne(p.driveSpeed) * m;
    r.accel = atLeastOne(p.accel) * 125.0 * m;
    r.decel = (wr3 & kWR3UseDecel) ? atLeastOne(p.decel) * 125.0 * m : r.accel;
    r.jerk = 62500000.0 * m / atLeastOne(p.jerk);
    r.sCurve = (wr3 & kWR3SCurve) != 0;
    return r;
}

bool SimChip::SelectPending() const { return m_selectPending; }

uint16_t SimChip::WR1(int axis) const { return m_axes[axis & 3].wr1; }
uint16_t SimChip::WR2(int axis) const { return m_axes[axis & 3].wr2; }
uint16_t SimChip::WR3(int axis) const { return m_axes[axis & 3].wr3; }
uint16_t SimChip::WR4() const { return m_wr4; }
uint16_t SimChip::WR5() const { return m_wr5; }
uint16_t SimChip::RR3(int axis) const { return m_axes[axis & 3].rr3; }
bool SimChip::Driving(int axis) const { return m_axes[axis & 3].drive != Drive::None; }
int32_t SimChip::LogicalPosition(int axis) const { return m_axes[axis & 3].lp; }
int32_t SimChip::RealPosition(int axis) const { return m_axes[axis & 3].ep; }

void SimChip::SetLogicalPosition(int axis, int32_t value) {
    m_axes[axis & 3].lp = value;
    RefreshCompare(axis & 3, true);
}

SimChip::AxisParams SimChip::Params(int axis) const { return m_axes[axis & 3].params; }

void SimChip::SetRR4(uint16_t value) { m_rr4 = value; }
void SimChip::SetRR5(uint16_t value) { m_rr5 = value; }
void SimChip::SetRR2(int axis, uint16_t value) { m_axes[axis & 3].rr2 = value; }
void SimChip::InjectStatus(int axis, uint16_t word) { m_axes[axis & 3].rr3 |= word; }
int SimChip::IllegalCommands() const { return m_illegal; }

bool SimChip::InterruptAsserted() const {
    for (const Axis& a : m_axes) {
        if (a.rr3) return true;
    }
    return false;
}

void SimChip::Raise(int axis, uint16_t causes) {
    Axis& a = m_axes[axis];
    a.rr3 |= static_cast<uint16_t>(causes & (a.wr1 >> kWR1InterruptShift));
}

uint16_t SimChip::CompareConditions(int axis) const {
    const Axis& a = m_axes[axis];
    const int32_t counter = (a.wr2 & kWR2CompareReal) ? a.ep : a.lp;
    uint16_t conditions = 0;
    conditions |=
        counter >= a.params.compMinus ? simchip::kCompMinusReached : simchip::kBelowCompMinus;
    conditions |= counter < a.params.compPlus ? simchip::kBelowCompPlus : simchip::kCompPlusReached;
    return conditions;
}

void SimChip::RefreshCompare(int axis, bool raise) {
    Axis& a = m_axes[axis];
    const uint16_t now = CompareConditions(axis);
    if (raise) Raise(axis, static_cast<uint16_t>(now & ~a.compareState));
    a.compareState = now;
}
