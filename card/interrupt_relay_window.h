// The relay window: a hidden message-only window on the thread that creates it. The
// card's interrupt thread sends it one message per axis that raised an interrupt
// (WM_INTERRUPT_X..U); the window hands each to a callback on its own thread, so
// interrupts reach the client on its user-interface thread, one at a time.
#pragma once

#include <windows.h>

class CInterruptRelayWindow {
public:
    // axis 0..3 for X..U; status the axis's status word (0..0xFFFF).
    typedef void (*Callback)(void* context, short axis, long status);

    CInterruptRelayWindow() = default;
    ~CInterruptRelayWindow();
    CInterruptRelayWindow(const CInterruptRelayWindow&) = delete;
    CInterruptRelayWindow& operator=(const CInterruptRelayWindow&) = delete;

    // Creates the window on the calling thread; false when it already exists or cannot
    // be created.
    bool Create(Callback callback, void* context);
    // Destroys the window; must run on the thread that created it.
    void Destroy();
    HWND GetSafeHwnd() const { return m_hWnd; }

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    Callback m_callback = nullptr;
    void* m_context = nullptr;
};
