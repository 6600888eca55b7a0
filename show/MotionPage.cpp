#include "MotionPage.h"

#include "Vorn_305q_showView.h"

CVorn_305q_showView* CMotionPage::View() const {
    return dynamic_cast<CVorn_305q_showView*>(CWnd::FromHandle(GetParent(GetSafeHwnd())));
}

LRESULT CMotionPage::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (!m_bShown) return 0;
            OnTimer(wParam);
            return CDialog::WindowProc(msg, wParam, lParam);
        case WM_SHOWWINDOW: {
            const LRESULT result = CDialog::WindowProc(msg, wParam, lParam);
            m_bShown = wParam != 0 ? TRUE : FALSE;
            return result;
        }
        default:
            return CDialog::WindowProc(msg, wParam, lParam);
    }
}
