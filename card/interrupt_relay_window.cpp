#include "interrupt_relay_window.h"

#include "motion_card.h"

namespace {

constexpr wchar_t kClassName[] = L"VornInterruptRelay";

// Registration and unregistration of the class race between threads creating and
// destroying relay windows.
SRWLOCK g_classLock = SRWLOCK_INIT;

// The module that holds this code (the control DLL, or the program it is linked into):
// the class must belong to it, so it can be unregistered before the module unloads.
HINSTANCE CodeModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&CodeModule), &module);
    return module;
}

bool RegisterRelayClass(HINSTANCE instance, WNDPROC proc) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

CInterruptRelayWindow::~CInterruptRelayWindow() { Destroy(); }

bool CInterruptRelayWindow::Create(Callback callback, void* context) {
    if (m_hWnd != nullptr) {
        return false;
    }
    m_callback = callback;
    m_context = context;
    const HINSTANCE instance = CodeModule();
    AcquireSRWLockExclusive(&g_classLock);
    if (RegisterRelayClass(instance, WindowProc)) {
        m_hWnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                                 this);
    }
    ReleaseSRWLockExclusive(&g_classLock);
    return m_hWnd != nullptr;
}

void CInterruptRelayWindow::Destroy() {
    if (m_hWnd == nullptr) {
        return;
    }
    AcquireSRWLockExclusive(&g_classLock);
    DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    // Fails while another relay window of the class exists; the last one removes it.
    UnregisterClassW(kClassName, CodeModule());
    ReleaseSRWLockExclusive(&g_classLock);
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
