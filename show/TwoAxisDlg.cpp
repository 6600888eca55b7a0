#include "TwoAxisDlg.h"

#include "motion_ids.h"
#include "page_texts.h"
#include "plot_model.h"
#include "wnd_handle.h"

namespace {

constexpr COLORREF kTextColour = RGB(72, 42, 197);

}  // namespace

CTwoAxisDialog::CTwoAxisDialog(IPageHost* host)
    : CMotionPage(IDD_TWOAXIS_DIALOG, host), m_linearDlg(this), m_circleDlg(this) {}

CTwoAxisDialog::~CTwoAxisDialog() = default;

void CTwoAxisDialog::OnApplyInitData() {
    for (const int id : {IDC_MAIN_AXIS, IDC_SLAVE_AXIS}) {
        const CWndHandle combo(GetDlgItem(GetSafeHwnd(), id));
        for (const wchar_t* entry : {L"0-X", L"1-Y", L"2-Z", L"3-U"}) {
            combo.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        }
    }
}

void CTwoAxisDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_RATIO, m_staticRatio);
    DDX_Control(pDX, IDC_MAIN_POS, m_staticMainPos);
    DDX_Control(pDX, IDC_SLAVE_POS, m_staticSlavePos);
    DDX_Control(pDX, IDC_PLOT, m_drawStatic);
    DDX_Control(pDX, IDC_TWOAXIS_TITLE, m_staticTitle);
    DDX_Radio(pDX, IDC_MODE_LINEAR, m_nMode);
    DDX_CBIndex(pDX, IDC_MAIN_AXIS, m_nMainAxis);
    DDX_CBIndex(pDX, IDC_SLAVE_AXIS, m_nSlaveAxis);
}

BOOL CTwoAxisDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_staticTitle.CreateTextFont(32, 0);
    m_staticTitle.SetTextColor(kTextColour);

    const CWndHandle page(GetSafeHwnd());
    const RECT area = page.Item(IDC_PANEL_AREA).WindowRect();
    const RECT own = page.WindowRect();
    const RECT placed = {area.left - own.left, area.top - own.top,
                         area.left - own.left + (area.right - area.left),
                         area.top - own.top + (area.bottom - area.top)};
    for (CDialog* panel :
         {static_cast<CDialog*>(&m_linearDlg), static_cast<CDialog*>(&m_circleDlg)}) {
        panel->CreateModeless(GetSafeHwnd());
        CWndHandle(panel->GetSafeHwnd()).Move(placed);
    }
    m_linearDlg.ShowWindow(SW_SHOW);
    m_circleDlg.ShowWindow(SW_HIDE);

    for (CMyStatic* field : {&m_staticMainPos, &m_staticSlavePos, &m_staticRatio}) {
        field->CreateTextFont(14, 10);
        field->SetTextColor(kTextColour);
    }
    ShowRatio();
    m_drawStatic.InitDraw();
    // Created hidden: the focus must not move into it.
    return FALSE;
}

void CTwoAxisDialog::ShowTitle() {
    ::SetWindowTextW(m_staticTitle.GetSafeHwnd(),
                     TwoAxisPageTitle(m_nCard, m_nMainAxis, m_nSlaveAxis).c_str());
}

void CTwoAxisDialog::ShowRatio() {
    ::SetWindowTextW(m_staticRatio.GetSafeHwnd(), PlotRatioText(m_drawStatic.GetScale()).c_str());
}

void CTwoAxisDialog::ApplyAxisPair() const {
    if (m_pHost == nullptr || m_pControl == nullptr) return;
    m_pHost->EnsureApplied(m_nCard, m_nMainAxis);
    m_pHost->EnsureApplied(m_nCard, m_nSlaveAxis);
}

void CTwoAxisDialog::SetCardAxis(int card, int axis) {
    if (ChangeCardAxis(card, axis)) ApplyAxisPair();
}

void CTwoAxisDialog::OnAxisChosen() {
    UpdateData(true);
    ShowTitle();
    ApplyAxisPair();
}

void CTwoAxisDialog::OnSelectMode() {
    UpdateData(true);
    if (m_nMode == 0) {
        m_linearDlg.ShowWindow(SW_SHOW);
        m_circleDlg.ShowWindow(SW_HIDE);
    } else {
        m_circleDlg.ShowWindow(SW_SHOW);
        m_linearDlg.ShowWindow(SW_HIDE);
    }
}

void CTwoAxisDialog::OnClearPosition() {
    if (m_pControl == nullptr) return;
    m_pControl->SetPosition(static_cast<short>(m_nMainAxis), 0);
    m_pControl->SetPosition(static_cast<short>(m_nSlaveAxis), 0);
    m_drawStatic.ClearPoints();
}

void CTwoAxisDialog::OnTimer(UINT_PTR id) {
    if (id != IDT_POLL || m_pControl == nullptr || m_pHost == nullptr || !m_pHost->IsCardOpen()) {
        return;
    }
    const long x = m_pControl->GetPosition(static_cast<short>(m_nMainAxis));
    const long y = m_pControl->GetPosition(static_cast<short>(m_nSlaveAxis));
    m_drawStatic.AddPoint(static_cast<int>(x), static_cast<int>(y));
    // A still pair costs nothing: a position is written only when its text changes.
    const auto show = [](const CMyStatic& field, long value) {
        const std::wstring text = IntegerText(value);
        if (!field.Shows(text)) ::SetWindowTextW(field.GetSafeHwnd(), text.c_str());
    };
    show(m_staticMainPos, x);
    show(m_staticSlavePos, y);
}

bool CTwoAxisDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (control == nullptr) return CDialog::OnCommand(id, code, control);
    // A keyboard choice on the closed list ends with a selection but no close-up.
    if ((code == CBN_CLOSEUP || code == CBN_SELENDOK) &&
        (id == IDC_MAIN_AXIS || id == IDC_SLAVE_AXIS)) {
        OnAxisChosen();
        return true;
    }
    if (code != BN_CLICKED) return CDialog::OnCommand(id, code, control);
    switch (id) {
        case IDC_MODE_LINEAR:
        case IDC_MODE_CIRCLE:
            OnSelectMode();
            return true;
        case IDC_CLEAR_POS:
            OnClearPosition();
            return true;
        case IDC_ZOOM_IN:
            m_drawStatic.ZoomIn();
            ShowRatio();
            return true;
        case IDC_ZOOM_OUT:
            m_drawStatic.ZoomOut();
            ShowRatio();
            return true;
        case IDC_MOVE_LEFT:
            m_drawStatic.MoveLeft();
            return true;
        case IDC_MOVE_RIGHT:
            m_drawStatic.MoveRight();
            return true;
        case IDC_MOVE_UP:
            m_drawStatic.MoveUp();
            return true;
        case IDC_MOVE_DOWN:
            m_drawStatic.MoveDown();
            return true;
        default:
            return CDialog::OnCommand(id, code, control);
    }
}
