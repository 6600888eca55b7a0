#include "OneAxisDlg.h"

#include <utility>

#include "FieldExchange.h"
#include "format.h"
#include "motion_ids.h"
#include "one_axis.h"
#include "page_texts.h"
#include "trace.h"
#include "wnd_handle.h"

namespace {

constexpr COLORREF kTextColour = RGB(72, 42, 197);

}  // namespace

COneAxisDialog::COneAxisDialog(IPageHost* host) : CMotionPage(IDD_ONEAXIS_DIALOG, host) {}

COneAxisDialog::~COneAxisDialog() = default;

void COneAxisDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_IN_ELM, m_staticElMinus);
    DDX_Control(pDX, IDC_IN_ELP, m_staticElPlus);
    DDX_Control(pDX, IDC_T_DEC, m_editTDec);
    DDX_Control(pDX, IDC_T_ACC, m_editTAcc);
    DDX_Control(pDX, IDC_S_DEC, m_editSDec);
    DDX_Control(pDX, IDC_S_ACC, m_editSAcc);
    DDX_Control(pDX, IDC_IN_ALM, m_staticAlm);
    DDX_Control(pDX, IDC_IN_INP, m_staticInp);
    DDX_Control(pDX, IDC_IN_SDP, m_staticSdPlus);
    DDX_Control(pDX, IDC_IN_SDM, m_staticSdMinus);
    DDX_Control(pDX, IDC_IN_ORG, m_staticOrg);
    DDX_Control(pDX, IDC_IN_EZ, m_staticEz);
    DDX_Control(pDX, IDC_CUR_POS, m_staticCurPos);
    DDX_Control(pDX, IDC_DEVIATION, m_staticDeviation);
    DDX_Control(pDX, IDC_INTERRUPT, m_staticInterrupt);
    DDX_Control(pDX, IDC_CMD_POS, m_staticCmdPos);
    DDX_Control(pDX, IDC_IN_POS, m_staticInPos);
    DDX_Control(pDX, IDC_RUN_STATE, m_staticRunState);
    DDX_Control(pDX, IDC_ONEAXIS_TITLE, m_staticTitle);
    DDX_Control(pDX, IDC_TOLERANCE, m_editTolerance);
    DDX_Control(pDX, IDC_START_SPEED, m_editStartSpeed);
    DDX_Control(pDX, IDC_RUN_SPEED, m_editRunSpeed);
    DDX_Control(pDX, IDC_DISTANCE, m_editDistance);
    DDX_Fields(pDX, kOneAxisFields, m_values);
}

BOOL COneAxisDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_staticTitle.CreateTextFont(32, 0);
    m_staticTitle.SetTextColor(kTextColour);
    CMyStatic* const fields[] = {&m_staticCmdPos, &m_staticCurPos,   &m_staticDeviation,
                                 &m_staticInPos,  &m_staticRunState, &m_staticInterrupt,
                                 &m_staticEz,     &m_staticOrg,      &m_staticSdMinus,
                                 &m_staticSdPlus, &m_staticElPlus,   &m_staticElMinus,
                                 &m_staticInp,    &m_staticAlm};
    for (CMyStatic* field : fields) {
        field->CreateTextFont(14, 10);
        field->SetTextColor(kTextColour);
    }
    // The checked type's row is in force from the first display on.
    ApplyMotionTypeRow(m_values.nMotionType);
    // Created hidden: the focus must not move into it.
    return FALSE;
}

MotionParams* COneAxisDialog::CurrentRecord() const {
    return m_pHost != nullptr ? m_pHost->CurrentMotion() : nullptr;
}

const CMyStatic* COneAxisDialog::Field(int id) const {
    const std::pair<int, const CMyStatic*> fields[] = {
        {IDC_RUN_STATE, &m_staticRunState}, {IDC_CUR_POS, &m_staticCurPos},
        {IDC_CMD_POS, &m_staticCmdPos},     {IDC_DEVIATION, &m_staticDeviation},
        {IDC_IN_POS, &m_staticInPos},       {IDC_INTERRUPT, &m_staticInterrupt},
        {IDC_IN_EZ, &m_staticEz},           {IDC_IN_ORG, &m_staticOrg},
        {IDC_IN_SDM, &m_staticSdMinus},     {IDC_IN_SDP, &m_staticSdPlus},
        {IDC_IN_ELP, &m_staticElPlus},      {IDC_IN_ELM, &m_staticElMinus},
        {IDC_IN_INP, &m_staticInp},         {IDC_IN_ALM, &m_staticAlm}};
    for (const auto& [fieldId, field] : fields) {
        if (fieldId == id) return field;
    }
    return nullptr;
}

void COneAxisDialog::SetField(int id, const std::wstring& text) const {
    // The poll writes every field at every tick: a still axis must cost nothing, so a
    // field is written only when its text changes.
    const CMyStatic* const field = Field(id);
    if (field == nullptr || field->GetSafeHwnd() == nullptr) return;
    if (!field->Shows(text)) ::SetWindowTextW(field->GetSafeHwnd(), text.c_str());
}

void COneAxisDialog::ShowTitle() {
    ::SetWindowTextW(m_staticTitle.GetSafeHwnd(), OneAxisPageTitle(m_nCard, m_nAxis).c_str());
}

void COneAxisDialog::SetCardAxis(int card, int axis) {
    const bool lateBinding = m_pControl == nullptr && card == m_nCard && axis == m_nAxis;
    if (!ChangeCardAxis(card, axis)) return;
    // Only a bound page writes motion records, so the pair's holds defaults: what the
    // operator entered on the unbound page goes into it instead of being replaced.
    if (lateBinding) {
        StoreParams();
    } else {
        RefreshParams();
    }
}

void COneAxisDialog::RefreshParams() {
    const MotionParams* const record = CurrentRecord();
    if (record == nullptr) return;
    CopyFields(kOneAxisFields, *record, m_values);
    UpdateData(false);
    // The checked type must be the one whose edits and poll are in force.
    ApplyMotionTypeRow(m_values.nMotionType);
}

void COneAxisDialog::StoreParams() const {
    if (MotionParams* const record = CurrentRecord()) CopyFields(kOneAxisFields, m_values, *record);
}

void COneAxisDialog::StoreField(int id) const {
    MotionParams* const record = CurrentRecord();
    const PageField<MotionParams>* const field = FieldOfControl(kOneAxisFields, id);
    if (record != nullptr && field != nullptr) CopyField(*field, m_values, *record);
}

void COneAxisDialog::ApplyMotionTypeRow(int motionType) {
    const MotionTypeRow* const row = MotionTypeRowFor(motionType);
    if (row == nullptr) return;
    const CWndHandle page(GetSafeHwnd());
    for (int column = 0; column < kEnableColumnCount; ++column) {
        page.Item(kEnableColumnIds[column].first).Enable(row->enable[column]);
        if (kEnableColumnIds[column].second != 0) {
            page.Item(kEnableColumnIds[column].second).Enable(row->enable[column]);
        }
    }
    m_bContinuous = row->continuous ? TRUE : FALSE;
}

bool COneAxisDialog::Exchange() {
    m_bExchangeRefused = !UpdateData(true);
    return !m_bExchangeRefused;
}

void COneAxisDialog::OnMotionType(int motionType) {
    ApplyMotionTypeRow(motionType);
    Exchange();
    StoreField(IDC_MOTION_FIRST);
}

void COneAxisDialog::OnDirection() {
    Exchange();
    StoreField(IDC_DIR_FORWARD);
}

void COneAxisDialog::OnEditKillFocus(int id, const std::wstring& refill) {
    if (IsReportingFailure()) return;
    const CWndHandle edit(GetDlgItem(GetSafeHwnd(), id));
    if (edit.Text().empty()) edit.SetText(refill);
    Exchange();
    StoreField(id);
}

void COneAxisDialog::OnStart() {
    SetField(IDC_INTERRUPT, L"0x000000");
    if (m_pControl == nullptr) return;
    if (m_bExchangeRefused) {
        Trace(L"start refused: a value was not accepted");
        return;
    }
    const MotionCall c = MotionCallFor(m_values, static_cast<short>(m_nAxis));
    CVorn_305q& control = *m_pControl;
    switch (c.method) {
        case EMotionMethod::TVMove:
            control.TVMove(c.axis, c.startSpeed, c.runSpeed, c.accTime, c.direction);
            break;
        case EMotionMethod::StartTRMove:
            control.StartTRMove(c.axis, c.pulse, c.startSpeed, c.runSpeed, c.accTime);
            break;
        case EMotionMethod::StartTRNMove:
            control.StartTRNMove(c.axis, c.pulse, c.startSpeed, c.runSpeed, c.accTime, c.decTime);
            break;
        case EMotionMethod::StartTAMove:
            control.StartTAMove(c.axis, c.pulse, c.startSpeed, c.runSpeed, c.accTime);
            break;
        case EMotionMethod::StartTANMove:
            control.StartTANMove(c.axis, c.pulse, c.startSpeed, c.runSpeed, c.accTime, c.decTime);
            break;
        case EMotionMethod::SVMove:
            control.SVMove(c.axis, c.startSpeed, c.runSpeed, c.accTime, c.sAccTime, c.direction);
            break;
        case EMotionMethod::StartSRMove:
            control.StartSRMove(c.axis, c.pulse, c.startSpeed, c.runSpeed, c.accTime, c.sAccTime);
            break;
        case EMotionMethod::StartSRNMove:
            control.StartSRNMove(c.axis, c.pulse, c.startSpeed, c.runSpeed, c.accTime, c.sAccTime,
                                 c.decTime, c.sDecTime);
            break;
        case EMotionMethod::StartSAMove:
            control.StartSAMove(c.axis, c.pulse, c.startSpeed, c.runSpeed, c.accTime, c.sAccTime);
            break;
        case EMotionMethod::StartSANMove:
            control.StartSANMove(c.axis, c.pulse, c.startSpeed, c.runSpeed, c.accTime, c.sAccTime,
                                 c.decTime, c.sDecTime);
            break;
        case EMotionMethod::ManuMove:
            control.ManuMove(c.axis, c.startSpeed, c.runSpeed);
            break;
        case EMotionMethod::ManuMove2:
            control.ManuMove2(c.axis, c.startSpeed, c.runSpeed);
            break;
        case EMotionMethod::None:
            break;
    }
}

void COneAxisDialog::OnStop() {
    if (m_pControl != nullptr) m_pControl->StopAxisInst(static_cast<short>(m_nAxis));
}

void COneAxisDialog::OnTimer(UINT_PTR id) {
    // An unopened card would answer every call with a message box.
    if (id != IDT_POLL || m_pControl == nullptr || m_pHost == nullptr || !m_pHost->IsCardOpen()) {
        return;
    }
    const short axis = static_cast<short>(m_nAxis);
    OneAxisPollInput in;
    in.axis = m_nAxis;
    in.runState = m_pControl->RunState(axis);
    in.position = m_pControl->GetPosition(axis);
    in.continuous = m_bContinuous != FALSE;
    in.distance = m_values.nDistance;
    in.direction = m_values.nDirection;
    in.tolerance = m_values.nTolerance;
    in.inputs = m_pControl->GetInput();
    const OneAxisPollDisplay shown = OneAxisPollDisplayFor(in);
    SetField(IDC_RUN_STATE, shown.runState);
    SetField(IDC_CUR_POS, shown.currentPosition);
    SetField(IDC_CMD_POS, shown.commandPosition);
    SetField(IDC_DEVIATION, shown.deviation);
    SetField(IDC_IN_POS, shown.inPosition);
    // A debug line at every tick: to the debugger only while one listens, as a release
    // build's debug trace is; asking whether one listens costs the platform more than the
    // rest of the tick.
    TraceDetail(Format(L"%x", static_cast<unsigned>(shown.axisInputs)));
    for (int bit = 0; bit < 8; ++bit) SetField(kInputFieldIds[bit], shown.inputs[bit]);
}

void COneAxisDialog::ShowInterrupt(long status, CVorn_305q* wrapper) {
    if (wrapper == nullptr || wrapper != m_pControl) return;
    const std::wstring text = InterruptStatusText(static_cast<int32_t>(status));
    SetField(IDC_INTERRUPT, text);
    TraceText(L"interrupt status shown: " + text);
}

bool COneAxisDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (control == nullptr) return CDialog::OnCommand(id, code, control);
    if (code == BN_CLICKED) {
        const int type = MotionTypeOfButton(static_cast<int>(id));
        if (type >= 0) {
            OnMotionType(type);
            return true;
        }
        switch (id) {
            case IDC_DIR_FORWARD:
            case IDC_DIR_BACKWARD:
                OnDirection();
                return true;
            case IDC_START:
                OnStart();
                return true;
            case IDC_STOP:
                OnStop();
                return true;
            default:
                break;
        }
    }
    if (code == EN_KILLFOCUS) {
        if (const auto refill = RefillText(kOneAxisFields, m_values, static_cast<int>(id))) {
            OnEditKillFocus(static_cast<int>(id), *refill);
            return true;
        }
    }
    return CDialog::OnCommand(id, code, control);
}
