// Edits that let in only the characters that can build a number, and a push button that
// tells its parent about presses and releases. A paste (WM_PASTE, the context menu's,
// Ctrl+V, Shift+Insert) inserts only what typing its characters would; text the owner sets
// is not filtered: the owner's data exchange checks it.
#pragma once

#include <windows.h>

#include "controls.h"

// Digits, one decimal point, backspace: an unsigned decimal number.
class CFloatEdit : public CEdit {
public:
    ~CFloatEdit() override = default;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// Digits, backspace, and a minus sign only in front: a signed integer.
class CLongEdit : public CEdit {
public:
    ~CLongEdit() override = default;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// An edit of the platform's digits-only style, which filters typed characters itself but
// not pasted ones.
class CDigitsEdit : public CEdit {
public:
    ~CDigitsEdit() override = default;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// The press notification: wParam the sending object, lParam 0 press, 1 release.
constexpr UINT WM_MYBUTTON_PRESS = WM_USER + 10;

class CMyButton : public CButton {
public:
    ~CMyButton() override = default;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
