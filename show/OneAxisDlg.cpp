#include "OneAxisDlg.h"

#include "Vorn_305q_showView.h"
#include "motion_ids.h"
#include "one_axis.h"
#include "page_texts.h"
#include "trace.h"
#include "wnd_handle.h"

namespace {

constexpr COLORREF kTextColour = RGB(72, 42, 197);

}  // namespace

COneAxisDialog::COneAxisDialog() : CMotionPage(IDD_ONEAXIS_DIALOG) {}

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
    DDX_Radio(pDX, IDC_MOTION_FIRST, m_nMotionType);
    DDX_Text(pDX, IDC_POSITION, m_nPosition);
    DDX_Text(pDX, IDC_T_DEC, m_fTDecTime);
    DDX_Text(pDX, IDC_T_ACC, m_fTAccTime);
    DDX_Text(pDX, IDC_S_DEC, m_fSDecTime);
    DDX_Text(pDX, IDC_S_ACC, m_fSAccTime);
    DDX_Text(pDX, IDC_DISTANCE, m_nDistance);
    DDX_Text(pDX, IDC_START_SPEED, m_nStartSpeed);
    DDX_Text(pDX, IDC_TOLERANCE, m_nTolerance);
    DDX_Text(pDX, IDC_RUN_SPEED, m_nRunSpeed);
    DDX_Radio(pDX, IDC_DIR_FORWARD, m_nDirection);
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
    ApplyMotionTypeRow(m_nMotionType);
    // Created hidden: the focus must not move into it.
    return FALSE;
}

MotionParams* COneAxisDialog::CurrentRecord() const {
    CVorn_305q_showView* const view = View();
    return view != nullptr ? view->m_pCurMotion : nullptr;
}

void COneAxisDialog::SetField(int id, const std::wstring& text) const {
    SetDlgItemTextW(GetSafeHwnd(), id, text.c_str());
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
    m_nMotionType = record->nMotionType;
    m_nPosition = record->nPosition;
    m_nTolerance = record->nTolerance;
    m_nRunSpeed = record->nRunSpeed;
    m_nStartSpeed = record->nStartSpeed;
    m_nDistance = record->nDistance;
    m_fSAccTime = record->fSAccTime;
    m_fSDecTime = record->fSDecTime;
    m_fTAccTime = record->fTAccTime;
    m_fTDecTime = record->fTDecTime;
    m_nDirection = record->nDirection;
    UpdateData(false);
    // The checked type must be the one whose edits and poll are in force.
    ApplyMotionTypeRow(m_nMotionType);
}

void COneAxisDialog::StoreParams() const {
    MotionParams* const record = CurrentRecord();
    if (record == nullptr) return;
    record->nMotionType = m_nMotionType;
    record->nPosition = m_nPosition;
    record->nTolerance = m_nTolerance;
    record->nRunSpeed = m_nRunSpeed;
    record->nStartSpeed = m_nStartSpeed;
    record->nDistance = m_nDistance;
    record->fSAccTime = m_fSAccTime;
    record->fSDecTime = m_fSDecTime;
    record->fTAccTime = m_fTAccTime;
    record->fTDecTime = m_fTDecTime;
    record->nDirection = m_nDirection;
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
    if (MotionParams* const record = CurrentRecord()) record->nMotionType = m_nMotionType;
}

void COneAxisDialog::OnDirection() {
    Exchange();
    if (MotionParams* const record = CurrentRecord()) record->nDirection = m_nDirection;
}

void COneAxisDialog::OnEditKillFocus(int id) {
    if (IsReportingFailure()) return;
    const CWndHandle edit(GetDlgItem(GetSafeHwnd(), id));
    if (edit.Text().empty()) {
        switch (id) {
            case IDC_POSITION:
                edit.SetText(IntegerText(m_nPosition));
                break;
            case IDC_TOLERANCE:
                edit.SetText(IntegerText(m_nTolerance));
                break;
            case IDC_START_SPEED:
                edit.SetText(IntegerText(m_nStartSpeed));
                break;
            case IDC_RUN_SPEED:
                edit.SetText(IntegerText(m_nRunSpeed));
                break;
            case IDC_DISTANCE:
                edit.SetText(IntegerText(m_nDistance));
                break;
            case IDC_T_ACC:
                edit.SetText(OneAxisTimeRefillText(m_fTAccTime));
                break;
            case IDC_T_DEC:
                edit.SetText(OneAxisTimeRefillText(m_fTDecTime));
                break;
            case IDC_S_ACC:
                edit.SetText(OneAxisTimeRefillText(m_fSAccTime));
                break;
            case IDC_S_DEC:
                edit.SetText(OneAxisTimeRefillText(m_fSDecTime));
                break;
            default:
                return;
        }
    }
    Exchange();
    MotionParams* const record = CurrentRecord();
    if (record == nullptr) return;
    switch (id) {
        case IDC_POSITION:
            record->nPosition = m_nPosition;
            break;
        case IDC_TOLERANCE:
            record->nTolerance = m_nTolerance;
            break;
        case IDC_START_SPEED:
            record->nStartSpeed = m_nStartSpeed;
            break;
        case IDC_RUN_SPEED:
            record->nRunSpeed = m_nRunSpeed;
            break;
        case IDC_DISTANCE:
            record->nDistance = m_nDistance;
            break;
        case IDC_T_ACC:
            record->fTAccTime = m_fTAccTime;
            break;
        case IDC_T_DEC:
            record->fTDecTime = m_fTDecTime;
            break;
        case IDC_S_ACC:
            record->fSAccTime = m_fSAccTime;
            break;
        case IDC_S_DEC:
            record->fSDecTime = m_fSDecTime;
            break;
        default:
            break;
    }
}

void COneAxisDialog::OnStart() {
    SetField(IDC_INTERRUPT, L"0x000000");
    if (m_pControl == nullptr) return;
    if (m_bExchangeRefused) {
        Trace(L"start refused: a value was not accepted");
        return;
    }
    MotionParams values;
    values.nMotionType = m_nMotionType;
    values.nStartSpeed = m_nStartSpeed;
    values.nRunSpeed = m_nRunSpeed;
    values.nDistance = m_nDistance;
    values.nDirection = m_nDirection;
    values.fTAccTime = m_fTAccTime;
    values.fTDecTime = m_fTDecTime;
    values.fSAccTime = m_fSAccTime;
    values.fSDecTime = m_fSDecTime;
    const MotionCall c = MotionCallFor(values, static_cast<short>(m_nAxis));
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
    if (id != IDT_POLL || m_pControl == nullptr) return;
    CVorn_305q_showView* const view = View();
    // An unopened card would answer every call with a message box.
    if (view == nullptr || view->m_bCardNotOpen != 0) return;
    const short axis = static_cast<short>(m_nAxis);
    OneAxisPollInput in;
    in.axis = m_nAxis;
    in.runState = m_pControl->RunState(axis);
    in.position = m_pControl->GetPosition(axis);
    in.continuous = m_bContinuous != FALSE;
    in.distance = m_nDistance;
    in.direction = m_nDirection;
    in.tolerance = m_nTolerance;
    in.inputs = m_pControl->GetInput();
    const OneAxisPollDisplay shown = OneAxisPollDisplayFor(in);
    SetField(IDC_RUN_STATE, shown.runState);
    SetField(IDC_CUR_POS, shown.currentPosition);
    SetField(IDC_CMD_POS, shown.commandPosition);
    SetField(IDC_DEVIATION, shown.deviation);
    SetField(IDC_IN_POS, shown.inPosition);
    Trace(L"%x", static_cast<unsigned>(shown.axisInputs));
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
        switch (id) {
            case IDC_POSITION:
            case IDC_TOLERANCE:
            case IDC_START_SPEED:
            case IDC_RUN_SPEED:
            case IDC_DISTANCE:
            case IDC_T_ACC:
            case IDC_T_DEC:
            case IDC_S_ACC:
            case IDC_S_DEC:
                OnEditKillFocus(static_cast<int>(id));
                return true;
            default:
                break;
        }
    }
    return CDialog::OnCommand(id, code, control);
}
