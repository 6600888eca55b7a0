#include "one_axis.h"

#include <cwchar>

#include "../motion_ids.h"

namespace {

// Button ids in the group's order: the motion-type index is the place in the group.
const int kButtonIds[kMotionTypeCount] = {
    IDC_MOTION_T_CONTINUOUS,    IDC_MOTION_T_RELATIVE,        IDC_MOTION_T_ASYM_RELATIVE,
    IDC_MOTION_T_ABSOLUTE,      IDC_MOTION_T_ASYM_ABSOLUTE,   IDC_MOTION_S_CONTINUOUS,
    IDC_MOTION_S_RELATIVE,      IDC_MOTION_S_ASYM_RELATIVE,   IDC_MOTION_S_ABSOLUTE,
    IDC_MOTION_S_ASYM_ABSOLUTE, IDC_MOTION_MANUAL_CONTINUOUS, IDC_MOTION_MANUAL_FIXED};

// clang-format off
const MotionTypeRow kRows[kMotionTypeCount] = {
    //  start  run    dist   T acc  T dec  S acc  S dec  dir     continuous
    {{true,  true,  false, true,  false, false, false, true},  true},
    {{true,  true,  true,  true,  false, false, false, true},  false},
    {{true,  true,  true,  true,  true,  false, false, true},  false},
    {{true,  true,  true,  true,  false, false, false, true},  false},
    {{true,  true,  true,  true,  true,  false, false, true},  false},
    {{true,  true,  false, true,  false, true,  false, true},  true},
    {{true,  true,  true,  true,  false, true,  false, true},  false},
    {{true,  true,  true,  true,  true,  true,  true,  true},  false},
    {{true,  true,  true,  true,  false, true,  false, true},  false},
    {{true,  true,  true,  true,  true,  true,  true,  true},  false},
    {{true,  true,  false, false, false, false, false, false}, true},
    {{true,  true,  false, false, false, false, false, false}, true},
};
// clang-format on

std::wstring Decimal(int64_t value) {
    wchar_t text[32];
    std::swprintf(text, sizeof text / sizeof text[0], L"%lld", static_cast<long long>(value));
    return text;
}

}  // namespace

const EnableColumnIds kEnableColumnIds[kEnableColumnCount] = {
    {IDC_START_SPEED, 0}, {IDC_RUN_SPEED, 0},
    {IDC_DISTANCE, 0},    {IDC_T_ACC, 0},
    {IDC_T_DEC, 0},       {IDC_S_ACC, 0},
    {IDC_S_DEC, 0},       {IDC_DIR_FORWARD, IDC_DIR_BACKWARD}};

const int kInputFieldIds[8] = {IDC_IN_EZ,  IDC_IN_ORG, IDC_IN_SDM, IDC_IN_SDP,
                               IDC_IN_ELP, IDC_IN_ELM, IDC_IN_INP, IDC_IN_ALM};

int64_t SignedDistance(int32_t distance, int32_t direction) {
    return direction == 0 ? int64_t{distance} : -int64_t{distance};
}

int32_t WrapToInt32(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

MotionCall MotionCallFor(const MotionParams& p, short axis) {
    MotionCall call;
    call.axis = axis;
    call.startSpeed = p.nStartSpeed;
    const int32_t d = WrapToInt32(SignedDistance(p.nDistance, p.nDirection));
    const auto positioned = [&](EMotionMethod method) {
        call.method = method;
        call.pulse = d;
        call.runSpeed = p.nRunSpeed;
        call.accTime = p.fTAccTime;
    };
    switch (p.nMotionType) {
        case 0:
            call.method = EMotionMethod::TVMove;
            call.runSpeed = p.nRunSpeed;
            call.accTime = p.fTAccTime;
            call.direction = static_cast<short>(p.nDirection);
            break;
        case 1:
            positioned(EMotionMethod::StartTRMove);
            break;
        case 2:
            positioned(EMotionMethod::StartTRNMove);
            call.decTime = p.fTDecTime;
            break;
        case 3:
            positioned(EMotionMethod::StartTAMove);
            break;
        case 4:
            positioned(EMotionMethod::StartTANMove);
            call.decTime = p.fTDecTime;
            break;
        case 5:
            call.method = EMotionMethod::SVMove;
            call.runSpeed = p.nRunSpeed;
            call.accTime = p.fTAccTime;
            call.sAccTime = p.fSAccTime;
            call.direction = static_cast<short>(p.nDirection);
            break;
        case 6:
            positioned(EMotionMethod::StartSRMove);
            call.sAccTime = p.fSAccTime;
            break;
        case 7:
            positioned(EMotionMethod::StartSRNMove);
            call.sAccTime = p.fSAccTime;
            call.decTime = p.fTDecTime;
            call.sDecTime = p.fSDecTime;
            break;
        case 8:
            positioned(EMotionMethod::StartSAMove);
            call.sAccTime = p.fSAccTime;
            break;
        case 9:
            positioned(EMotionMethod::StartSANMove);
            call.sAccTime = p.fSAccTime;
            call.decTime = p.fTDecTime;
            call.sDecTime = p.fSDecTime;
            break;
        case 10:
            call.method = EMotionMethod::ManuMove;
            call.runSpeed = p.nRunSpeed;
            break;
        case 11:
            call.method = EMotionMethod::ManuMove2;
            call.runSpeed = 1;
            break;
        default:
            return MotionCall{};
    }
    return call;
}

int MotionTypeButtonId(int motionType) {
    if (motionType < 0 || motionType >= kMotionTypeCount) return 0;
    return kButtonIds[motionType];
}

int MotionTypeOfButton(int buttonId) {
    for (int i = 0; i < kMotionTypeCount; ++i) {
        if (kButtonIds[i] == buttonId) return i;
    }
    return -1;
}

const MotionTypeRow* MotionTypeRowFor(int motionType) {
    if (motionType < 0 || motionType >= kMotionTypeCount) return nullptr;
    return &kRows[motionType];
}

OneAxisPollDisplay OneAxisPollDisplayFor(const OneAxisPollInput& in) {
    OneAxisPollDisplay out;
    out.runState = in.runState == 0 ? L"YES" : L"NO";
    out.currentPosition = Decimal(in.position);

    int64_t command = 0;
    if (!in.continuous) command = in.direction == 1 ? -int64_t{in.distance} : in.distance;
    out.commandPosition = Decimal(command);
    const int64_t deviation = command - in.position;
    out.deviation = Decimal(deviation);
    const int64_t magnitude = deviation < 0 ? -deviation : deviation;
    out.inPosition = magnitude > in.tolerance ? L"NO" : L"YES";

    // Only axes 0 to 3 have a byte of the input word.
    out.axisInputs = in.axis >= 0 && in.axis < 4 ? in.inputs >> (8 * in.axis) : 0;
    static const bool kLimitField[8] = {false, false, false, false, true, true, false, false};
    for (int bit = 0; bit < 8; ++bit) {
        const bool set = ((out.axisInputs >> bit) & 1) != 0;
        if (kLimitField[bit]) {
            out.inputs[bit] = set ? L"有效" : L"无效";
        } else {
            out.inputs[bit] = set ? L"HIGH" : L"LOW";
        }
    }
    return out;
}

std::wstring InterruptStatusText(int32_t status) {
    wchar_t text[16];
    std::swprintf(text, sizeof text / sizeof text[0], L"0x%06x", static_cast<unsigned>(status));
    return text;
}
