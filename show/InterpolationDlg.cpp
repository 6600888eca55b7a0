#include "InterpolationDlg.h"

#include "TwoAxisDlg.h"
#include "motion_ids.h"
#include "page_texts.h"
#include "trace.h"
#include "wnd_handle.h"

CTwoAxisDialog* CInterpolationPanel::Page() const {
    return dynamic_cast<CTwoAxisDialog*>(CWnd::FromHandle(GetParent(GetSafeHwnd())));
}

void CInterpolationPanel::OnRun() {
    CTwoAxisDialog* const page = Page();
    // A refused value would otherwise go out as the last accepted one: an unsafe move.
    if (!UpdateData(true)) {
        Trace(L"run refused: a value was not accepted");
        return;
    }
    if (page == nullptr || page->m_pControl == nullptr) return;
    Run(*page);
}

void CInterpolationPanel::OnStop() {
    CTwoAxisDialog* const page = Page();
    if (page == nullptr || page->m_pControl == nullptr) return;
    page->m_pControl->Stop2AxisInst(static_cast<short>(page->m_nMainAxis),
                                    static_cast<short>(page->m_nSlaveAxis));
}

void CInterpolationPanel::OnEditKillFocus(int id) {
    if (IsReportingFailure()) return;
    const CWndHandle edit(GetDlgItem(GetSafeHwnd(), id));
    if (edit.Text().empty()) edit.SetText(RefillText(id));
    UpdateData(true);
}

bool CInterpolationPanel::OnCommand(UINT id, UINT code, HWND control) {
    if (control != nullptr && code == BN_CLICKED && id == IDC_RUN) {
        OnRun();
        return true;
    }
    if (control != nullptr && code == BN_CLICKED && id == IDC_PANEL_STOP) {
        OnStop();
        return true;
    }
    if (control != nullptr && code == EN_KILLFOCUS) {
        switch (id) {
            case IDC_ACC_TIME:
            case IDC_RUN_SPEED:
            case IDC_START_SPEED:
            case IDC_TARGET_X:
            case IDC_TARGET_Y:
                OnEditKillFocus(static_cast<int>(id));
                return true;
            default:
                break;
        }
    }
    return CDialog::OnCommand(id, code, control);
}

// ---- linear

CLinearDialog::CLinearDialog() : CInterpolationPanel(IDD_LINEAR_DIALOG) {}

void CLinearDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_TARGET_Y, m_editTargetY);
    DDX_Control(pDX, IDC_TARGET_X, m_editTargetX);
    DDX_Control(pDX, IDC_ACC_TIME, m_editAccTime);
    DDX_Text(pDX, IDC_START_SPEED, m_values.nStartSpeed);
    DDX_Text(pDX, IDC_RUN_SPEED, m_values.nMaxSpeed);
    DDX_Text(pDX, IDC_TARGET_X, m_values.nTargetX);
    DDX_Text(pDX, IDC_TARGET_Y, m_values.nTargetY);
    DDX_Text(pDX, IDC_ACC_TIME, m_values.dAccTime);
}

std::wstring CLinearDialog::RefillText(int id) const {
    switch (id) {
        case IDC_ACC_TIME:
            return PanelTimeRefillText(m_values.dAccTime);
        case IDC_RUN_SPEED:
            return IntegerText(m_values.nMaxSpeed);
        case IDC_START_SPEED:
            return IntegerText(m_values.nStartSpeed);
        case IDC_TARGET_X:
            return IntegerText(m_values.nTargetX);
        case IDC_TARGET_Y:
            return IntegerText(m_values.nTargetY);
        default:
            return {};
    }
}

void CLinearDialog::Run(CTwoAxisDialog& page) {
    const LineRMoveArgs a = LineRMoveArgsFor(m_values, page.m_nMainAxis, page.m_nSlaveAxis);
    page.m_pControl->LineRMove(a.axis0, a.axis1, a.pulse0, a.pulse1, a.sV, a.rV, a.tAcc);
}

// ---- circular

CCircleDialog::CCircleDialog() : CInterpolationPanel(IDD_CIRCLE_DIALOG) {}

void CCircleDialog::OnApplyInitData() {
    const CWndHandle combo(GetDlgItem(GetSafeHwnd(), IDC_CIRCLE_DIR));
    combo.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"顺时针方向"));
    combo.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"逆时针方向"));
}

void CCircleDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_END_Y, m_editEndY);
    DDX_Control(pDX, IDC_END_X, m_editEndX);
    DDX_Control(pDX, IDC_TARGET_Y, m_editCenterY);
    DDX_Control(pDX, IDC_TARGET_X, m_editCenterX);
    DDX_Control(pDX, IDC_ACC_TIME, m_editAccTime);
    DDX_Text(pDX, IDC_RUN_SPEED, m_values.nMaxSpeed);
    DDX_Text(pDX, IDC_START_SPEED, m_values.nStartSpeed);
    DDX_Text(pDX, IDC_ACC_TIME, m_values.dAccTime);
    DDX_Text(pDX, IDC_END_X, m_values.nEndX);
    DDX_Text(pDX, IDC_END_Y, m_values.nEndY);
    DDX_CBIndex(pDX, IDC_CIRCLE_DIR, m_values.nDirection);
    DDX_Text(pDX, IDC_TARGET_X, m_values.nCenterX);
    DDX_Text(pDX, IDC_TARGET_Y, m_values.nCenterY);
}

std::wstring CCircleDialog::RefillText(int id) const {
    switch (id) {
        case IDC_ACC_TIME:
            return PanelTimeRefillText(m_values.dAccTime);
        case IDC_RUN_SPEED:
            return IntegerText(m_values.nMaxSpeed);
        case IDC_START_SPEED:
            return IntegerText(m_values.nStartSpeed);
        case IDC_TARGET_X:
            return IntegerText(m_values.nCenterX);
        case IDC_TARGET_Y:
            return IntegerText(m_values.nCenterY);
        default:
            return {};
    }
}

void CCircleDialog::Run(CTwoAxisDialog& page) {
    const CircleDrawRArgs a = CircleDrawRArgsFor(m_values, page.m_nMainAxis, page.m_nSlaveAxis);
    page.m_pControl->CircleDrawR(a.axis0, a.axis1, a.core0, a.core1, a.stop0, a.stop1, a.sV, a.rV,
                                 a.tAcc, a.dir);
}
