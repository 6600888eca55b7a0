#include "vorn_dialog.h"

#include "vorn_305q_ctrl.h"

namespace {

volatile LONG g_liveWindows = 0;

}  // namespace

CVornDialog::~CVornDialog() { DestroyWindow(); }

bool CVornDialog::Create() {
    if (!m_window.Create(&CVornDialog::OnRelay, this)) return false;
    InterlockedIncrement(&g_liveWindows);
    return true;
}

void CVornDialog::DestroyWindow() {
    if (m_window.GetSafeHwnd() == nullptr) return;
    m_window.Destroy();
    InterlockedDecrement(&g_liveWindows);
}

long CVornDialog::LiveWindows() { return InterlockedCompareExchange(&g_liveWindows, 0, 0); }

void CVornDialog::OnRelay(void* context, short axis, long status) {
    typedef LRESULT (CVornDialog::*Handler)(WPARAM, LPARAM);
    static constexpr Handler kHandlers[] = {&CVornDialog::OnInterruptX, &CVornDialog::OnInterruptY,
                                            &CVornDialog::OnInterruptZ, &CVornDialog::OnInterruptU};
    if (axis < 0 || axis > 3) return;
    CVornDialog* const self = static_cast<CVornDialog*>(context);
    // The handler may end in the control's destruction, this object included: nothing
    // may follow it. No exception may unwind through the window procedure.
    try {
        (self->*kHandlers[axis])(static_cast<WPARAM>(status), 0);
    } catch (...) {
        OutputDebugStringW(L"Vorn_305q: an interrupt event failed\n");
    }
}

LRESULT CVornDialog::OnInterruptX(WPARAM wParam, LPARAM) { return Fire(0, wParam); }

LRESULT CVornDialog::OnInterruptY(WPARAM wParam, LPARAM) { return Fire(1, wParam); }

LRESULT CVornDialog::OnInterruptZ(WPARAM wParam, LPARAM) { return Fire(2, wParam); }

LRESULT CVornDialog::OnInterruptU(WPARAM wParam, LPARAM) { return Fire(3, wParam); }

LRESULT CVornDialog::Fire(short axis, WPARAM wParam) {
    if (m_pCtrl != nullptr) {
        m_pCtrl->FireInterruptEvent(axis, static_cast<long>(wParam & 0xFFFF));
    }
    return 0;
}
