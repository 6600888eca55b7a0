// What an axis configuration record means to the card and to the operator: the values of
// the seven configuration calls and the configuration page's summary text.
#pragma once

#include <cstdint>
#include <string>

#include "axis_records.h"

// Each value as the short the control method takes (cut to 16 bits).
struct AxisConfigWords {
    int16_t pulseOutMode;   // PulseOutMode
    int16_t inputMode;      // InputMode
    int16_t signalAlmInp;   // SignalAlmInp
    int16_t signalHardLmt;  // SignalHardLmt
    int16_t signalOrg;      // SignalOrg
    int16_t levelMode;      // LevelMode
    int16_t interrupt;      // SetInterrupt
};

// A value cut to its low 16 bits, as the control's short arguments carry it.
int16_t CutTo16(int32_t value);

// Bit 0 the ALM level, bit 1 ALM enabled, bit 2 the INP level, bit 3 INP enabled; the levels
// are ORed in unchanged, also while their input is disabled.
int16_t AlarmWord(int32_t almEnable, int32_t almLevel, int32_t inpEnable, int32_t inpLevel);
// Bit 0 the stop mode, bit 1 the level index.
int16_t LimitWord(int32_t limitLevel, int32_t limitStop);
// 0 while the origin input is disabled, else the level + 1.
int16_t HomeWord(int32_t orgEnable, int32_t orgLevel);
// The seven interrupt fields in record order (COMP- at least, ..., drive end) as bits 1 to 7,
// each shifted unchanged.
int16_t InterruptWord(const AxisConfig& config);

AxisConfigWords ConfigWordsOf(const AxisConfig& config);

// The configuration page's summary of a record.
std::wstring ConfigSummaryText(const AxisConfig& config);
