// The standard controls as the program's classes derive from them: a static, an edit and
// a button, bound to a template's control by subclassing (DDX_Control).
#pragma once

#include <windows.h>

#include <string>

#include "wnd.h"

class CStatic : public CWnd {};

class CEdit : public CWnd {
public:
    // Start and end character positions of the selection (equal without one).
    void GetSel(int& start, int& end) const {
        DWORD first = 0;
        DWORD last = 0;
        SendMessageW(GetSafeHwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&first),
                     reinterpret_cast<LPARAM>(&last));
        start = static_cast<int>(first);
        end = static_cast<int>(last);
    }
    std::wstring GetText() const {
        const int length = GetWindowTextLengthW(GetSafeHwnd());
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(GetSafeHwnd(), text.data(), length + 1)));
        return text;
    }
};

class CButton : public CWnd {};
