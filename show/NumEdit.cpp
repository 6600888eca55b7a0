#include "NumEdit.h"

#include <string>

namespace {

bool IsDigitOrBackspace(WPARAM c) { return (c >= L'0' && c <= L'9') || c == 8; }

}  // namespace

LRESULT CFloatEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_CHAR) return CEdit::WindowProc(msg, wParam, lParam);
    bool through = IsDigitOrBackspace(wParam);
    // A selected point is still a point: the second one is refused either way.
    if (wParam == L'.') through = GetText().find(L'.') == std::wstring::npos;
    return through ? Default() : 0;
}

LRESULT CLongEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_CHAR) return CEdit::WindowProc(msg, wParam, lParam);
    int start = 0;
    int end = 0;
    GetSel(start, end);
    bool through = IsDigitOrBackspace(wParam);
    if (wParam == L'-') {
        const bool replacesFromStart = start == 0 && end > start;
        if (GetText().find(L'-') == 0) {
            through = replacesFromStart;
        } else {
            // The caret before the first character, by position: its pixel place varies.
            const bool caretInFront = start == 0 && end == 0;
            through = caretInFront || replacesFromStart;
        }
    }
    return through ? Default() : 0;
}

LRESULT CMyButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP) {
        SendMessageW(GetParent(GetSafeHwnd()), WM_MYBUTTON_PRESS, reinterpret_cast<WPARAM>(this),
                     msg == WM_LBUTTONDOWN ? 0 : 1);
    }
    return CButton::WindowProc(msg, wParam, lParam);
}
