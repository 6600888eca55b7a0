#include "wnd.h"

#include <unordered_map>

namespace {

// The window property that leads from a routed window to its object.
constexpr wchar_t kObjectProperty[] = L"VornCWnd";

// The same in the process: every message of a routed window looks its object up, and a
// window property is a round trip to the Wine server each time. Once the map has gone with
// the process's statics, the property alone answers.
class CRoutes {
public:
    CRoutes() = default;
    ~CRoutes() { s_ended = true; }
    CRoutes(const CRoutes&) = delete;
    CRoutes& operator=(const CRoutes&) = delete;

    // Made at the first use; null once destroyed.
    static CRoutes* Get() {
        if (s_ended) return nullptr;
        static CRoutes routes;
        return &routes;
    }
    void Set(HWND hwnd, CWnd* object) {
        AcquireSRWLockExclusive(&m_lock);
        if (object != nullptr) {
            m_objects[hwnd] = object;
        } else {
            m_objects.erase(hwnd);
        }
        ReleaseSRWLockExclusive(&m_lock);
    }
    CWnd* Find(HWND hwnd) {
        AcquireSRWLockShared(&m_lock);
        const auto found = m_objects.find(hwnd);
        CWnd* const object = found != m_objects.end() ? found->second : nullptr;
        ReleaseSRWLockShared(&m_lock);
        return object;
    }

private:
    static inline bool s_ended = false;
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::unordered_map<HWND, CWnd*> m_objects;
};

// The object whose window CreateEx is creating on this thread: its first message binds it.
thread_local CWnd* t_creating = nullptr;

}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() { Release(); }

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (hwnd == nullptr) return nullptr;
    if (CRoutes* const routes = CRoutes::Get()) return routes->Find(hwnd);
    return static_cast<CWnd*>(GetPropW(hwnd, kObjectProperty));
}

void CWnd::Release() {
    if (m_hWnd != nullptr && IsWindow(m_hWnd)) {
        const HWND hwnd = m_hWnd;
        const bool owns = m_ownsWindow;
        // The derived class's WindowProc is gone: the last messages take the defaults.
        if (m_routed && m_oldProc != nullptr) UnsubclassWindow();
        if (m_routed) Unbind();
        if (owns) ::DestroyWindow(hwnd);
    }
    if (m_routed) Unbind();
    m_hWnd = nullptr;
    m_ownsWindow = false;
}

void CWnd::Bind(HWND hwnd, WNDPROC previous) {
    m_hWnd = hwnd;
    m_oldProc = previous;
    m_routed = true;
    SetPropW(hwnd, kObjectProperty, this);
    if (CRoutes* const routes = CRoutes::Get()) routes->Set(hwnd, this);
}

void CWnd::Unbind() {
    if (m_hWnd != nullptr) {
        RemovePropW(m_hWnd, kObjectProperty);
        if (CRoutes* const routes = CRoutes::Get()) routes->Set(m_hWnd, nullptr);
    }
    m_routed = false;
    m_oldProc = nullptr;
}

LRESULT CALLBACK CWnd::StandardWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* object = FromHandle(hwnd);
    if (object == nullptr && t_creating != nullptr) {
        object = t_creating;
        t_creating = nullptr;
        object->Bind(hwnd, nullptr);
    }
    if (object == nullptr) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    return object->Dispatch(msg, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage saved = m_current;
    m_current = {msg, wParam, lParam};
    const LRESULT result = WindowProc(msg, wParam, lParam);
    m_current = saved;
    if (msg == WM_NCDESTROY && m_routed) {
        const HWND hwnd = m_hWnd;
        if (m_oldProc != nullptr &&
            GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(StandardWndProc)) {
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
        }
        Unbind();
        m_hWnd = nullptr;
        m_ownsWindow = false;
        PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_oldProc != nullptr) return CallWindowProcW(m_oldProc, m_hWnd, msg, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.msg, m_current.wParam, m_current.lParam); }

BOOL CWnd::PreTranslateMessage(MSG* /*msg*/) { return FALSE; }

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, CCreateContext* /*context*/) {
    const HWND parentHwnd = parent != nullptr ? parent->GetSafeHwnd() : nullptr;
    // Only a child window has a control identifier in place of a menu.
    const HMENU menuOrId =
        (style & WS_CHILD) != 0 ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    return CreateEx(0, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parentHwnd, menuOrId);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                    int cx, int cy, HWND parent, HMENU menuOrId) {
    if (m_hWnd != nullptr) return FALSE;
    CWnd* const outer = t_creating;
    t_creating = this;
    const HWND hwnd = CreateWindowExW(exStyle, className, windowName, style, x, y, cx, cy, parent,
                                      menuOrId, GetModuleHandleW(nullptr), nullptr);
    t_creating = outer;
    // A routed window that failed in WM_CREATE is already unbound.
    m_hWnd = hwnd;
    m_ownsWindow = hwnd != nullptr;
    return hwnd != nullptr;
}

BOOL CWnd::Attach(HWND hwnd) {
    if (hwnd == nullptr || m_hWnd != nullptr) return FALSE;
    m_hWnd = hwnd;
    m_ownsWindow = false;
    return TRUE;
}

HWND CWnd::Detach() {
    if (m_routed) return UnsubclassWindow();
    const HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    m_ownsWindow = false;
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (hwnd == nullptr || !IsWindow(hwnd) || m_hWnd != nullptr || FromHandle(hwnd) != nullptr) {
        return FALSE;
    }
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StandardWndProc)));
    if (previous == nullptr) return FALSE;
    Bind(hwnd, previous);
    m_ownsWindow = false;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    return parent != nullptr && SubclassWindow(GetDlgItem(parent->GetSafeHwnd(), id));
}

HWND CWnd::UnsubclassWindow() {
    if (!m_routed || m_oldProc == nullptr) return nullptr;
    const HWND hwnd = m_hWnd;
    if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(StandardWndProc)) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    }
    Unbind();
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) return FALSE;
    if (m_routed && IsWindow(m_hWnd)) {
        // Routed to the end: the window's WM_DESTROY reaches this object's handlers.
        ::DestroyWindow(m_hWnd);
        if (m_hWnd == nullptr) return TRUE;
    }
    Release();
    return TRUE;
}

BOOL CWnd::ShowWindow(int cmdShow) const {
    return m_hWnd != nullptr ? ::ShowWindow(m_hWnd, cmdShow) : FALSE;
}

int CWnd::GetDlgCtrlID() const { return m_hWnd != nullptr ? ::GetDlgCtrlID(m_hWnd) : 0; }
