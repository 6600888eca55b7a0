#include "ConfigDialog.h"

#include "Vorn_305q_showView.h"
#include "axis_records.h"
#include "config_words.h"
#include "page_texts.h"
#include "resource.h"
#include "trace.h"
#include "wnd_handle.h"

namespace {

constexpr COLORREF kTextColor = 0xC52E48;

// Interrupt checks in member order: element 0 is 1031, element 6 is 1025.
constexpr int kInterruptChecks[7] = {
    IDC_INT_DRIVE_END,    IDC_INT_ACCEL_END,     IDC_INT_DECEL_START,  IDC_INT_GE_COMP_PLUS,
    IDC_INT_LT_COMP_PLUS, IDC_INT_LT_COMP_MINUS, IDC_INT_GE_COMP_MINUS};

}  // namespace

const CRuntimeClass CConfigDialog::classCConfigDialog = {"CConfigDialog", &CDialog::classCDialog,
                                                         nullptr};

CConfigDialog::CConfigDialog(CWnd* /*pParent*/) : CDialog(IDD) {}

CVorn_305q_showView* CConfigDialog::View() const {
    return dynamic_cast<CVorn_305q_showView*>(CWnd::FromHandle(GetParent(GetSafeHwnd())));
}

AxisConfig* CConfigDialog::CurrentRecord() const {
    const CVorn_305q_showView* const view = View();
    return view != nullptr ? view->m_pCurConfig : nullptr;
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
    DDX_Radio(pDX, IDC_PULSEOUT_CWCCW, m_nPulseOut);
    DDX_Radio(pDX, IDC_PULSEIN_X1, m_nPulseIn);
    DDX_Radio(pDX, IDC_ALM_LOW, m_nAlmLevel);
    DDX_Radio(pDX, IDC_INP_LOW, m_nInpLevel);
    DDX_Radio(pDX, IDC_LIMIT_LEVEL0, m_nLimitLevel);
    DDX_Radio(pDX, IDC_LIMIT_DECEL, m_nLimitStop);
    for (int i = 0; i < 7; ++i) DDX_Check(pDX, kInterruptChecks[i], m_bInterrupt[i]);
    DDX_Check(pDX, IDC_INP_ENABLE, m_bInpEnable);
    DDX_Check(pDX, IDC_ALM_ENABLE, m_bAlmEnable);
    DDX_Check(pDX, IDC_ORG_ENABLE, m_bOrgEnable);
    DDX_Radio(pDX, IDC_EDGE_RISING, m_nPulseEdge);
    DDX_Radio(pDX, IDC_ORG_LOW, m_nOrgLevel);
}

void CConfigDialog::SetCardAxis(int nCard, int nAxis) {
    CVorn_305q_showView* const view = View();
    if (nCard == m_nCard && nAxis == m_nAxis) {
        // Left unbound by a failed opening: bind once the card is open (no new opening).
        if (m_pWrapper != nullptr || view == nullptr || view->m_bCardNotOpen) return;
    } else {
        m_nCard = nCard;
        m_nAxis = nAxis;
        CWndHandle(m_staticTitle.GetSafeHwnd()).SetText(ConfigPageTitle(m_nCard, m_nAxis));
    }
    if (view == nullptr || !view->OnSelectCard(m_nCard)) return;
    m_pWrapper = &view->m_control;
    view->SelectAxis();
    LoadFromRecord();
    UpdateSummary();
}

void CConfigDialog::EnablePair(int firstId, int secondId, int enable) const {
    const CWndHandle page(GetSafeHwnd());
    page.Item(firstId).Enable(enable != 0);
    page.Item(secondId).Enable(enable != 0);
}

void CConfigDialog::LoadFromRecord() {
    const AxisConfig* const record = CurrentRecord();
    if (record == nullptr) return;
    m_nPulseOut = record->nPulseOutMode;
    m_nPulseIn = record->nPulseInMode;
    m_bAlmEnable = record->bAlmEnable;
    m_nAlmLevel = record->nAlmLevel;
    m_bInpEnable = record->bInpEnable;
    m_nInpLevel = record->nInpLevel;
    m_nLimitLevel = record->nLimitLevel;
    m_nLimitStop = record->nLimitStop;
    m_bOrgEnable = record->bOrgEnable;
    m_nOrgLevel = record->nOrgLevel;
    m_nPulseEdge = record->nPulseEdge;
    m_bInterrupt[6] = record->bIntGeCompMinus;
    m_bInterrupt[5] = record->bIntLtCompMinus;
    m_bInterrupt[4] = record->bIntLtCompPlus;
    m_bInterrupt[3] = record->bIntGeCompPlus;
    m_bInterrupt[2] = record->bIntDecelStart;
    m_bInterrupt[1] = record->bIntAccelEnd;
    m_bInterrupt[0] = record->bIntDriveEnd;
    EnablePair(IDC_ALM_LOW, IDC_ALM_HIGH, m_bAlmEnable);
    EnablePair(IDC_INP_LOW, IDC_INP_HIGH, m_bInpEnable);
    EnablePair(IDC_ORG_LOW, IDC_ORG_HIGH, m_bOrgEnable);
    UpdateData(false);
}

void CConfigDialog::MembersToRecord(AxisConfig& record) const {
    record.nPulseOutMode = m_nPulseOut;
    record.nPulseInMode = m_nPulseIn;
    record.bAlmEnable = m_bAlmEnable;
    record.nAlmLevel = m_nAlmLevel;
    record.bInpEnable = m_bInpEnable;
    record.nInpLevel = m_nInpLevel;
    record.nLimitLevel = m_nLimitLevel;
    record.nLimitStop = m_nLimitStop;
    record.bOrgEnable = m_bOrgEnable;
    record.nOrgLevel = m_nOrgLevel;
    record.nPulseEdge = m_nPulseEdge;
    record.bIntGeCompMinus = m_bInterrupt[6];
    record.bIntLtCompMinus = m_bInterrupt[5];
    record.bIntLtCompPlus = m_bInterrupt[4];
    record.bIntGeCompPlus = m_bInterrupt[3];
    record.bIntDecelStart = m_bInterrupt[2];
    record.bIntAccelEnd = m_bInterrupt[1];
    record.bIntDriveEnd = m_bInterrupt[0];
}

void CConfigDialog::UpdateSummary() {
    AxisConfig shown{};
    MembersToRecord(shown);
    CWndHandle(m_staticSummary.GetSafeHwnd()).SetText(ConfigSummaryText(shown));
    // Unbound, the page's members are not the record's: writing them would corrupt it.
    AxisConfig* const record = CurrentRecord();
    if (m_pWrapper != nullptr && record != nullptr) MembersToRecord(*record);
}

void CConfigDialog::OnPulseOut() {
    UpdateSummary();
    if (m_pWrapper) m_pWrapper->PulseOutMode(Axis(), CutTo16(m_nPulseOut));
}

void CConfigDialog::OnPulseIn() {
    UpdateSummary();
    if (m_pWrapper) m_pWrapper->InputMode(Axis(), CutTo16(m_nPulseIn));
}

void CConfigDialog::OnAlmEnable() {
    EnablePair(IDC_ALM_LOW, IDC_ALM_HIGH, m_bAlmEnable);
    OnAlarmWord();
}

void CConfigDialog::OnInpEnable() {
    EnablePair(IDC_INP_LOW, IDC_INP_HIGH, m_bInpEnable);
    OnAlarmWord();
}

void CConfigDialog::OnAlarmWord() {
    UpdateSummary();
    if (m_pWrapper) {
        m_pWrapper->SignalAlmInp(Axis(),
                                 AlarmWord(m_bAlmEnable, m_nAlmLevel, m_bInpEnable, m_nInpLevel));
    }
}

void CConfigDialog::OnLimitWord() {
    UpdateSummary();
    if (m_pWrapper) m_pWrapper->SignalHardLmt(Axis(), LimitWord(m_nLimitLevel, m_nLimitStop));
}

void CConfigDialog::OnOrgEnable() {
    EnablePair(IDC_ORG_LOW, IDC_ORG_HIGH, m_bOrgEnable);
    UpdateSummary();
    if (m_pWrapper) m_pWrapper->SignalOrg(Axis(), HomeWord(m_bOrgEnable, m_nOrgLevel));
}

void CConfigDialog::OnOrgLevel() {
    UpdateSummary();
    if (m_pWrapper) m_pWrapper->SignalOrg(Axis(), CutTo16(m_nOrgLevel + 1));
}

void CConfigDialog::OnInterruptCheck() {
    UpdateSummary();
    if (m_pWrapper) {
        AxisConfig shown{};
        MembersToRecord(shown);
        // The card ORs enables in: clear them first, or an unchecked one stays on.
        m_pWrapper->CloseInterrupt(Axis());
        m_pWrapper->SetInterrupt(Axis(), InterruptWord(shown));
    }
}

void CConfigDialog::OnPulseEdge() {
    UpdateSummary();
    if (m_pWrapper) m_pWrapper->LevelMode(Axis(), CutTo16(m_nPulseEdge));
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
