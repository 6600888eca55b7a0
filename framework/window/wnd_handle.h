// A window handle with the calls the program makes on windows it does not own: it never
// destroys or routes anything.
#pragma once

#include <windows.h>

#include <string>

class CWndHandle {
public:
    CWndHandle(HWND hwnd = nullptr) : m_hWnd(hwnd) {}  // NOLINT: a handle is a handle
    HWND Get() const { return m_hWnd; }
    explicit operator bool() const { return m_hWnd != nullptr; }

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(m_hWnd, msg, wParam, lParam);
    }
    CWndHandle Item(int id) const { return CWndHandle(GetDlgItem(m_hWnd, id)); }
    CWndHandle Parent() const { return CWndHandle(GetParent(m_hWnd)); }
    int Id() const { return GetDlgCtrlID(m_hWnd); }

    std::wstring Text() const {
        const int length = GetWindowTextLengthW(m_hWnd);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(m_hWnd, text.data(), length + 1)));
        return text;
    }
    void SetText(const std::wstring& text) const { SetWindowTextW(m_hWnd, text.c_str()); }

    bool IsEnabled() const { return IsWindowEnabled(m_hWnd) != FALSE; }
    void Enable(bool enable) const { EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    bool IsVisible() const { return IsWindowVisible(m_hWnd) != FALSE; }
    void Show(int cmdShow) const { ShowWindow(m_hWnd, cmdShow); }

    RECT ClientRect() const {
        RECT rect = {};
        GetClientRect(m_hWnd, &rect);
        return rect;
    }
    RECT WindowRect() const {
        RECT rect = {};
        GetWindowRect(m_hWnd, &rect);
        return rect;
    }
    // The window's rectangle in its parent's client coordinates.
    RECT RectInParent() const {
        RECT rect = WindowRect();
        MapWindowPoints(HWND_DESKTOP, GetParent(m_hWnd), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    void Move(const RECT& rect, bool repaint = true) const {
        MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   repaint ? TRUE : FALSE);
    }

    // A timer whose WM_TIMER carries id; it ends with the window or KillTimer.
    bool StartTimer(UINT_PTR id, UINT milliseconds) const {
        return SetTimer(m_hWnd, id, milliseconds, nullptr) != 0;
    }
    void StopTimer(UINT_PTR id) const { KillTimer(m_hWnd, id); }

private:
    HWND m_hWnd;
};
