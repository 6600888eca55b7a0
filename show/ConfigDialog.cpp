#include "ConfigDialog.h"

#include "FieldExchange.h"
#include "config_words.h"
#include "page_texts.h"
#include "resource.h"
#include "vorn_305q_wrapper.h"
#include "wnd_handle.h"

namespace {

constexpr COLORREF kTextColor = 0xC52E48;

}  // namespace

const CRuntimeClass CConfigDialog::classCConfigDialog = {"CConfigDialog", &CDialog::classCDialog,
                                                         nullptr};

CConfigDialog::CConfigDialog(IPageHost* host) : CViewPage(IDD, host) {}

AxisConfig* CConfigDialog::CurrentRecord() const {
    return m_pHost != nullptr ? m_pHost->CurrentConfig() : nullptr;
}

BOOL CConfigDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_staticTitle.CreateTextFont(32, 0);
    m_staticTitle.SetTextColor(kTextColor);
    m_staticSummary.CreateTextFont(15, 0);
    m_staticSummary.SetTextColor(kTextColor);
    return TRUE;
}

void CConfigDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_CONFIG_SUMMARY, m_staticSummary);
    DDX_Control(pDX, IDC_CONFIG_TITLE, m_staticTitle);
    DDX_Fields(pDX, kConfigFields, m_values);
}

void CConfigDialog::SetCardAxis(int nCard, int nAxis) {
    if (!ChangeCardAxis(nCard, nAxis, m_pWrapper)) return;
    LoadFromRecord();
    UpdateSummary();
}

void CConfigDialog::ShowTitle() {
    CWndHandle(m_staticTitle.GetSafeHwnd()).SetText(ConfigPageTitle(m_nCard, m_nAxis));
}

void CConfigDialog::EnablePair(int firstId, int secondId, int enable) const {
    const CWndHandle page(GetSafeHwnd());
    page.Item(firstId).Enable(enable != 0);
    page.Item(secondId).Enable(enable != 0);
}

void CConfigDialog::LoadFromRecord() {
    const AxisConfig* const record = CurrentRecord();
    if (record == nullptr) return;
    CopyFields(kConfigFields, *record, m_values);
    EnablePair(IDC_ALM_LOW, IDC_ALM_HIGH, m_values.bAlmEnable);
    EnablePair(IDC_INP_LOW, IDC_INP_HIGH, m_values.bInpEnable);
    EnablePair(IDC_ORG_LOW, IDC_ORG_HIGH, m_values.bOrgEnable);
    UpdateData(false);
}

void CConfigDialog::UpdateSummary() {
    CWndHandle(m_staticSummary.GetSafeHwnd()).SetText(ConfigSummaryText(m_values));
    // Unbound, the page's members are not the record's: writing them would corrupt it.
    AxisConfig* const record = CurrentRecord();
    if (m_pWrapper != nullptr && record != nullptr) CopyFields(kConfigFields, m_values, *record);
}

void CConfigDialog::OnPulseOut() {
    UpdateSummary();
    if (m_pWrapper) m_pWrapper->PulseOutMode(Axis(), CutTo16(m_values.nPulseOutMode));
}

void CConfigDialog::OnPulseIn() {
    UpdateSummary();
    if (m_pWrapper) m_pWrapper->InputMode(Axis(), CutTo16(m_values.nPulseInMode));
}

void CConfigDialog::OnAlmEnable() {
    EnablePair(IDC_ALM_LOW, IDC_ALM_HIGH, m_values.bAlmEnable);
    OnAlarmWord();
}

void CConfigDialog::OnInpEnable() {
    EnablePair(IDC_INP_LOW, IDC_INP_HIGH, m_values.bInpEnable);
    OnAlarmWord();
}

void CConfigDialog::OnAlarmWord() {
    UpdateSummary();
    if (m_pWrapper) {
        m_pWrapper->SignalAlmInp(Axis(), AlarmWord(m_values.bAlmEnable, m_values.nAlmLevel,
                                                   m_values.bInpEnable, m_values.nInpLevel));
    }
}

void CConfigDialog::OnLimitWord() {
    UpdateSummary();
    if (m_pWrapper) {
        m_pWrapper->SignalHardLmt(Axis(), LimitWord(m_values.nLimitLevel, m_values.nLimitStop));
    }
}

void CConfigDialog::OnOrgEnable() {
    EnablePair(IDC_ORG_LOW, IDC_ORG_HIGH, m_values.bOrgEnable);
    UpdateSummary();
    if (m_pWrapper)
        m_pWrapper->SignalOrg(Axis(), HomeWord(m_values.bOrgEnable, m_values.nOrgLevel));
}

void CConfigDialog::OnOrgLevel() {
    UpdateSummary();
    if (m_pWrapper) m_pWrapper->SignalOrg(Axis(), CutTo16(m_values.nOrgLevel + 1));
}

void CConfigDialog::OnInterruptCheck() {
    UpdateSummary();
    if (m_pWrapper) {
        // The card ORs enables in: clear them first, or an unchecked one stays on.
        m_pWrapper->CloseInterrupt(Axis());
        m_pWrapper->SetInterrupt(Axis(), InterruptWord(m_values));
    }
}

void CConfigDialog::OnPulseEdge() {
    UpdateSummary();
    if (m_pWrapper) m_pWrapper->LevelMode(Axis(), CutTo16(m_values.nPulseEdge));
}

bool CConfigDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (control == nullptr || code != BN_CLICKED) return CDialog::OnCommand(id, code, control);
    void (CConfigDialog::*handler)() = nullptr;
    switch (id) {
        case IDC_PULSEOUT_CWCCW:
        case IDC_PULSEOUT_DIRLOW:
        case IDC_PULSEOUT_DIRHIGH:
            handler = &CConfigDialog::OnPulseOut;
            break;
        case IDC_PULSEIN_X1:
        case IDC_PULSEIN_X2:
        case IDC_PULSEIN_X4:
        case IDC_PULSEIN_CWCCW:
            handler = &CConfigDialog::OnPulseIn;
            break;
        case IDC_ALM_ENABLE:
            handler = &CConfigDialog::OnAlmEnable;
            break;
        case IDC_ALM_LOW:
        case IDC_ALM_HIGH:
        case IDC_INP_LOW:
        case IDC_INP_HIGH:
            handler = &CConfigDialog::OnAlarmWord;
            break;
        case IDC_INP_ENABLE:
            handler = &CConfigDialog::OnInpEnable;
            break;
        case IDC_LIMIT_LEVEL0:
        case IDC_LIMIT_LEVEL1:
        case IDC_LIMIT_DECEL:
        case IDC_LIMIT_INSTANT:
            handler = &CConfigDialog::OnLimitWord;
            break;
        case IDC_ORG_ENABLE:
            handler = &CConfigDialog::OnOrgEnable;
            break;
        case IDC_ORG_LOW:
        case IDC_ORG_HIGH:
            handler = &CConfigDialog::OnOrgLevel;
            break;
        case IDC_INT_GE_COMP_MINUS:
        case IDC_INT_LT_COMP_MINUS:
        case IDC_INT_LT_COMP_PLUS:
        case IDC_INT_GE_COMP_PLUS:
        case IDC_INT_DECEL_START:
        case IDC_INT_ACCEL_END:
        case IDC_INT_DRIVE_END:
            handler = &CConfigDialog::OnInterruptCheck;
            break;
        case IDC_EDGE_RISING:
        case IDC_EDGE_FALLING:
            handler = &CConfigDialog::OnPulseEdge;
            break;
        default:
            return CDialog::OnCommand(id, code, control);
    }
    UpdateData(true);  // every handler starts from the controls
    (this->*handler)();
    return true;
}

LRESULT CConfigDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The view's own erase covers the page's ground.
    if (msg == WM_ERASEBKGND) return TRUE;
    return CDialog::WindowProc(msg, wParam, lParam);
}
