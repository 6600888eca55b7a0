#include "view_records.h"

#include <memory>

#include "config_words.h"

AxisConfig& CViewRecords::FindOrAddConfig(int nCard, int nAxis) {
    AxisConfig* record = FindAxisConfig(m_configRecords, nCard, nAxis);
    if (record == nullptr) {
        m_configRecords.push_back(std::make_unique<AxisConfig>(MakeAxisConfig(nCard, nAxis)));
        record = m_configRecords.back().get();
    }
    return *record;
}

bool CViewRecords::IsApplied(int nCard, int nAxis) const {
    return m_bApplied.count({nCard, nAxis}) != 0;
}

bool CViewRecords::SelectAxis(int nCard, int nAxis) {
    if (nCard < 0 || nAxis < 0) return false;
    AxisConfig& record = FindOrAddConfig(nCard, nAxis);
    const bool send = !IsApplied(nCard, nAxis);
    if (send) ApplyAxisConfig(&record, nCard, nAxis);
    m_pCurConfig = &record;
    SelectMotionParams(nCard, nAxis);
    return send;
}

void CViewRecords::SelectMotionParams(int nCard, int nAxis) {
    MotionParams* record = FindMotionParams(m_motionRecords, nCard, nAxis);
    if (record == nullptr) {
        m_motionRecords.push_back(std::make_unique<MotionParams>(MakeMotionParams(nCard, nAxis)));
        record = m_motionRecords.back().get();
    }
    m_pCurMotion = record;
}

bool CViewRecords::EnsureApplied(int nCard, int nAxis) {
    if (nCard < 0 || nAxis < 0 || IsApplied(nCard, nAxis)) return false;
    ApplyAxisConfig(&FindOrAddConfig(nCard, nAxis), nCard, nAxis);
    return true;
}

AxisConfig* CViewRecords::LoadDefaultConfig(int nCard, int nAxis) {
    AxisConfig& record = FindOrAddConfig(nCard, nAxis);
    ResetAxisConfig(record);
    return &record;
}

void CViewRecords::ApplyAxisConfig(const AxisConfig* pConfig, int nCard, int nAxis) {
    const AxisConfigWords words = ConfigWordsOf(*pConfig);
    const auto axis = static_cast<short>(nAxis);
    m_control.PulseOutMode(axis, words.pulseOutMode);
    m_control.InputMode(axis, words.inputMode);
    m_control.SignalAlmInp(axis, words.signalAlmInp);
    m_control.SignalHardLmt(axis, words.signalHardLmt);
    m_control.SignalOrg(axis, words.signalOrg);
    m_control.LevelMode(axis, words.levelMode);
    // The card ORs interrupt enables in: clear the old ones first.
    m_control.CloseInterrupt(axis);
    m_control.SetInterrupt(axis, words.interrupt);
    m_bApplied.insert({nCard, nAxis});
}

SettingsStart CViewRecords::LoadSettings(const std::wstring& path) {
    SettingsStart start;
    start.staleTempKept = !RemoveStaleSettingsTemp(path);
    start.load = LoadSettingsFile(path, m_configRecords);
    if (start.load.error != ERROR_SUCCESS) m_settingsReadError = start.load.error;
    return start;
}

SettingsSaveStart CViewRecords::SaveStart(const std::wstring& path) const {
    if (m_configRecords.empty()) return SettingsSaveStart::kNothingToSave;
    // A file that could not be read is the operator's until the operator gives it up; one
    // that has gone since holds nothing to lose.
    if (HasUnreadSettings() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return SettingsSaveStart::kAskFirst;
    return SettingsSaveStart::kWrite;
}

SettingsSave CViewRecords::SaveSettings(const std::wstring& path) {
    const SettingsSave save = SaveSettingsFile(path, m_configRecords);
    if (save.written) m_settingsReadError = ERROR_SUCCESS;
    return save;
}

SettingsNotice CViewRecords::UnreadSettingsNotice(const std::wstring& path) const {
    return {L"无法读取配置文件：\n" + path + L"\n原因：", m_settingsReadError,
            L"\n其中的配置没有加载。保存配置时会先问您是否替换这个文件。"};
}

SettingsNotice CViewRecords::ReplaceUnreadQuestion(const std::wstring& path) const {
    return {L"配置文件在启动时无法读取，其中的配置没有加载：\n" + path + L"\n原因：",
            m_settingsReadError, L"\n保存会用本次的配置替换它，原有内容将丢失。是否保存？"};
}

SettingsNotice CViewRecords::SaveFailedNotice(const std::wstring& path, const SettingsSave& save) {
    const std::wstring where =
        save.inTempFile ? L"（临时文件 " + SettingsTempPath(path) + L"）" : std::wstring();
    return {L"配置没有保存：\n" + path + L"\n原因" + where + L"：", save.error,
            L"\n原来的文件没有改动。"};
}
