#include "page_fields.h"

#include <cwchar>

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
    {1004, E::Radio, &Config::nPulseOutMode,   nullptr},
    {1007, E::Radio, &Config::nPulseInMode,    nullptr},
    {1012, E::Radio, &Config::nAlmLevel,       nullptr},
    {1015, E::Radio, &Config::nInpLevel,       nullptr},
    {1017, E::Radio, &Config::nLimitLevel,     nullptr},
    {1020, E::Radio, &Config::nLimitStop,      nullptr},
    {1031, E::Check, &Config::bIntDriveEnd,    nullptr},
    {1030, E::Check, &Config::bIntAccelEnd,    nullptr},
    {1029, E::Check, &Config::bIntDecelStart,  nullptr},
    {1028, E::Check, &Config::bIntGeCompPlus,  nullptr},
    {1027, E::Check, &Config::bIntLtCompPlus,  nullptr},
    {1026, E::Check, &Config::bIntLtCompMinus, nullptr},
    {1025, E::Check, &Config::bIntGeCompMinus, nullptr},
    {1014, E::Check, &Config::bInpEnable,      nullptr},
    {1011, E::Check, &Config::bAlmEnable,      nullptr},
    {1019, E::Check, &Config::bOrgEnable,      nullptr},
    {1040, E::Radio, &Config::nPulseEdge,      nullptr},
    {1034, E::Radio, &Config::nOrgLevel,       nullptr},
};

const PageField<MotionParams> kOneAxisFields[kOneAxisFieldCount] = {
    {1042, E::Radio, &Motion::nMotionType, nullptr},  // the twelve motion types
    {1096, E::Edit,  &Motion::nPosition,   L"%d"},
    {1067, E::Edit,  &Motion::fTDecTime,   L"%.2f"},
    {1062, E::Edit,  &Motion::fTAccTime,   L"%.2f"},
    {1064, E::Edit,  &Motion::fSDecTime,   L"%.2f"},
    {1063, E::Edit,  &Motion::fSAccTime,   L"%.2f"},
    {1061, E::Edit,  &Motion::nDistance,   L"%d"},
    {1059, E::Edit,  &Motion::nStartSpeed, L"%d"},
    {1058, E::Edit,  &Motion::nTolerance,  L"%d"},
    {1060, E::Edit,  &Motion::nRunSpeed,   L"%d"},
    {1055, E::Radio, &Motion::nDirection,  nullptr},  // forward, backward
};

const PageField<LinearPanelValues> kLinearFields[kLinearFieldCount] = {
    {1059, E::Edit, &Linear::nStartSpeed, L"%d"},
    {1060, E::Edit, &Linear::nMaxSpeed,   L"%d"},
    {1143, E::Edit, &Linear::nTargetX,    L"%d"},
    {1144, E::Edit, &Linear::nTargetY,    L"%d"},
    {1135, E::Edit, &Linear::dAccTime,    L"%f"},
};

// The end point is read with the rest but has no focus-loss handling.
const PageField<CirclePanelValues> kCircleFields[kCircleFieldCount] = {
    {1060, E::Edit,       &Circle::nMaxSpeed,   L"%d"},
    {1059, E::Edit,       &Circle::nStartSpeed, L"%d"},
    {1135, E::Edit,       &Circle::dAccTime,    L"%f"},
    {1148, E::Edit,       &Circle::nEndX,       nullptr},
    {1150, E::Edit,       &Circle::nEndY,       nullptr},
    {1095, E::ComboIndex, &Circle::nDirection,  nullptr},
    {1143, E::Edit,       &Circle::nCenterX,    L"%d"},
    {1144, E::Edit,       &Circle::nCenterY,    L"%d"},
};
// clang-format on
