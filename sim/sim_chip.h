// Model of the four-axis motion chip behind address space 2: its sixteen-bit
// registers, command decode, counters, compare registers, drives, interpolation and
// interrupt causes. Time is given from outside (nanoseconds), so tests step it.
#pragma once

#include <cstdint>

#include "sim_chip_profile.h"

class SimChip {
public:
    SimChip();

    // Bus access at a local offset 0..14 (even); other offsets read 0, writes are ignored.
    void Write(uint32_t offset, uint16_t value);
    uint16_t Read(uint32_t offset);

    // Runs motion up to the given time; the clock never goes back.
    void AdvanceTo(uint64_t nowNs);
    // The next time at which a cause may be raised or a drive ends (UINT64_MAX: none).
    uint64_t NextEventNs() const;
    // Some axis has a latched, enabled cause (RR3 != 0).
    bool InterruptAsserted() const;
    // The last command was an axis select (kCmdSelect) and no register access followed yet:
    // an interrupt-time command list must not run now.
    bool SelectPending() const;

    // Side doors for tests and the service.
    uint16_t WR1(int axis) const;
    uint16_t WR2(int axis) const;
    uint16_t WR3(int axis) const;
    uint16_t WR4() const;
    uint16_t WR5() const;
    uint16_t RR3(int axis) const;
    bool Driving(int axis) const;
    int32_t LogicalPosition(int axis) const;
    int32_t RealPosition(int axis) const;
    void SetLogicalPosition(int axis, int32_t value);

    struct AxisParams {
        int32_t range;        // R
        uint16_t jerk;        // K
        uint16_t accel;       // A
        uint16_t decel;       // D
        uint16_t startSpeed;  // SV
        uint16_t driveSpeed;  // V
        int32_t pulse;        // P
        int32_t decelPoint;   // DP
        int32_t center;       // C
        uint16_t accOffset;   // AO
        int32_t compPlus;
        int32_t compMinus;
    };
    AxisParams Params(int axis) const;
    // The speed now, in pulses per second (0 when stopped; the vector speed while
    // interpolating).
    double SpeedPps(int axis) const;

    // Inputs: RR4 (X low byte, Y high byte), RR5 (Z, U), and each axis's RR2.
    void SetRR4(uint16_t value);
    void SetRR5(uint16_t value);
    void SetRR2(int axis, uint16_t value);
    // Latches a status word into RR3 whatever the enables.
    void InjectStatus(int axis, uint16_t word);
    // Commands written that the chip does not know (axis bits above U, unknown codes).
    int IllegalCommands() const;

    // Current acceleration (S-curve ramps included), pulses per second squared.
    double AccelPps2(int axis) const;
    uint64_t NowNs() const { return m_now; }

private:
    enum class Drive { None, Single, Interpolation };

    struct Axis {
        uint16_t wr1 = 0;
        uint16_t wr2 = 0;
        uint16_t wr3 = 0;
        uint16_t rr2 = 0;
        uint16_t rr3 = 0;
        AxisParams params{};
        int32_t lp = 0;
        int32_t ep = 0;
        uint16_t compareState = 0;  // compare conditions that hold now, as cause bits
        Drive drive = Drive::None;
        int direction = 1;       // single-axis drive: +1 or -1
        simchip::Motion motion;  // single-axis drive
        int64_t emitted = 0;     // pulses output since the drive started
    };

    struct Interpolation {
        int axes[3] = {0, 0, 0};
        int count = 0;
        bool circle = false;
        double endPoint[3] = {0, 0, 0};  // relative to the start
        double centre[2] = {0, 0};
        double radius0 = 0;
        double radius1 = 0;
        double angle0 = 0;
        double sweep = 0;  // signed, radians
        double length = 0;
        double maxRate = 1;             // most pulses an axis moves per pulse of path
        int32_t offset[3] = {0, 0, 0};  // position reached, relative to the start
        simchip::Motion motion;         // along the path
    };

    void Reset();
    void Command(uint16_t word);
    void AxisCommand(int axis, uint16_t code);
    int SelectedAxis() const;
    double Multiplier(int axis) const;
    simchip::Rates RatesOf(int axis) const;

    void StartDrive(int axis, bool fixed, int direction);
    void Stop(int axis, bool decelerate);
    void SpeedChanged(int axis);
    void EndSingle(int axis, bool raiseEnd);
    void StartInterpolation(uint16_t code);
    void EndInterpolation(bool raiseEnd);
    bool InInterpolation(int axis) const;

    void StepTo(uint64_t ns);
    void StepSingle(int axis, uint64_t ns);
    void StepInterpolation(uint64_t ns);
    void InterpolatedOffsets(double s, int32_t* out) const;
    void MoveCounters(int axis, int64_t delta);
    void Raise(int axis, uint16_t causes);
    uint16_t CompareConditions(int axis) const;
    void RefreshCompare(int axis, bool raise);
    uint64_t NextCompareNs(int axis) const;
    int64_t PulsesToCompareEdge(int axis) const;

    Axis m_axes[4];
    Interpolation m_interp;
    bool m_interpActive = false;
    uint16_t m_wr4 = 0;
    uint16_t m_wr5 = 0;
    uint16_t m_wr6 = 0;
    uint16_t m_wr7 = 0;
    uint16_t m_rr4 = 0;
    uint16_t m_rr5 = 0;
    uint16_t m_rr6 = 0;
    uint16_t m_rr7 = 0;
    uint16_t m_axisBits = 0;  // axis bits (0-3) of the last command word
    int m_lastAxis = 0;       // lowest axis of the last command that named one
    bool m_selectPending = false;
    int m_illegal = 0;
    uint64_t m_now = 0;
};
