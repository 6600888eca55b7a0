// Two- and three-axis linear and two-axis circular interpolation.
#include <cstdint>
#include <utility>

#include "chip_registers.h"
#include "motion_card.h"
#include "motion_rates.h"

using namespace chip;
using namespace motion_rates;

namespace {

// The other axes' ranges scale with the path's share they may have to cover.
constexpr double kRangeScale2 = 1.4142135;
constexpr double kRangeScale3 = 1.732051;

bool AxesValid(short axis0, short axis1) {
    return AxisValid(axis0) && AxisValid(axis1) && axis0 != axis1;
}

bool AxesValid(short axis0, short axis1, short axis2) {
    return AxisValid(axis0) && AxisValid(axis1) && AxisValid(axis2) && axis0 != axis1 &&
           axis0 != axis2 && axis1 != axis2;
}

bool CoordValid(int32_t coord) { return MagnitudeWithin(coord, kMaxInterpCoord); }

bool LineSpeedsValid(int32_t sV, int32_t rV, float Tacc) {
    return SpeedWithin(sV) && SpeedWithin(rV) && TimeValid(Tacc);
}

}  // namespace

void CMotionCard::SetInterpAxes(uint16_t axis0, uint16_t axis1) {
    if (axis0 > 3 || axis1 > 3 || axis0 == axis1) return;
    const uint16_t low = axis0 < axis1 ? axis0 : axis1;
    const uint16_t high = axis0 < axis1 ? axis1 : axis0;
    WriteWR5(static_cast<uint16_t>((m_wWR5 & ~kWR5Axes) | low | (high << kWR5AxisShift)));
}

void CMotionCard::SetInterpAxes3(uint16_t ax1, uint16_t ax2, uint16_t ax3) {
    WriteWR5(static_cast<uint16_t>((m_wWR5 & ~kWR5Axes) | (ax1 & 3) | ((ax2 & 3) << kWR5AxisShift) |
                                   ((ax3 & 3) << (2 * kWR5AxisShift))));
}

void CMotionCard::Line2Interp(short axis0, short axis1, int32_t pulse0, int32_t pulse1, int32_t sV,
                              int32_t rV, float Tacc) {
    if (!CheckDrive(AxesValid(axis0, axis1) && CoordValid(pulse0) && CoordValid(pulse1) &&
                    LineSpeedsValid(sV, rV, Tacc))) {
        return;
    }

    const uint16_t a0 = static_cast<uint16_t>(axis0);
    const uint16_t a1 = static_cast<uint16_t>(axis1);
    SetInterpAxes(a0, a1);
    ClearSCurveMode(a0);
    ClearSCurveMode(a1);
    SetDecelMode(a0, 0);
    SetDecelMode(a1, 0);
    WriteCommand(a0, kCmdPrepare);
    WriteCommand(a1, kCmdPrepare);
    SetPulse(a0, pulse0, false);
    SetPulse(a1, pulse1, false);

    if (SpeedNotAbove(rV, sV)) {
        ChooseMultiple(a0, static_cast<uint32_t>(sV));
        const uint16_t speed = SpeedToSV(a0, sV);
        SetDriveSpeed(a0, speed);
        SetDriveSpeed(a1, speed);
    } else {
        ChooseMultiple(a0, static_cast<uint32_t>(rV));
        const double q = LinearQuotient(sV, rV, Tacc);
        SetAccel(a0, AccelToA(a0, Rate(q)));
        SetAccel(a1, AccelToA(a1, Rate(ToSingle(q))));
        SetStartSpeed(a0, SpeedToSV(a0, sV));
        SetStartSpeed(a1, SpeedToSV(a1, sV));
        SetDriveSpeed(a0, SpeedToV(a0, rV));
        SetDriveSpeed(a1, SpeedToV(a1, rV));
    }

    WriteWR5(static_cast<uint16_t>((m_wWR5 & ~kWR5Kind) | kWR5TwoAxes));
    const int32_t range = 8000000 / m_wMultiple[a0];
    SetRange(a0, range);
    SetRange(a1, SaturateToInt32(range * kRangeScale2));
    WriteCommandDirect(kCmdLine2);
}

void CMotionCard::Line3Interp(short axis0, short axis1, short axis2, int32_t pulse0, int32_t pulse1,
                              int32_t pulse2, int32_t sV, int32_t rV, float Tacc) {
    if (!CheckDrive(AxesValid(axis0, axis1, axis2) && CoordValid(pulse0) && CoordValid(pulse1) &&
                    CoordValid(pulse2) && LineSpeedsValid(sV, rV, Tacc))) {
        return;
    }

    // Largest signed end point first; equal end points keep their argument order.
    uint16_t ax[3] = {static_cast<uint16_t>(axis0), static_cast<uint16_t>(axis1),
                      static_cast<uint16_t>(axis2)};
    int32_t pulse[3] = {pulse0, pulse1, pulse2};
    const int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    for (const auto& pair : pairs) {
        if (pulse[pair[0]] < pulse[pair[1]]) {
            std::swap(ax[pair[0]], ax[pair[1]]);
            std::swap(pulse[pair[0]], pulse[pair[1]]);
        }
    }

    SetInterpAxes3(ax[0], ax[1], ax[2]);
    for (const uint16_t a : ax) ClearSCurveMode(a);
    for (const uint16_t a : ax) SetDecelMode(a, 0);
    for (const uint16_t a : ax) WriteCommand(a, kCmdPrepare);
    for (int i = 0; i < 3; ++i) SetPulse(ax[i], pulse[i], false);

    if (SpeedNotAbove(rV, sV)) {
        ChooseMultiple(ax[0], static_cast<uint32_t>(sV));
        for (const uint16_t a : ax) SetDriveSpeed(a, SpeedToSV(a, sV));
    } else {
        ChooseMultiple(ax[0], static_cast<uint32_t>(rV));
        const double q = LinearQuotient(sV, rV, Tacc);
        SetAccel(ax[0], AccelToA(ax[0], Rate(q)));
        SetAccel(ax[1], AccelToA(ax[1], Rate(ToSingle(q))));
        SetAccel(ax[2], AccelToA(ax[2], Rate(ToSingle(q))));
        for (const uint16_t a : ax) SetStartSpeed(a, SpeedToSV(a, sV));
        for (const uint16_t a : ax) SetDriveSpeed(a, SpeedToV(a, rV));
    }

    WriteWR5(static_cast<uint16_t>(m_wWR5 | kWR5ThreeAxes));
    const int32_t range = 8000000 / m_wMultiple[ax[0]];
    SetRange(ax[0], range);
    SetRange(ax[1], SaturateToInt32(range * kRangeScale2));
    SetRange(ax[2], SaturateToInt32(range * kRangeScale3));
    WriteCommandDirect(kCmdLine3);
}

void CMotionCard::CircleInterp(short axis0, short axis1, int32_t core0, int32_t core1,
                               int32_t stop0, int32_t stop1, int32_t sV, int32_t rV, float Tacc,
                               short dir) {
    // Speeds and time are not tested: whatever arrives is bounded by the conversions.
    if (!CheckDrive(AxesValid(axis0, axis1) && CoordValid(core0) && CoordValid(core1) &&
                    CoordValid(stop0) && CoordValid(stop1))) {
        return;
    }

    const uint16_t a0 = static_cast<uint16_t>(axis0);
    const uint16_t a1 = static_cast<uint16_t>(axis1);
    SetInterpAxes(a0, a1);
    ChooseMultiple(a0, static_cast<uint32_t>(rV));
    WriteWR5(static_cast<uint16_t>((m_wWR5 & ~kWR5Kind) | kWR5TwoAxes));
    const int32_t range = 8000000 / m_wMultiple[a0];
    SetRange(a0, range);
    SetRange(a1, SaturateToInt32(range * kRangeScale2));
    ClearSCurveMode(a0);
    SetDecelMode(a0, 0);
    WriteCommand(a0, kCmdPrepare);
    WriteData(core0, true);
    WriteCommand(a0, kCmdCenter);
    WriteData(core1, true);
    WriteCommand(a1, kCmdCenter);
    SetPulse(a0, stop0, false);
    SetPulse(a1, stop1, false);
    SetAccel(a0, AccelToA(a0, Rate(LinearQuotient(sV, rV, Tacc))));
    SetStartSpeed(a0, SpeedToSV(a0, sV));
    SetDriveSpeed(a0, SpeedToV(a0, rV));
    WriteCommandDirect(dir == 0 ? kCmdCircleCcw : kCmdCircleCw);
}

// --- Public forms ----------------------------------------------------------------

void CMotionCard::LineRMove(short axis0, short axis1, int32_t pulse0, int32_t pulse1, int32_t sV,
                            int32_t rV, float Tacc) {
    Line2Interp(axis0, axis1, pulse0, pulse1, sV, rV, Tacc);
}

void CMotionCard::Line3RMove(short axis0, short axis1, short axis2, int32_t pulse0, int32_t pulse1,
                             int32_t pulse2, int32_t sV, int32_t rV, float Tacc) {
    Line3Interp(axis0, axis1, axis2, pulse0, pulse1, pulse2, sV, rV, Tacc);
}

void CMotionCard::CircleDrawR(short axis0, short axis1, int32_t core0, int32_t core1, int32_t stop0,
                              int32_t stop1, int32_t sV, int32_t rV, float Tacc, short dir) {
    CircleInterp(axis0, axis1, core0, core1, stop0, stop1, sV, rV, Tacc, dir);
}

// The absolute forms test the axes before reading any position, then hand relative
// coordinates to the cores. Differences are formed in 64 bits so that a wrapped value
// can never pass the cores' coordinate test.

void CMotionCard::LineAMove(short axis0, short axis1, int32_t pulse0, int32_t pulse1, int32_t sV,
                            int32_t rV, float Tacc) {
    if (!CheckDrive(AxesValid(axis0, axis1))) return;
    const int64_t rel0 = static_cast<int64_t>(pulse0) - GetPosition(axis0);
    const int64_t rel1 = static_cast<int64_t>(pulse1) - GetPosition(axis1);
    Line2Interp(axis0, axis1, NarrowDistance(rel0), NarrowDistance(rel1), sV, rV, Tacc);
}

void CMotionCard::Line3AMove(short axis0, short axis1, short axis2, int32_t pulse0, int32_t pulse1,
                             int32_t pulse2, int32_t sV, int32_t rV, float Tacc) {
    if (!CheckDrive(AxesValid(axis0, axis1, axis2))) return;
    const int64_t rel0 = static_cast<int64_t>(pulse0) - GetPosition(axis0);
    const int64_t rel1 = static_cast<int64_t>(pulse1) - GetPosition(axis1);
    const int64_t rel2 = static_cast<int64_t>(pulse2) - GetPosition(axis2);
    Line3Interp(axis0, axis1, axis2, NarrowDistance(rel0), NarrowDistance(rel1),
                NarrowDistance(rel2), sV, rV, Tacc);
}

void CMotionCard::CircleDrawA(short axis0, short axis1, int32_t core0, int32_t core1, int32_t stop0,
                              int32_t stop1, int32_t sV, int32_t rV, float Tacc, short dir) {
    if (!CheckDrive(AxesValid(axis0, axis1))) return;
    const int64_t relCore0 = static_cast<int64_t>(core0) - GetPosition(axis0);
    const int64_t relCore1 = static_cast<int64_t>(core1) - GetPosition(axis1);
    const int64_t relStop0 = static_cast<int64_t>(stop0) - GetPosition(axis0);
    const int64_t relStop1 = static_cast<int64_t>(stop1) - GetPosition(axis1);
    CircleInterp(axis0, axis1, NarrowDistance(relCore0), NarrowDistance(relCore1),
                 NarrowDistance(relStop0), NarrowDistance(relStop1), sV, rV, Tacc, dir);
}
