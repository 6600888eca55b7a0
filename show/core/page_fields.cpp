#include "page_fields.h"

#include <cwchar>

#include "../motion_ids.h"
#include "../resource.h"

namespace {

using E = EFieldControl;

template <typename T>
std::wstring Format(const wchar_t* format, T value) {
    // Room for the largest double in full ("%f"): an operator's value is never dropped.
    wchar_t text[512];
    const int n = std::swprintf(text, sizeof text / sizeof text[0], format, value);
    return n < 0 ? std::wstring() : std::wstring(text, static_cast<size_t>(n));
}

using Config = AxisConfig;
using Motion = MotionParams;
using Linear = LinearPanelValues;
using Circle = CirclePanelValues;

}  // namespace

std::wstring FormatRefill(const wchar_t* format, int32_t value) { return Format(format, value); }

std::wstring FormatRefill(const wchar_t* format, double value) { return Format(format, value); }

// clang-format off
const PageField<AxisConfig> kConfigFields[kConfigFieldCount] = {
    {IDC_PULSEOUT_CWCCW,    E::Radio, &Config::nPulseOutMode,   nullptr},
    {IDC_PULSEIN_X1,        E::Radio, &Config::nPulseInMode,    nullptr},
    {IDC_ALM_LOW,           E::Radio, &Config::nAlmLevel,       nullptr},
    {IDC_INP_LOW,           E::Radio, &Config::nInpLevel,       nullptr},
    {IDC_LIMIT_LEVEL0,      E::Radio, &Config::nLimitLevel,     nullptr},
    {IDC_LIMIT_DECEL,       E::Radio, &Config::nLimitStop,      nullptr},
    {IDC_INT_DRIVE_END,     E::Check, &Config::bIntDriveEnd,    nullptr},
    {IDC_INT_ACCEL_END,     E::Check, &Config::bIntAccelEnd,    nullptr},
    {IDC_INT_DECEL_START,   E::Check, &Config::bIntDecelStart,  nullptr},
    {IDC_INT_GE_COMP_PLUS,  E::Check, &Config::bIntGeCompPlus,  nullptr},
    {IDC_INT_LT_COMP_PLUS,  E::Check, &Config::bIntLtCompPlus,  nullptr},
    {IDC_INT_LT_COMP_MINUS, E::Check, &Config::bIntLtCompMinus, nullptr},
    {IDC_INT_GE_COMP_MINUS, E::Check, &Config::bIntGeCompMinus, nullptr},
    {IDC_INP_ENABLE,        E::Check, &Config::bInpEnable,      nullptr},
    {IDC_ALM_ENABLE,        E::Check, &Config::bAlmEnable,      nullptr},
    {IDC_ORG_ENABLE,        E::Check, &Config::bOrgEnable,      nullptr},
    {IDC_EDGE_RISING,       E::Radio, &Config::nPulseEdge,      nullptr},
    {IDC_ORG_LOW,           E::Radio, &Config::nOrgLevel,       nullptr},
};

const PageField<MotionParams> kOneAxisFields[kOneAxisFieldCount] = {
    {IDC_MOTION_FIRST, E::Radio, &Motion::nMotionType, nullptr},  // the twelve motion types
    {IDC_POSITION,     E::Edit,  &Motion::nPosition,   L"%d"},
    {IDC_T_DEC,        E::Edit,  &Motion::fTDecTime,   L"%.2f"},
    {IDC_T_ACC,        E::Edit,  &Motion::fTAccTime,   L"%.2f"},
    {IDC_S_DEC,        E::Edit,  &Motion::fSDecTime,   L"%.2f"},
    {IDC_S_ACC,        E::Edit,  &Motion::fSAccTime,   L"%.2f"},
    {IDC_DISTANCE,     E::Edit,  &Motion::nDistance,   L"%d"},
    {IDC_START_SPEED,  E::Edit,  &Motion::nStartSpeed, L"%d"},
    {IDC_TOLERANCE,    E::Edit,  &Motion::nTolerance,  L"%d"},
    {IDC_RUN_SPEED,    E::Edit,  &Motion::nRunSpeed,   L"%d"},
    {IDC_DIR_FORWARD,  E::Radio, &Motion::nDirection,  nullptr},  // forward, backward
};

const PageField<LinearPanelValues> kLinearFields[kLinearFieldCount] = {
    {IDC_START_SPEED, E::Edit, &Linear::nStartSpeed, L"%d"},
    {IDC_RUN_SPEED,   E::Edit, &Linear::nMaxSpeed,   L"%d"},
    {IDC_TARGET_X,    E::Edit, &Linear::nTargetX,    L"%d"},
    {IDC_TARGET_Y,    E::Edit, &Linear::nTargetY,    L"%d"},
    {IDC_ACC_TIME,    E::Edit, &Linear::dAccTime,    L"%f"},
};

// The end point is read with the rest but has no focus-loss handling.
const PageField<CirclePanelValues> kCircleFields[kCircleFieldCount] = {
    {IDC_RUN_SPEED,   E::Edit,       &Circle::nMaxSpeed,   L"%d"},
    {IDC_START_SPEED, E::Edit,       &Circle::nStartSpeed, L"%d"},
    {IDC_ACC_TIME,    E::Edit,       &Circle::dAccTime,    L"%f"},
    {IDC_END_X,       E::Edit,       &Circle::nEndX,       nullptr},
    {IDC_END_Y,       E::Edit,       &Circle::nEndY,       nullptr},
    {IDC_CIRCLE_DIR,  E::ComboIndex, &Circle::nDirection,  nullptr},
    {IDC_TARGET_X,    E::Edit,       &Circle::nCenterX,    L"%d"},
    {IDC_TARGET_Y,    E::Edit,       &Circle::nCenterY,    L"%d"},
};
// clang-format on
