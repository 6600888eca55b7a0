#include "axis_records.h"

namespace {

// Member order is file order; the table keeps the two conversions in step.
int32_t AxisConfig::*const kFields[kAxisConfigFields] = {
    &AxisConfig::nCard,          &AxisConfig::nAxis,           &AxisConfig::nPulseOutMode,
    &AxisConfig::nPulseInMode,   &AxisConfig::bAlmEnable,      &AxisConfig::nAlmLevel,
    &AxisConfig::bInpEnable,     &AxisConfig::nInpLevel,       &AxisConfig::nLimitLevel,
    &AxisConfig::nLimitStop,     &AxisConfig::bOrgEnable,      &AxisConfig::nOrgLevel,
    &AxisConfig::nPulseEdge,     &AxisConfig::bIntGeCompMinus, &AxisConfig::bIntLtCompMinus,
    &AxisConfig::bIntLtCompPlus, &AxisConfig::bIntGeCompPlus,  &AxisConfig::bIntDecelStart,
    &AxisConfig::bIntAccelEnd,   &AxisConfig::bIntDriveEnd,
};

void AxisConfigToFields(const AxisConfig& config, int32_t (&fields)[kAxisConfigFields]) {
    for (size_t i = 0; i < kAxisConfigFields; ++i) fields[i] = config.*kFields[i];
}

AxisConfig AxisConfigFromFields(const int32_t (&fields)[kAxisConfigFields]) {
    AxisConfig config{};
    for (size_t i = 0; i < kAxisConfigFields; ++i) config.*kFields[i] = fields[i];
    return config;
}

}  // namespace

void ResetAxisConfig(AxisConfig& config) {
    const int32_t card = config.nCard;
    const int32_t axis = config.nAxis;
    config = AxisConfig{};
    config.nCard = card;
    config.nAxis = axis;
    config.bAlmEnable = 1;
    config.bInpEnable = 1;
    config.bOrgEnable = 1;
}

AxisConfig MakeAxisConfig(int32_t card, int32_t axis) {
    AxisConfig config{};
    config.nCard = card;
    config.nAxis = axis;
    ResetAxisConfig(config);
    return config;
}

void EncodeAxisConfig(const AxisConfig& config, uint8_t (&bytes)[kAxisConfigBytes]) {
    int32_t fields[kAxisConfigFields];
    AxisConfigToFields(config, fields);
    for (size_t i = 0; i < kAxisConfigFields; ++i) {
        const uint32_t v = static_cast<uint32_t>(fields[i]);
        for (size_t b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<uint8_t>(v >> (8 * b));
    }
}

AxisConfig DecodeAxisConfig(const uint8_t (&bytes)[kAxisConfigBytes]) {
    int32_t fields[kAxisConfigFields];
    for (size_t i = 0; i < kAxisConfigFields; ++i) {
        uint32_t v = 0;
        for (size_t b = 0; b < 4; ++b) v |= static_cast<uint32_t>(bytes[i * 4 + b]) << (8 * b);
        fields[i] = static_cast<int32_t>(v);
    }
    return AxisConfigFromFields(fields);
}

AxisConfig* FindAxisConfig(const AxisConfigList& list, int32_t card, int32_t axis) {
    for (const auto& record : list) {
        if (record && record->nCard == card && record->nAxis == axis) return record.get();
    }
    return nullptr;
}

MotionParams MakeMotionParams(int32_t card, int32_t axis) {
    MotionParams params;
    params.nCard = card;
    params.nAxis = axis;
    return params;
}

MotionParams* FindMotionParams(const MotionParamsList& list, int32_t card, int32_t axis) {
    for (const auto& record : list) {
        if (record && record->nCard == card && record->nAxis == axis) return record.get();
    }
    return nullptr;
}
