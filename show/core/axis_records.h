// The two per card-and-axis records of the demonstration program: the axis configuration
// (kept in the settings file) and the one-axis page's motion parameters (memory only).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Twenty signed 32-bit fields, the same layout in memory and in the settings file.
struct AxisConfig {
    int32_t nCard;
    int32_t nAxis;
    int32_t nPulseOutMode;
    int32_t nPulseInMode;
    int32_t bAlmEnable;
    int32_t nAlmLevel;
    int32_t bInpEnable;
    int32_t nInpLevel;
    int32_t nLimitLevel;
    int32_t nLimitStop;
    int32_t bOrgEnable;
    int32_t nOrgLevel;
    int32_t nPulseEdge;
    int32_t bIntGeCompMinus;
    int32_t bIntLtCompMinus;
    int32_t bIntLtCompPlus;
    int32_t bIntGeCompPlus;
    int32_t bIntDecelStart;
    int32_t bIntAccelEnd;
    int32_t bIntDriveEnd;
};
static_assert(sizeof(AxisConfig) == 80, "AxisConfig is an 80-byte file record");

constexpr size_t kAxisConfigFields = 20;
constexpr size_t kAxisConfigBytes = 80;

// The records the view owns; their addresses stay stable while the list grows.
using AxisConfigList = std::vector<std::unique_ptr<AxisConfig>>;

// Defaults for every field except nCard and nAxis, which are left as they are.
void ResetAxisConfig(AxisConfig& config);

// A record for the pair with every other field at its default.
AxisConfig MakeAxisConfig(int32_t card, int32_t axis);

// Explicit little-endian form, independent of the host's byte order.
void EncodeAxisConfig(const AxisConfig& config, uint8_t (&bytes)[kAxisConfigBytes]);
AxisConfig DecodeAxisConfig(const uint8_t (&bytes)[kAxisConfigBytes]);

// The first record of the pair in list order, or null.
AxisConfig* FindAxisConfig(const AxisConfigList& list, int32_t card, int32_t axis);

struct MotionParams {
    int32_t nCard = 0;
    int32_t nAxis = 0;
    int32_t nMotionType = 0;
    int32_t nPosition = 0;
    int32_t nTolerance = 0;
    int32_t nRunSpeed = 4000;
    int32_t nStartSpeed = 2000;
    int32_t nDistance = 10000;
    float fSAccTime = 0.5f;
    float fSDecTime = 0.5f;
    float fTAccTime = 0.5f;
    float fTDecTime = 0.5f;
    int32_t nDirection = 0;
};

using MotionParamsList = std::vector<std::unique_ptr<MotionParams>>;

MotionParams MakeMotionParams(int32_t card, int32_t axis);
MotionParams* FindMotionParams(const MotionParamsList& list, int32_t card, int32_t axis);
