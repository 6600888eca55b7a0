// The seven configuration values and the configuration page's summary text.
#include <gtest/gtest.h>

#include <string>

#include "config_words.h"

namespace {

void ExpectWords(const AxisConfig& c, int pulseOut, int input, int alm, int limit, int org,
                 int level, int interrupt) {
    const AxisConfigWords w = ConfigWordsOf(c);
    EXPECT_EQ(w.pulseOutMode, pulseOut);
    EXPECT_EQ(w.inputMode, input);
    EXPECT_EQ(w.signalAlmInp, alm);
    EXPECT_EQ(w.signalHardLmt, limit);
    EXPECT_EQ(w.signalOrg, org);
    EXPECT_EQ(w.levelMode, level);
    EXPECT_EQ(w.interrupt, interrupt);
}

TEST(ConfigWordsTest, FreshRecordAndTheWordsOfEachGroup) {
    AxisConfig c = MakeAxisConfig(0, 0);
    ExpectWords(c, 0, 0, 10, 0, 1, 0, 0);

    c.nPulseOutMode = 2;
    c.nPulseInMode = 3;
    c.nPulseEdge = 1;
    c.nOrgLevel = 1;
    ExpectWords(c, 2, 3, 10, 0, 2, 1, 0);
    c.bOrgEnable = 0;
    EXPECT_EQ(ConfigWordsOf(c).signalOrg, 0);

    // ALM off with level 1, INP on with level 0: the ALM level bit still goes out.
    EXPECT_EQ(AlarmWord(0, 1, 1, 0), 9);
    EXPECT_EQ(AlarmWord(1, 1, 1, 1), 15);
    EXPECT_EQ(AlarmWord(0, 0, 0, 1), 4);
    EXPECT_EQ(LimitWord(1, 1), 3);
    EXPECT_EQ(LimitWord(0, 0), 0);
    EXPECT_EQ(LimitWord(1, 0), 2);
    EXPECT_EQ(HomeWord(1, 0), 1);
    EXPECT_EQ(HomeWord(7, 1), 2);
    EXPECT_EQ(HomeWord(0, 1), 0);
}

TEST(ConfigWordsTest, InterruptBitsInFieldOrder) {
    AxisConfig c = MakeAxisConfig(0, 0);
    c.bIntGeCompMinus = c.bIntLtCompMinus = c.bIntLtCompPlus = c.bIntGeCompPlus = 1;
    c.bIntDecelStart = c.bIntAccelEnd = c.bIntDriveEnd = 1;
    EXPECT_EQ(InterruptWord(c), 0xFE);

    AxisConfig two = MakeAxisConfig(0, 0);
    two.bIntLtCompPlus = 1;  // check 1027
    two.bIntDriveEnd = 1;    // check 1031
    EXPECT_EQ(InterruptWord(two), 0x88);
    two = MakeAxisConfig(0, 0);
    two.bIntGeCompMinus = 1;
    EXPECT_EQ(InterruptWord(two), 0x02);
    two.bIntGeCompMinus = 0;
    two.bIntAccelEnd = 1;
    EXPECT_EQ(InterruptWord(two), 0x40);
}

TEST(ConfigWordsTest, StoredValuesGoOutUncheckedButCutTo16Bits) {
    AxisConfig c = MakeAxisConfig(0, 0);
    c.nPulseOutMode = 0x12345;
    c.nPulseInMode = -1;
    c.nPulseEdge = 0x10000;
    c.nAlmLevel = 0x30;  // ORed in unchanged
    c.bInpEnable = 0;
    c.nInpLevel = 0x4000;    // shifted into bit 16: gone
    c.nLimitLevel = 0x8000;  // doubled into bit 16: gone
    c.nLimitStop = 5;
    c.nOrgLevel = 0xFFFF;    // + 1 wraps to 0
    c.bIntGeCompMinus = 2;   // spills into bit 2
    c.bIntDriveEnd = 0x200;  // bit 16: gone
    ExpectWords(c, 0x2345, -1, 0x32, 5, 0, 0, 4);
    EXPECT_EQ(CutTo16(0x8000), -32768);
    EXPECT_EQ(CutTo16(INT32_MIN), 0);
}

const std::wstring kHeading = L"      -----配置情况-----";

TEST(ConfigSummaryTest, FreshRecord) {
    EXPECT_EQ(ConfigSummaryText(MakeAxisConfig(0, 0)),
              kHeading +
                  L"\n脉冲输出：CW/CCW双脉冲\n脉冲输入：1倍频脉冲输入\n启用伺服ALM信号：低电平有效"
                  L"\n启用伺服INP信号：低电平有效\n限位信号：高电平有效；减速停止"
                  L"\n启用原点信号：低电平有效\n有效电平模式上升沿有效");
}

TEST(ConfigSummaryTest, EveryOtherChoice) {
    AxisConfig c = MakeAxisConfig(0, 0);
    c.nPulseOutMode = 2;
    c.nPulseInMode = 2;
    c.nAlmLevel = 1;
    c.bInpEnable = 0;
    c.nLimitLevel = 1;
    c.nLimitStop = 1;
    c.nOrgLevel = 1;
    c.nPulseEdge = 1;
    EXPECT_EQ(ConfigSummaryText(c),
              kHeading +
                  L"\n脉冲输出：PULSE/DIR 正向高电平\n脉冲输入：4倍频脉冲输入"
                  L"\n启用伺服ALM信号：高电平有效\n限位信号：低电平有效；立即停止"
                  L"\n启用原点信号：高电平有效\n有效电平模式下降沿有效");
    c.nPulseOutMode = 1;
    c.nPulseInMode = 3;
    c.bAlmEnable = 0;
    c.bOrgEnable = 0;
    c.nPulseEdge = 0;
    EXPECT_EQ(ConfigSummaryText(c),
              kHeading +
                  L"\n脉冲输出：PULSE/DIR 正向低电平\n脉冲输入：CW/CCW双脉冲"
                  L"\n限位信号：低电平有效；立即停止\n有效电平模式上升沿有效");
}

TEST(ConfigSummaryTest, ValuesOutsideTheirSetsAddNoWord) {
    AxisConfig c = MakeAxisConfig(0, 0);
    c.nPulseOutMode = 3;
    c.nPulseInMode = -1;
    c.nAlmLevel = 2;
    c.nLimitLevel = 2;
    c.nLimitStop = 2;
    c.nPulseEdge = 7;
    c.bInpEnable = 0;
    c.bOrgEnable = 0;
    EXPECT_EQ(ConfigSummaryText(c), kHeading + L"\n启用伺服ALM信号：\n有效电平模式下降沿有效");
}

TEST(ConfigSummaryTest, InterruptConditionsNumberedAmongTheChecked) {
    AxisConfig c = MakeAxisConfig(0, 0);
    c.bIntLtCompPlus = 1;
    c.bIntDriveEnd = 1;
    const std::wstring text = ConfigSummaryText(c);
    const std::wstring tail =
        L"\n有效电平模式上升沿有效\n下列条件下产生中断："
        L"\n 1 逻辑/实际位置计数器的值\n   小于COMP+寄存器值时;"
        L"\n 2 驱动结束时;";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

    c.bIntGeCompMinus = c.bIntLtCompMinus = c.bIntGeCompPlus = 1;
    c.bIntDecelStart = c.bIntAccelEnd = 1;
    const std::wstring all =
        L"\n下列条件下产生中断："
        L"\n 1 逻辑/实际位置计数器的值\n   大于等于COMP-寄存器值时;"
        L"\n 2 逻辑/实际位置计数器的值\n   小于COMP-寄存器值时;"
        L"\n 3 逻辑/实际位置计数器的值\n   小于COMP+寄存器值时;"
        L"\n 4 逻辑/实际位置计数器的值\n   大于等于COMP+寄存器值时;"
        L"\n 5 加减速驱动中，减速开始时;\n 6 加减速驱动中，加速结束时;"
        L"\n 7 驱动结束时;";
    const std::wstring full = ConfigSummaryText(c);
    ASSERT_GE(full.size(), all.size());
    EXPECT_EQ(full.substr(full.size() - all.size()), all);

    EXPECT_EQ(ConfigSummaryText(MakeAxisConfig(0, 0)).find(L"中断"), std::wstring::npos);
}

}  // namespace
