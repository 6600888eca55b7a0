// Model of the four-axis motion chip behind address space 2: its sixteen-bit
// registers, command decode, counters, compare registers, drives, interpolation and
// interrupt causes. Time is given from outside (nanoseconds), so tests step it.
#pragma once

#include <cstdint>

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
    // The last command was an axis select (0x0F) and no register access followed yet:
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
        int32_t range;  // R
        uint16_t jerk;  // K
        uint16_t accel;  // A
        uint16_t decel;  // D
        uint16_t startSpeed;  // SV
        uint16_t driveSpeed;  // V
        int32_t pulse;  // P
        int32_t decelPoint;  // DP
        int32_t center;  // C
        uint16_t accOffset;  // AO
        int32_t compPlus;
        int32_t compMinus;
    };
    AxisParams Params(int axis) const;
    // The speed now, in pulses per second (0 when stopped).
    double SpeedPps(int axis) const;

    // Inputs: RR4 (X low byte, Y high byte), RR5 (Z, U), and each axis's RR2.
    void SetRR4(uint16_t value);
    void SetRR5(uint16_t value);
    void SetRR2(int axis, uint16_t value);
    // Latches a status word into RR3 whatever the enables.
    void InjectStatus(int axis, uint16_t word);
    // Commands written that the chip does not know (axis bits above U, unknown codes).
    int IllegalCommands() const;

private:
};
