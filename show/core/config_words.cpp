#include "config_words.h"

#include <cwchar>

namespace {

// Arithmetic on stored values is done unsigned: a stored value may be anything.
uint32_t U(int32_t value) { return static_cast<uint32_t>(value); }

const wchar_t* LevelWord(int32_t level) {
    if (level == 0) return L"低电平有效";
    if (level == 1) return L"高电平有效";
    return L"";
}

}  // namespace

int16_t CutTo16(int32_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(U(value) & 0xFFFFu));
}

int16_t AlarmWord(int32_t almEnable, int32_t almLevel, int32_t inpEnable, int32_t inpLevel) {
    uint32_t word = 0;
    if (almEnable != 0) word |= 2;
    word |= U(almLevel);
    if (inpEnable != 0) word |= 8;
    word |= U(inpLevel) << 2;
    return CutTo16(static_cast<int32_t>(word));
}

int16_t LimitWord(int32_t limitLevel, int32_t limitStop) {
    return CutTo16(static_cast<int32_t>(U(limitLevel) * 2 + U(limitStop)));
}

int16_t HomeWord(int32_t orgEnable, int32_t orgLevel) {
    if (orgEnable == 0) return 0;
    return CutTo16(static_cast<int32_t>(U(orgLevel) + 1));
}

int16_t InterruptWord(const AxisConfig& c) {
    const int32_t fields[] = {c.bIntGeCompMinus, c.bIntLtCompMinus, c.bIntLtCompPlus,
                              c.bIntGeCompPlus,  c.bIntDecelStart,  c.bIntAccelEnd,
                              c.bIntDriveEnd};
    uint32_t word = 0;
    unsigned shift = 1;
    for (const int32_t field : fields) word |= U(field) << shift++;
    return CutTo16(static_cast<int32_t>(word));
}

AxisConfigWords ConfigWordsOf(const AxisConfig& c) {
    return {CutTo16(c.nPulseOutMode),
            CutTo16(c.nPulseInMode),
            AlarmWord(c.bAlmEnable, c.nAlmLevel, c.bInpEnable, c.nInpLevel),
            LimitWord(c.nLimitLevel, c.nLimitStop),
            HomeWord(c.bOrgEnable, c.nOrgLevel),
            CutTo16(c.nPulseEdge),
            InterruptWord(c)};
}

std::wstring ConfigSummaryText(const AxisConfig& c) {
    std::wstring text = L"      -----配置情况-----";

    static const wchar_t* const kPulseOut[] = {L"\n脉冲输出：CW/CCW双脉冲",
                                               L"\n脉冲输出：PULSE/DIR 正向低电平",
                                               L"\n脉冲输出：PULSE/DIR 正向高电平"};
    if (c.nPulseOutMode >= 0 && c.nPulseOutMode < 3) text += kPulseOut[c.nPulseOutMode];

    static const wchar_t* const kPulseIn[] = {
        L"\n脉冲输入：1倍频脉冲输入", L"\n脉冲输入：2倍频脉冲输入", L"\n脉冲输入：4倍频脉冲输入",
        L"\n脉冲输入：CW/CCW双脉冲"};
    if (c.nPulseInMode >= 0 && c.nPulseInMode < 4) text += kPulseIn[c.nPulseInMode];

    if (c.bAlmEnable != 0) text += std::wstring(L"\n启用伺服ALM信号：") + LevelWord(c.nAlmLevel);
    if (c.bInpEnable != 0) text += std::wstring(L"\n启用伺服INP信号：") + LevelWord(c.nInpLevel);

    // Index 0 leaves the card's limit inputs active high, index 1 active low; the words
    // follow the card and the page's buttons.
    if (c.nLimitLevel == 0) text += L"\n限位信号：高电平有效";
    if (c.nLimitLevel == 1) text += L"\n限位信号：低电平有效";
    if (c.nLimitStop == 0) text += L"；减速停止";
    if (c.nLimitStop == 1) text += L"；立即停止";

    if (c.bOrgEnable != 0) text += std::wstring(L"\n启用原点信号：") + LevelWord(c.nOrgLevel);

    text += c.nPulseEdge == 0 ? L"\n有效电平模式上升沿有效" : L"\n有效电平模式下降沿有效";

    struct Condition {
        int32_t checked;
        const wchar_t* text;
    };
    const Condition conditions[] = {
        {c.bIntGeCompMinus, L"逻辑/实际位置计数器的值\n   大于等于COMP-寄存器值时;"},
        {c.bIntLtCompMinus, L"逻辑/实际位置计数器的值\n   小于COMP-寄存器值时;"},
        {c.bIntLtCompPlus, L"逻辑/实际位置计数器的值\n   小于COMP+寄存器值时;"},
        {c.bIntGeCompPlus, L"逻辑/实际位置计数器的值\n   大于等于COMP+寄存器值时;"},
        {c.bIntDecelStart, L"加减速驱动中，减速开始时;"},
        {c.bIntAccelEnd, L"加减速驱动中，加速结束时;"},
        {c.bIntDriveEnd, L"驱动结束时;"},
    };
    int number = 0;
    for (const Condition& condition : conditions) {
        if (condition.checked == 0) continue;
        if (number == 0) text += L"\n下列条件下产生中断：";
        wchar_t prefix[24];
        std::swprintf(prefix, sizeof prefix / sizeof prefix[0], L"\n %d ", ++number);
        text += prefix;
        text += condition.text;
    }
    return text;
}
