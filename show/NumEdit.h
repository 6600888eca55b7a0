// Edits that let through only the typed characters that can build a number, and a push
// button that tells its parent about presses and releases. Text that arrives otherwise
// (pasted, set by the owner) is not filtered: the owner's data exchange checks it.
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

// The press notification: wParam the sending object, lParam 0 press, 1 release.
constexpr UINT WM_MYBUTTON_PRESS = WM_USER + 10;

class CMyButton : public CButton {
public:
    ~CMyButton() override = default;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
