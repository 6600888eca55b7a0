#include "page_texts.h"

#include <cwchar>

namespace {

template <typename... Args>
std::wstring Format(const wchar_t* format, Args... args) {
    wchar_t text[128];
    const int n = std::swprintf(text, sizeof text / sizeof text[0], format, args...);
    return n < 0 ? std::wstring() : std::wstring(text, static_cast<size_t>(n));
}

}  // namespace

std::wstring ConfigPageTitle(int card, int axis) {
    return Format(L"对(卡:%d 轴:%d)进行信息配置", card, axis);
}

std::wstring OneAxisPageTitle(int card, int axis) {
    return Format(L"(卡:%d 轴:%d)的单轴运动", card, axis);
}

std::wstring TwoAxisPageTitle(int card, int mainAxis, int slaveAxis) {
    return Format(L"卡%d的两轴运动：轴%d，轴%d", card, mainAxis, slaveAxis);
}

std::wstring IntegerText(int64_t value) { return Format(L"%lld", static_cast<long long>(value)); }
