#include "MotionPage.h"

#include "motion_ids.h"
#include "trace.h"
#include "wnd_handle.h"

namespace {

constexpr UINT kPollPeriodMs = 50;

}  // namespace

bool CMotionPage::ChangeCardAxis(int card, int axis) {
    if (card == m_nCard && axis == m_nAxis) {
        // The same pair is never retried: only a card opened since binds the page.
        if (m_pControl != nullptr || m_pHost == nullptr || !m_pHost->IsCardOpen()) return false;
    } else {
        m_nCard = card;
        m_nAxis = axis;
        ShowTitle();
    }
    if (m_pHost == nullptr || !m_pHost->OnSelectCard(m_nCard)) return false;
    m_pControl = &m_pHost->Control();
    m_pHost->SelectAxis();
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
