// The one-axis page's decisions without its windows: the twelve motion types (which
// control method a start issues, with which arguments, and which edits each type uses)
// and the values its 50 ms poll shows.
#pragma once

#include <cstdint>
#include <string>

#include "axis_records.h"

constexpr int kMotionTypeCount = 12;

enum class EMotionMethod {
    None,  // a motion type outside 0..11 issues nothing
    TVMove,
    StartTRMove,
    StartTRNMove,
    StartTAMove,
    StartTANMove,
    SVMove,
    StartSRMove,
    StartSRNMove,
    StartSAMove,
    StartSANMove,
    ManuMove,
    ManuMove2,
};

// One start: the method and the arguments it takes, named after the method's parameters.
// Arguments a method does not take are left zero.
struct MotionCall {
    EMotionMethod method = EMotionMethod::None;
    short axis = 0;
    int32_t pulse = 0;       // lPulse: the signed distance, or the target of an absolute move
    int32_t startSpeed = 0;  // sV
    int32_t runSpeed = 0;    // rV; ManuMove2's third argument (the constant 1)
    float accTime = 0;       // Tacc / Tlacc
    float sAccTime = 0;      // Tsacc
    float decTime = 0;       // Tdec / Tldec
    float sDecTime = 0;      // Tsdec
    short direction = 0;     // dir of the continuous drives
};

// The distance with the direction applied: negated for every direction but 0, in 64 bits
// so that the lowest int32 negates correctly.
int64_t SignedDistance(int32_t distance, int32_t direction);
// The 32-bit two's-complement value a 64-bit result is passed as.
int32_t WrapToInt32(int64_t value);

// The call a start issues for the page's values (motion type, speeds, times, distance,
// direction) on the given axis.
MotionCall MotionCallFor(const MotionParams& params, short axis);

// Button id of motion type 0..11 (the group's order, not the ids' order), 0 for another
// type; and the type of a button id, -1 for an id that is no motion-type button.
int MotionTypeButtonId(int motionType);
int MotionTypeOfButton(int buttonId);

// Columns of the enabling table, in the order the controls are switched.
enum EEnableColumn {
    kColStartSpeed,  // 1059
    kColRunSpeed,    // 1060
    kColDistance,    // 1061
    kColTAcc,        // 1062
    kColTDec,        // 1067
    kColSAcc,        // 1063
    kColSDec,        // 1064
    kColDirection,   // 1055 and 1056
    kEnableColumnCount
};

// The control ids of each column (the direction column has two buttons; the other second
// id is 0).
struct EnableColumnIds {
    int first;
    int second;
};
extern const EnableColumnIds kEnableColumnIds[kEnableColumnCount];

struct MotionTypeRow {
    bool enable[kEnableColumnCount];
    bool continuous;  // no target: the poll shows command position 0
};

// The enabling row of a motion type, or null outside 0..11.
const MotionTypeRow* MotionTypeRowFor(int motionType);

// Everything one poll tick reads from the control plus the page's values it uses.
struct OneAxisPollInput {
    int axis = 0;
    short runState = 1;    // RunState: 0 while driving
    int32_t position = 0;  // GetPosition
    int32_t inputs = 0;    // GetInput, all four axes
    bool continuous = true;
    int32_t distance = 0;
    int32_t direction = 0;  // the command position is negated for 1 only
    int32_t tolerance = 0;
};

struct OneAxisPollDisplay {
    std::wstring runState;         // 1072
    std::wstring commandPosition;  // 1068
    std::wstring currentPosition;  // 1069
    std::wstring deviation;        // 1070
    std::wstring inPosition;       // 1071
    int32_t axisInputs = 0;        // GetInput shifted to the axis (arithmetic), for the trace
    std::wstring inputs[8];        // 1074 EZ ... 1081 ALM, in writing order
};

// Control ids of the eight input fields, in writing order.
extern const int kInputFieldIds[8];

OneAxisPollDisplay OneAxisPollDisplayFor(const OneAxisPollInput& in);

// The interrupt-status field's text: "0x" and at least six lower-case hex digits.
std::wstring InterruptStatusText(int32_t status);
