#include "interrupt_relay_window.h"

#include "motion_card.h"
#include "window_class.h"

namespace {

constexpr wchar_t kClassName[] = L"VornInterruptRelay";

}  // namespace

CInterruptRelayWindow::~CInterruptRelayWindow() { Destroy(); }

bool CInterruptRelayWindow::Create(Callback callback, void* context) {
    if (m_hWnd != nullptr) {
        return false;
    }
    m_callback = callback;
    m_context = context;
    // The class belongs to the module holding this code, which may be a program that
    // links the card statically.
    WNDCLASSEXW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = CodeModuleHandle();
    wc.lpszClassName = kClassName;
    if (RegisterWindowClassOnce(wc)) {
        m_hWnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 wc.hInstance, this);
    }
    return m_hWnd != nullptr;
}

void CInterruptRelayWindow::Destroy() {
    if (m_hWnd == nullptr) {
        return;
    }
    DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

LRESULT CALLBACK CInterruptRelayWindow::WindowProc(HWND hWnd, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTW* const create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message >= WM_INTERRUPT_X && message <= WM_INTERRUPT_U) {
        const CInterruptRelayWindow* const self =
            reinterpret_cast<CInterruptRelayWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (self != nullptr && self->m_callback != nullptr) {
            self->m_callback(self->m_context, static_cast<short>(message - WM_INTERRUPT_X),
                             static_cast<long>(wParam & 0xFFFF));
        }
        return 0;
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}
