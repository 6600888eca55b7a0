// What the two motion pages share: a page of the view, bound to the view's control once the
// card is open, that polls the card on a timer which runs only while the page is shown and
// bound, and reaches the view through its host.
#pragma once

#include "PageHost.h"

class CVorn_305q;

class CMotionPage : public CViewPage {
public:
    CMotionPage(UINT templateId, IPageHost* host) : CViewPage(templateId, host) {}

    BOOL m_bShown = FALSE;  // from WM_SHOWWINDOW

protected:
    // The view's pair, bound as every page binds; then polls while shown.
    bool ChangeCardAxis(int card, int axis);
    // A timer tick while the page can poll.
    virtual void OnTimer(UINT_PTR id) = 0;
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The view's wrapper once a card opening succeeded for the page; never unbound.
    CVorn_305q* m_pControl = nullptr;

private:
    bool CanPoll() const;
    // Starts or stops the poll as the page can poll now: shown, bound and the card open.
    void UpdatePollTimer();

    bool m_bPolling = false;
};
