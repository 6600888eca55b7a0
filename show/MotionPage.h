// What the two motion pages share: a page of the view that polls the card on a timer only
// while it is shown, and reaches the view as its parent.
#pragma once

#include "dialog.h"

class CVorn_305q_showView;

class CMotionPage : public CDialog {
public:
    explicit CMotionPage(UINT templateId) : CDialog(templateId) {}

    BOOL m_bShown = FALSE;  // from WM_SHOWWINDOW: the timer keeps firing while hidden

protected:
    CVorn_305q_showView* View() const;
    // A timer tick while the page is shown.
    virtual void OnTimer(UINT_PTR id) = 0;
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
