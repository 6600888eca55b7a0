// Keys in the motion pages and panels: the frame's accelerators come before the dialog's
// own key handling, which would otherwise eat them while an edit of a page has the focus.
#pragma once

#include "dialog.h"
#include "frame_wnd.h"

inline BOOL PageKeysPreTranslate(CDialog& page, MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
    for (HWND hwnd = GetParent(page.GetSafeHwnd()); hwnd != nullptr; hwnd = GetParent(hwnd)) {
        auto* const view = dynamic_cast<CFormView*>(CWnd::FromHandle(hwnd));
        if (view == nullptr) continue;
        CFrameWnd* const frame = view->GetParentFrame();
        if (frame != nullptr && frame->PreTranslateMessage(msg)) return TRUE;
        break;
    }
    return IsDialogMessageW(page.GetSafeHwnd(), msg);
}
