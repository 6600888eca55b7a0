// What the view owns away from its windows: the configuration and motion-parameter records
// of every card and axis pair, which pairs' configurations went to the card in this run and
// the sending itself, and the settings file: its load, whether a save must ask first, and
// what the operator is told. The view shows the boxes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <set>
#include <string>
#include <utility>

#include "axis_records.h"
#include "config_calls.h"
#include "settings_file.h"

// What reading the settings file at start came to.
struct SettingsStart {
    SettingsLoad load;
    bool staleTempKept = false;  // an unfinished save's temporary file could not be removed
};

// What a save does first.
enum class SettingsSaveStart {
    kNothingToSave,  // no records: the file is left alone
    kAskFirst,       // the file could not be read at start and is still there
    kWrite,
};

// A box's text about the settings file; between lead and tail stands the system's wording
// of error, which the view supplies.
struct SettingsNotice {
    std::wstring lead;
    DWORD error = ERROR_SUCCESS;
    std::wstring tail;

    std::wstring Text(const std::wstring& reason) const { return lead + reason + tail; }
};

class CViewRecords {
public:
    explicit CViewRecords(IConfigCalls& control) : m_control(control) {}
    CViewRecords(const CViewRecords&) = delete;
    CViewRecords& operator=(const CViewRecords&) = delete;

    // Makes the pair's records current, creating them when missing, and sends the pair's
    // configuration the first time in the run: true when it was sent. A negative card or
    // axis changes nothing.
    bool SelectAxis(int nCard, int nAxis);
    // Makes the pair's motion-parameter record current, made with the defaults when missing.
    void SelectMotionParams(int nCard, int nAxis);
    // Sends the pair's stored configuration (made when missing) unless it went already: true
    // when it was sent. The current records stay as they are.
    bool EnsureApplied(int nCard, int nAxis);
    // The pair's configuration record at its defaults, made when missing; nothing is sent.
    AxisConfig* LoadDefaultConfig(int nCard, int nAxis);
    // The configuration calls with pConfig's values to nAxis (whatever the record's own axis),
    // and the pair marked applied.
    void ApplyAxisConfig(const AxisConfig* pConfig, int nCard, int nAxis);
    bool IsApplied(int nCard, int nAxis) const;

    AxisConfig* CurrentConfig() const { return m_pCurConfig; }
    MotionParams* CurrentMotion() const { return m_pCurMotion; }
    size_t ConfigRecordCount() const { return m_configRecords.size(); }

    // Removes an unfinished save's temporary file and appends the file's records.
    SettingsStart LoadSettings(const std::wstring& path);
    // The file could not be read at start, and no save has replaced it since.
    bool HasUnreadSettings() const { return m_settingsReadError != ERROR_SUCCESS; }
    SettingsSaveStart SaveStart(const std::wstring& path) const;
    // Writes every record, in order; a written file is the operator's choice from then on.
    SettingsSave SaveSettings(const std::wstring& path);

    SettingsNotice UnreadSettingsNotice(const std::wstring& path) const;
    SettingsNotice ReplaceUnreadQuestion(const std::wstring& path) const;
    static SettingsNotice SaveFailedNotice(const std::wstring& path, const SettingsSave& save);

private:
    AxisConfig& FindOrAddConfig(int nCard, int nAxis);

    IConfigCalls& m_control;
    AxisConfigList m_configRecords;      // the settings file's first, in file order
    AxisConfig* m_pCurConfig = nullptr;  // in m_configRecords, or null
    MotionParamsList m_motionRecords;
    MotionParams* m_pCurMotion = nullptr;      // in m_motionRecords, or null
    std::set<std::pair<int, int>> m_bApplied;  // (card, axis) pairs sent in this run
    DWORD m_settingsReadError = ERROR_SUCCESS;
};
