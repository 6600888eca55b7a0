#include "Vorn_305q_showView.h"

#include <memory>

#include "ConfigDialog.h"
#include "MainFrm.h"
#include "OneAxisDlg.h"
#include "TwoAxisDlg.h"
#include "Vorn_305q_show.h"
#include "app.h"
#include "document.h"
#include "error_text.h"
#include "format.h"
#include "resource.h"
#include "trace.h"
#include "wnd_handle.h"

namespace {

// The form's persisted state of the control: the container's leading 0 word, then the
// control's own 16 bytes (version 1.0, extent 2117 x 1244, no stock properties).
constexpr BYTE kFormControlState[20] = {0, 0, 0,    0,    0x00, 0x00, 0x01, 0x00, 0x45, 0x08,
                                        0, 0, 0xDC, 0x04, 0,    0,    0,    0,    0,    0};
constexpr ULONG kContainerWord = 4;

constexpr DISPID kFireInterrupt = 1;

// Posted by the settings load, so that its message shows over the main window.
constexpr UINT kReportUnreadSettings = WM_APP + 1;

std::wstring SettingsPath() { return SettingsFilePath(theApp.m_strProgramDir); }

// The notice with the system's wording of its error.
std::wstring TextOf(const SettingsNotice& notice) {
    return notice.Text(SystemErrorText(notice.error));
}

void TraceApplied(int card, int axis) {
    Trace(L"configuration applied: card=%d axis=%d", card, axis);
}

bool IsPageCommand(UINT id) {
    switch (id) {
        case ID_CONFIG:
        case ID_ONEAXIS:
        case ID_TWOAXIS:
        case ID_SAVECONFIG:
        case ID_LOADDEFAULTCONFIG:
            return true;
        default:
            return false;
    }
}

}  // namespace

const CRuntimeClass CVorn_305q_showView::classCVorn_305q_showView = {
    "CVorn_305q_showView", &CFormView::classCFormView, CreateDynamic<CVorn_305q_showView>};

CVorn_305q_showView::CVorn_305q_showView() : CFormView(IDD_VORN_305Q_SHOW_FORM) {}

CVorn_305q_showView::~CVorn_305q_showView() = default;

CMainFrame* CVorn_305q_showView::MainFrame() const {
    CWinApp* const app = AfxGetApp();
    return app != nullptr ? dynamic_cast<CMainFrame*>(app->m_pMainWnd) : nullptr;
}

BOOL CVorn_305q_showView::Create(CFrameWnd* parent, UINT id, CCreateContext* context) {
    if (!CFormView::Create(parent, id, context)) return FALSE;
    const CWndHandle placeholder(GetDlgItem(GetSafeHwnd(), IDC_VORN305QCTRL));
    const RECT rect = placeholder.RectInParent();
    ::DestroyWindow(placeholder.Get());  // the control takes its identifier
    if (!m_control.CreateControl(CVorn_305q::GetClsid(), L"", WS_CHILD | WS_TABSTOP, rect, this,
                                 IDC_VORN305QCTRL, kFormControlState + kContainerWord,
                                 sizeof kFormControlState - kContainerWord)) {
        Trace(L"The control could not be created (is it registered?)");
        DestroyWindow();
        return FALSE;
    }
    const HRESULT hr =
        m_sink.Connect(m_control.GetControlUnknown(), [this](DISPID dispid, DISPPARAMS* params) {
            if (dispid != kFireInterrupt) return;
            VARIANT axis;
            VARIANT status;
            VariantInit(&axis);
            VariantInit(&status);
            UINT argErr = 0;
            if (SUCCEEDED(DispGetParam(params, 0, VT_I2, &axis, &argErr)) &&
                SUCCEEDED(DispGetParam(params, 1, VT_I4, &status, &argErr))) {
                OnInterruptVorn305qctrl(V_I2(&axis), V_I4(&status));
            }
        });
    if (FAILED(hr)) Trace(L"The control's events could not be connected: 0x%08lX", hr);
    return TRUE;
}

void CVorn_305q_showView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    // New and open run this again: the one-time steps must not repeat.
    if (m_bInitialUpdateDone) {
        Trace(L"initial update again: one-time steps skipped");
        return;
    }
    m_bInitialUpdateDone = true;

    ResizeParentToFit();
    CMainFrame* const frame = MainFrame();
    if (frame != nullptr) {
        const RECT outer = CWndHandle(frame->GetSafeHwnd()).WindowRect();
        theApp.m_nFrameWidth = outer.right - outer.left;
        theApp.m_nFrameHeight = outer.bottom - outer.top;
        Trace(L"frame size recorded: %dx%d", theApp.m_nFrameWidth, theApp.m_nFrameHeight);
    }
    const RECT client = CWndHandle(GetSafeHwnd()).ClientRect();
    CreatePage<CConfigDialog>(kConfigPage, client);
    CreatePage<COneAxisDialog>(kOneAxisPage, client);
    CreatePage<CTwoAxisDialog>(kTwoAxisPage, client);
    LoadSettings();
    m_control.ShowWindow(SW_HIDE);
    const short count = m_control.GetCardCount();
    Trace(L"card count: %d", count);
    if (frame != nullptr) frame->FillCardSelector(count);
}

int CVorn_305q_showView::CardsAvailable() const {
    const CMainFrame* const frame = MainFrame();
    return frame != nullptr && frame->HasCards() ? 1 : 0;
}

template <class TPage>
void CVorn_305q_showView::CreatePage(int page, const RECT& client) {
    auto created = std::make_unique<TPage>(this);
    if (!created->CreateModeless(GetSafeHwnd())) {
        Trace(L"page %u could not be created", created->TemplateId());
        return;
    }
    // The template's place (0, 0), the view's client size.
    SetWindowPos(created->GetSafeHwnd(), nullptr, 0, 0, client.right - client.left,
                 client.bottom - client.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_pages[page] = std::move(created);
}

CViewPage* CVorn_305q_showView::Page(int page) const {
    return page >= kConfigPage && page <= kTwoAxisPage ? m_pages[page].get() : nullptr;
}

CConfigDialog* CVorn_305q_showView::ConfigPage() const {
    return static_cast<CConfigDialog*>(Page(kConfigPage));
}

COneAxisDialog* CVorn_305q_showView::OneAxisPage() const {
    return static_cast<COneAxisDialog*>(Page(kOneAxisPage));
}

void CVorn_305q_showView::OnCardChanged(int card) {
    // A selector without a selection gives -1: no card to key records by.
    if (card < 0 || card == m_nCard) return;
    m_nCard = card;
    Trace(L"card chosen: %d", card);
    if (CViewPage* const page = Page(m_nPage)) page->SetCardAxis(m_nCard, m_nAxis);
}

void CVorn_305q_showView::OnAxisChanged(int axis) {
    if (axis < 0 || axis == m_nAxis) return;
    m_nAxis = axis;
    Trace(L"axis chosen: %d", axis);
    if (CViewPage* const page = Page(m_nPage)) page->SetCardAxis(m_nCard, m_nAxis);
}

BOOL CVorn_305q_showView::OnSelectCard(int card) {
    if (card < 0) return FALSE;
    if (m_bCardNotOpen) {
        m_control.CloseCard();
        const short result = m_control.InitCard(static_cast<short>(card));
        if (result != 0) {
            Trace(L"card %d not opened: InitCard %d", card, result);
            return FALSE;
        }
        Trace(L"card %d opened", card);
    }
    m_bCardNotOpen = 0;
    SelectAxis();
    return TRUE;
}

void CVorn_305q_showView::SelectAxis() {
    if (m_records.SelectAxis(m_nCard, m_nAxis)) TraceApplied(m_nCard, m_nAxis);
}

void CVorn_305q_showView::EnsureApplied(int card, int axis) {
    if (!m_bCardNotOpen && m_records.EnsureApplied(card, axis)) TraceApplied(card, axis);
}

void CVorn_305q_showView::LoadSettings() {
    const SettingsStart start = m_records.LoadSettings(SettingsPath());
    if (start.staleTempKept) Trace(L"settings: the old temporary file stays");
    if (start.load.error != ERROR_SUCCESS) {
        Trace(L"settings unreadable: error %lu", start.load.error);
        // Said once the main window is up, over it.
        PostMessageW(GetSafeHwnd(), kReportUnreadSettings, 0, 0);
        return;
    }
    Trace(L"settings loaded: %u records", static_cast<unsigned>(start.load.records));
}

void CVorn_305q_showView::ReportUnreadSettings() const {
    AfxMessageBox(TextOf(m_records.UnreadSettingsNotice(SettingsPath())));
}

void CVorn_305q_showView::OnSaveConfig() {
    const std::wstring path = SettingsPath();
    switch (m_records.SaveStart(path)) {
        case SettingsSaveStart::kNothingToSave:
            Trace(L"settings saved: no records, nothing written");
            return;
        case SettingsSaveStart::kAskFirst:
            if (AfxMessageBox(TextOf(m_records.ReplaceUnreadQuestion(path)),
                              MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
                Trace(L"settings not saved: the unread file is kept");
                return;
            }
            break;
        case SettingsSaveStart::kWrite:
            break;
    }
    const SettingsSave save = m_records.SaveSettings(path);
    const auto records = static_cast<unsigned>(m_records.ConfigRecordCount());
    if (!save.written) {
        Trace(L"settings saved: %u records, not written, error %lu", records, save.error);
        AfxMessageBox(TextOf(CViewRecords::SaveFailedNotice(path, save)));
        return;
    }
    Trace(L"settings saved: %u records written", records);
}

void CVorn_305q_showView::OnLoadDefaultConfig() {
    if (CardsAvailable() == 0) return;
    const AxisConfig* const record = m_records.LoadDefaultConfig(m_nCard, m_nAxis);
    Trace(L"defaults loaded: card=%d axis=%d", m_nCard, m_nAxis);
    if (m_bCardNotOpen) return;
    m_records.ApplyAxisConfig(record, m_nCard, m_nAxis);
    TraceApplied(m_nCard, m_nAxis);
    if (m_nPage == kConfigPage && ConfigPage() != nullptr) {
        ConfigPage()->LoadFromRecord();
        ConfigPage()->UpdateSummary();
    }
    m_records.SelectMotionParams(m_nCard, m_nAxis);
    if (m_nPage == kOneAxisPage && OneAxisPage() != nullptr) OneAxisPage()->RefreshParams();
}

void CVorn_305q_showView::OnInterruptVorn305qctrl(short axis, long lResult) {
    Trace(L"event FireInterrupt: axis=%d status=0x%06lx", axis,
          static_cast<unsigned long>(lResult));
    if (OneAxisPage() != nullptr) OneAxisPage()->ShowInterrupt(lResult, &m_control);
}

void CVorn_305q_showView::OnUpdatePageCommand(bool& enable) const {
    enable = CardsAvailable() == 1;
}

void CVorn_305q_showView::OnPageCommand(UINT id) {
    if (CardsAvailable() == 0) return;
    Trace(L"page command %u: card=%d axis=%d", id, m_nCard, m_nAxis);
    switch (id) {
        case ID_SAVECONFIG:
            OnSaveConfig();
            return;
        case ID_LOADDEFAULTCONFIG:
            OnLoadDefaultConfig();
            return;
        default:
            break;
    }
    const int page = id == ID_CONFIG ? kConfigPage : id == ID_ONEAXIS ? kOneAxisPage : kTwoAxisPage;
    CViewPage* const shown = Page(page);
    if (shown == nullptr) return;
    shown->SetCardAxis(m_nCard, m_nAxis);
    shown->ShowWindow(SW_SHOW);
    for (int other = kConfigPage; other <= kTwoAxisPage; ++other) {
        if (other != page && Page(other) != nullptr) Page(other)->ShowWindow(SW_HIDE);
    }
    m_nPage = page;
    CMainFrame* const frame = MainFrame();
    // The two-axis page has axis selectors of its own.
    if (frame != nullptr) frame->EnableAxisSelector(page != kTwoAxisPage);
    // A hidden page has given its focus away already; the axis selector just disabled, or
    // no focus at all in the active frame, leaves the keys nowhere: the shown page takes them.
    const HWND focus = GetFocus();
    if (frame != nullptr && GetActiveWindow() == frame->GetSafeHwnd() &&
        (focus == nullptr || !IsWindowEnabled(focus))) {
        SetFocus(shown->GetSafeHwnd());
    }
}

bool CVorn_305q_showView::OnUpdateCommand(UINT id, bool& enable) {
    if (!IsPageCommand(id)) return CFormView::OnUpdateCommand(id, enable);
    OnUpdatePageCommand(enable);
    return true;
}

bool CVorn_305q_showView::OnCommand(UINT id, UINT code, HWND control) {
    if (control != nullptr || code > 1) return CFormView::OnCommand(id, code, control);
    if (IsPageCommand(id)) {
        OnPageCommand(id);
        return true;
    }
    switch (id) {
        case ID_FILE_PRINT:
            OnFilePrint();
            return true;
        case ID_FILE_PRINT_DIRECT:
            OnFilePrintDirect();
            return true;
        case ID_FILE_PRINT_PREVIEW:
            OnFilePrintPreview();
            return true;
        default:
            return CFormView::OnCommand(id, code, control);
    }
}

BOOL CVorn_305q_showView::OnPreparePrinting(CPrintInfo* info) { return DoPreparePrinting(info); }

void CVorn_305q_showView::OnBeginPrinting(HDC, CPrintInfo*) {}

void CVorn_305q_showView::OnPrint(HDC, CPrintInfo*) {}

void CVorn_305q_showView::OnEndPrinting(HDC, CPrintInfo*) {}

void CVorn_305q_showView::OnDestroy() {
    // The card first, while the control still exists; then the events; then the control,
    // all before COM is shut down.
    if (m_control.GetControlUnknown() == nullptr) return;
    m_control.CloseCard();
    m_sink.Disconnect();
    Trace(L"event sink disconnected");
    m_control.DestroyWindow();
    Trace(L"control released");
}

LRESULT CVorn_305q_showView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kReportUnreadSettings) {
        ReportUnreadSettings();
        return 0;
    }
    if (msg == WM_DESTROY) OnDestroy();
    return CFormView::WindowProc(msg, wParam, lParam);
}
