// The card object: one motion card, a PLX 9050 bridge with a four-axis pulse-train
// motion chip behind it. Every automation method of the control forwards to the
// operation of the same name here.
//
// Conventions shared by every operation: checks run in the documented order and the
// first failing one shows its message (card_message.h) and ends the call; nothing
// reaches the chip before all checks have passed; an operation that would reach the
// chip on a closed card refuses with the not-initialised message. Short results are
// 0 (accepted) or -1 (refused).
#pragma once

#include <windows.h>

#include <cstdint>

#include "p9050.h"

struct ChipParameter;  // a command setter's code, data width and clamp

class CMotionCard {
public:
    CMotionCard();
    virtual ~CMotionCard();
    CMotionCard(const CMotionCard&) = delete;
    CMotionCard& operator=(const CMotionCard&) = delete;

    // Lifecycle.
    static short GetCardCount();
    short InitCard(short nCard, HWND hWnd);
    void CloseCard();
    bool IsOpen() const { return m_hCard != nullptr; }

    // Interrupt enables and the handler that relays interrupts to hNotifyWnd.
    short SetInterrupt(short axis, short nVal);
    short CloseInterrupt(short axis);
    static void __stdcall OnCardInterrupt(P9050Handle* hCard, P9050IntResult* result);

    // Counters, compare registers, stops and run state.
    int32_t GetPosition(short axis);
    void SetPosition(short axis, int32_t data);
    int32_t GetExPosition(short axis);
    void SetExPosition(short axis, int32_t data);
    void SetComP(short axis, int32_t data);
    void SetComM(short axis, int32_t data);
    void StopAxisDec(short axis);
    void StopAxisInst(short axis);
    void Stop2AxisDec(short axis0, short axis1);
    void Stop2AxisInst(short axis0, short axis1);
    void Stop3axisDec(short axis0, short axis1, short axis2);
    void Stop3AxisInst(short axis0, short axis1, short axis2);
    void StopAllDec();
    void StopAllInst();
    short RunState(short axis);
    void VChange(short axis, int32_t rV);

    // Signal modes and input/output words.
    void PulseOutMode(short axis, short mode);
    void LevelMode(short axis, short mode);
    void InputMode(short axis, short mode);
    void WhoCheckCom(short axis, short nWho);
    void SignalSoftLmt(short axis, short data);
    void SignalHardLmt(short axis, short data);
    void SignalAlmInp(short axis, short data);
    void SignalOrg(short axis, short mode);
    int32_t GetInput();
    void Setoutput(short val);

    // Single-axis drives.
    short TVMove(short axis, int32_t sV, int32_t rV, float Tacc, short dir);
    short SVMove(short axis, int32_t sV, int32_t rV, float Tacc, float Tsacc, short dir);
    short StartTRMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tacc);
    short StartTRNMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tacc, float Tdec);
    short StartSRMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tacc, float Tsacc);
    short StartSRNMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tlacc, float Tsacc,
                       float Tldec, float Tsdec);
    short StartTAMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tacc);
    short StartTANMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tacc, float Tdec);
    short StartSAMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tlacc, float Tsacc);
    short StartSANMove(short axis, int32_t lPulse, int32_t sV, int32_t rV, float Tlacc, float Tsacc,
                       float Tldec, float Tsdec);
    short ManuMove(short axis, int32_t sV, int32_t rV);
    // rV arrives narrowed to 16 bits by the control; its low 16 bits are the pulse count.
    short ManuMove2(short axis, int32_t sV, int32_t rV);

    // Interpolation.
    void LineRMove(short axis0, short axis1, int32_t pulse0, int32_t pulse1, int32_t sV, int32_t rV,
                   float Tacc);
    void LineAMove(short axis0, short axis1, int32_t pulse0, int32_t pulse1, int32_t sV, int32_t rV,
                   float Tacc);
    void Line3RMove(short axis0, short axis1, short axis2, int32_t pulse0, int32_t pulse1,
                    int32_t pulse2, int32_t sV, int32_t rV, float Tacc);
    void Line3AMove(short axis0, short axis1, short axis2, int32_t pulse0, int32_t pulse1,
                    int32_t pulse2, int32_t sV, int32_t rV, float Tacc);
    void CircleDrawR(short axis0, short axis1, int32_t core0, int32_t core1, int32_t stop0,
                     int32_t stop1, int32_t sV, int32_t rV, float Tacc, short dir);
    void CircleDrawA(short axis0, short axis1, int32_t core0, int32_t core1, int32_t stop0,
                     int32_t stop1, int32_t sV, int32_t rV, float Tacc, short dir);

protected:
    friend class CMotionCardTestAccess;  // tests reach the fields and primitives

    // Register primitives. None checks m_hCard or the axis: their callers do. Only
    // WriteCommand drops an axis above U, whose bit would reach the reset bit.
    void WriteCommand(uint16_t axis, uint16_t code);
    void WriteCommandDirect(uint16_t word);  // WR0 without the settle delay
    void ResetChip();
    void WriteData(int32_t value, bool wide);
    int32_t ReadData(bool wide);
    void WriteWR1(uint16_t axis, uint16_t value);
    void WriteWR2(uint16_t axis, uint16_t value);
    void WriteWR3(uint16_t axis, uint16_t value);
    void WriteWR4(uint16_t value);
    void WriteWR5(uint16_t value);
    uint16_t ReadRR0();
    uint16_t ReadRR2(uint16_t axis);
    uint16_t ReadRR4();
    uint16_t ReadRR5();

    // Command setters (clamped) and readers.
    void WriteParameter(uint16_t axis, const ChipParameter& parameter, int32_t value);
    void SetRange(uint16_t axis, int32_t value);
    void SetJerk(uint16_t axis, int32_t value);
    void SetAccel(uint16_t axis, int32_t value);
    void SetDecel(uint16_t axis, int32_t value);
    void SetStartSpeed(uint16_t axis, int32_t value);
    void SetDriveSpeed(uint16_t axis, int32_t value);
    void SetPulse(uint16_t axis, int32_t value, bool fixed);
    void SetDecelPoint(uint16_t axis, int32_t value);
    void SetCenter(uint16_t axis, int32_t value);
    void SetLogicalPos(uint16_t axis, int32_t value);
    void SetRealPos(uint16_t axis, int32_t value);
    void SetCompPlus(uint16_t axis, int32_t value);
    void SetCompMinus(uint16_t axis, int32_t value);
    void SetAccOffset(uint16_t axis, int32_t value);
    int32_t ReadLogicalPos(uint16_t axis);
    int32_t ReadRealPos(uint16_t axis);
    uint16_t ReadCurrentSpeed(uint16_t axis);
    uint16_t ReadCurrentAccel(uint16_t axis);

    // Unit conversion.
    void SetMultiple(uint16_t axis, uint16_t multiple);
    // The multiplier rule for a governing speed: M = trunc(s / 8000 + 0.5), clamped to
    // 1..500 before it is cut to 16 bits, then stored by SetMultiple. Writes no range.
    void ChooseMultiple(uint16_t axis, uint32_t speed);
    // ChooseMultiple, then the range 8000000 / M: how every single-axis drive starts.
    void ChooseMultipleAndRange(uint16_t axis, uint32_t speed);
    double GetMultiple(uint16_t axis) const;
    uint16_t SpeedToSV(uint16_t axis, int32_t speed);
    int32_t SpeedToV(uint16_t axis, int32_t speed);
    uint16_t AccelToA(uint16_t axis, int32_t accel);
    uint16_t DecelToD(uint16_t axis, int32_t decel);
    uint16_t JerkToK(uint16_t axis, int32_t jerk);

    // Drive helpers.
    void StartFixedDrive(uint16_t axis, int32_t v, int32_t pulses, bool negative, bool sCurve);
    void StartSCurveFixedDrive(uint16_t axis, int32_t v, int32_t pulses, bool negative);
    void StartContinuousDrive(uint16_t axis, int32_t v, short dir);
    void SetSCurveMode(uint16_t axis);
    void ClearSCurveMode(uint16_t axis);
    void SetDecelMode(uint16_t axis, int mode);
    void SetManualDecel(uint16_t axis, int32_t point);
    void SetManualContinuous(uint16_t axis);
    void SetManualFixed(uint16_t axis);
    void ClearManualMode(uint16_t axis);
    void DecelStop(uint16_t axis);
    void InstantStop(uint16_t axis);
    // One WR0 word stopping several distinct axes at once.
    void StopAxes(const short* axes, int count, uint16_t code);

    // Interpolation cores (relative coordinates).
    void Line2Interp(short axis0, short axis1, int32_t pulse0, int32_t pulse1, int32_t sV,
                     int32_t rV, float Tacc);
    void Line3Interp(short axis0, short axis1, short axis2, int32_t pulse0, int32_t pulse1,
                     int32_t pulse2, int32_t sV, int32_t rV, float Tacc);
    void CircleInterp(short axis0, short axis1, int32_t core0, int32_t core1, int32_t stop0,
                      int32_t stop1, int32_t sV, int32_t rV, float Tacc, short dir);
    void SetInterpAxes(uint16_t axis0, uint16_t axis1);
    void SetInterpAxes3(uint16_t ax1, uint16_t ax2, uint16_t ax3);

    // Internal current-value readers (no automation method reaches them).
    uint16_t ReadAxisSpeed(short axis);
    uint16_t ReadAxisAccel(short axis);
    uint16_t ReadInterpSpeed();
    uint16_t ReadInterpAccel();

    // Checks: each shows its message and returns false on failure.
    bool CheckAxis(short axis);
    bool CheckOpen();
    // How every drive starts: its arguments (tested by the caller, before anything else),
    // then the open card.
    bool CheckDrive(bool argumentsValid);
    // CheckDrive on the axis and the other arguments, then the axis's speed multiple and
    // range for the drive's top speed: the start of every single-axis drive with a profile.
    bool BeginAxisDrive(short axis, bool othersValid, int32_t topSpeed);

    P9050Handle* m_hCard;
    char m_szStatus[1024];
    uint16_t m_wWR1[4];
    uint16_t m_wWR2[4];
    uint16_t m_wWR3[4];
    uint16_t m_wWR5;
    int32_t m_lStartSpeed[4];
    int32_t m_lAccel[4];
    int32_t m_lDecel[4];
    int32_t m_lJerk[4];
    uint16_t m_wAccOffset[4];
    uint16_t m_wMultiple[4];
};

enum : uint32_t {
    MOTION_VENDOR_ID = 0xCDAB,
    MOTION_DEVICE_ID = 0x305C,
    MOTION_CHIP_SPACE = 2,
    MOTION_BRIDGE_IO_SPACE = 1,
};

// The relay messages, one per axis X..U: wParam the status word, lParam the card object.
enum : UINT {
    WM_INTERRUPT_X = WM_USER + 0x6F,
    WM_INTERRUPT_Y = WM_USER + 0x70,
    WM_INTERRUPT_Z = WM_USER + 0x71,
    WM_INTERRUPT_U = WM_USER + 0x72,
};
