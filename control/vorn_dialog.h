// The hidden relay window of a control. The card's interrupt thread sends it one
// message per axis that raised an interrupt; its handlers fire the control's
// FireInterrupt on the thread that created the window (the control's thread). It is a
// message-only window: it needs no display, never shows and gets no broadcasts.
#pragma once

#include <windows.h>

#include "interrupt_relay_window.h"

class CVorn_305qCtrl;

class CVornDialog {
public:
    CVornDialog() = default;
    ~CVornDialog();
    CVornDialog(const CVornDialog&) = delete;
    CVornDialog& operator=(const CVornDialog&) = delete;

    // Creates the window on the calling thread; false when it exists or cannot be made.
    bool Create();
    // Must run on the thread that created the window.
    void DestroyWindow();
    // The control whose event the handlers fire; null drops the messages.
    void SetControl(CVorn_305qCtrl* control) { m_pCtrl = control; }
    HWND GetSafeHwnd() const { return m_window.GetSafeHwnd(); }

    // Relay windows alive in the process (the module must not unload then).
    static long LiveWindows();

private:
    static void OnRelay(void* context, short axis, long status);
    LRESULT OnInterruptX(WPARAM wParam, LPARAM lParam);
    LRESULT OnInterruptY(WPARAM wParam, LPARAM lParam);
    LRESULT OnInterruptZ(WPARAM wParam, LPARAM lParam);
    LRESULT OnInterruptU(WPARAM wParam, LPARAM lParam);
    LRESULT Fire(short axis, WPARAM wParam);

    CInterruptRelayWindow m_window;
    CVorn_305qCtrl* m_pCtrl = nullptr;
};
