#include "InterpolationDlg.h"

#include "FieldExchange.h"
#include "motion_ids.h"
#include "page_fields.h"
#include "trace.h"
#include "vorn_305q_wrapper.h"
#include "wnd_handle.h"

void CInterpolationPanel::OnRun() {
    // A refused value would otherwise go out as the last accepted one: an unsafe move.
    if (!UpdateData(true)) {
        Trace(L"run refused: a value was not accepted");
        return;
    }
    CVorn_305q* const control = m_pPage != nullptr ? m_pPage->PanelControl() : nullptr;
    if (control == nullptr) return;
    Run(*control, m_pPage->MainAxis(), m_pPage->SlaveAxis());
}

void CInterpolationPanel::OnStop() {
    CVorn_305q* const control = m_pPage != nullptr ? m_pPage->PanelControl() : nullptr;
    if (control == nullptr) return;
    control->Stop2AxisInst(static_cast<short>(m_pPage->MainAxis()),
                           static_cast<short>(m_pPage->SlaveAxis()));
}

void CInterpolationPanel::OnEditKillFocus(int id, const std::wstring& refill) {
    if (IsReportingFailure()) return;
    const CWndHandle edit(GetDlgItem(GetSafeHwnd(), id));
    if (edit.Text().empty()) edit.SetText(refill);
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
        if (const auto refill = RefillText(static_cast<int>(id))) {
            OnEditKillFocus(static_cast<int>(id), *refill);
            return true;
        }
    }
    return CDialog::OnCommand(id, code, control);
}

// ---- linear

CLinearDialog::CLinearDialog(IPanelPage* page) : CInterpolationPanel(IDD_LINEAR_DIALOG, page) {}

void CLinearDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_TARGET_Y, m_editTargetY);
    DDX_Control(pDX, IDC_TARGET_X, m_editTargetX);
    DDX_Control(pDX, IDC_ACC_TIME, m_editAccTime);
    DDX_Control(pDX, IDC_START_SPEED, m_editStartSpeed);
    DDX_Control(pDX, IDC_RUN_SPEED, m_editMaxSpeed);
    DDX_Fields(pDX, kLinearFields, m_values);
}

std::optional<std::wstring> CLinearDialog::RefillText(int id) const {
    return ::RefillText(kLinearFields, m_values, id);
}

void CLinearDialog::Run(CVorn_305q& control, int mainAxis, int slaveAxis) {
    const LineRMoveArgs a = LineRMoveArgsFor(m_values, mainAxis, slaveAxis);
    control.LineRMove(a.axis0, a.axis1, a.pulse0, a.pulse1, a.sV, a.rV, a.tAcc);
}

// ---- circular

CCircleDialog::CCircleDialog(IPanelPage* page) : CInterpolationPanel(IDD_CIRCLE_DIALOG, page) {}

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
    DDX_Control(pDX, IDC_RUN_SPEED, m_editMaxSpeed);
    DDX_Control(pDX, IDC_START_SPEED, m_editStartSpeed);
    DDX_Fields(pDX, kCircleFields, m_values);
}

std::optional<std::wstring> CCircleDialog::RefillText(int id) const {
    return ::RefillText(kCircleFields, m_values, id);
}

void CCircleDialog::Run(CVorn_305q& control, int mainAxis, int slaveAxis) {
    const CircleDrawRArgs a = CircleDrawRArgsFor(m_values, mainAxis, slaveAxis);
    control.CircleDrawR(a.axis0, a.axis1, a.core0, a.core1, a.stop0, a.stop1, a.sV, a.rV, a.tAcc,
                        a.dir);
}
