#include "MotionPage.h"

#include "motion_ids.h"
#include "trace.h"
#include "wnd_handle.h"

namespace {

constexpr UINT kPollPeriodMs = 50;

}  // namespace

bool CMotionPage::ChangeCardAxis(int card, int axis) {
    if (!CViewPage::ChangeCardAxis(card, axis, m_pControl)) return false;
    UpdatePollTimer();
    return true;
}

bool CMotionPage::CanPoll() const {
    return m_bShown && m_pControl != nullptr && m_pHost != nullptr && m_pHost->IsCardOpen();
}

void CMotionPage::UpdatePollTimer() {
    const bool wanted = CanPoll();
    if (wanted == m_bPolling) return;
    const CWndHandle page(GetSafeHwnd());
    if (wanted) {
        if (!page.StartTimer(IDT_POLL, kPollPeriodMs)) {
            Trace(L"page %u: the poll timer could not be started", TemplateId());
            return;
        }
    } else {
        page.StopTimer(IDT_POLL);
    }
    m_bPolling = wanted;
    Trace(wanted ? L"page %u: poll on" : L"page %u: poll off", TemplateId());
}

LRESULT CMotionPage::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            // A tick already queued when the poll stopped.
            if (!m_bShown) return 0;
            OnTimer(wParam);
            return CDialog::WindowProc(msg, wParam, lParam);
        case WM_SHOWWINDOW: {
            const LRESULT result = CDialog::WindowProc(msg, wParam, lParam);
            m_bShown = wParam != 0 ? TRUE : FALSE;
            UpdatePollTimer();
            return result;
        }
        default:
            return CDialog::WindowProc(msg, wParam, lParam);
    }
}
