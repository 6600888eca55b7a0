// A window of the program routed to a C++ object.
//
// A window this object creates through a class whose procedure is StandardWndProc, or an
// existing window it subclasses, sends its messages to the virtual WindowProc; the
// binding ends at WM_NCDESTROY (a subclassed window gets its old procedure back). Attach
// only wraps a handle: no messages, no ownership. Hosting an ActiveX control is the
// container library's CControlWnd, derived from this class.
#pragma once

#include <windows.h>

struct CCreateContext;

class CWnd {
public:
    CWnd();
    // Destroys the window this object created or subclassed; a window only attached is
    // left to its owner.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    // The object routing hwnd's messages, or null.
    static CWnd* FromHandle(HWND hwnd);

    // Creates a window of a registered window class, a child of parent with WS_CHILD
    // (the creation context is for views and frames; nothing here uses it).
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, CCreateContext* context = nullptr);
    // Creates a window; a class registered with StandardWndProc routes every message
    // from the first one to WindowProc. menuOrId: a child's identifier.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                  int cx, int cy, HWND parent, HMENU menuOrId);
    // Wraps hwnd without routing or owning it.
    BOOL Attach(HWND hwnd);
    HWND Detach();
    // Routes hwnd's messages through WindowProc, the old procedure doing the defaults.
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    // Gives the window its old procedure back; null if this object subclassed nothing.
    HWND UnsubclassWindow();

    // Destroys the window this object created or subclassed and ends any binding.
    virtual BOOL DestroyWindow();
    BOOL ShowWindow(int cmdShow) const;
    int GetDlgCtrlID() const;

    // Keyboard and mouse messages of the thread's loop, before they are dispatched;
    // TRUE when handled.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Procedure of the window classes whose windows route to their objects.
    static LRESULT CALLBACK StandardWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    // Every message of a routed window; the default passes it to DefWindowProc.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // What the window would do without this object.
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // The message being handled, passed on to DefWindowProc.
    LRESULT Default();
    // After WM_NCDESTROY, once the binding has ended.
    virtual void PostNcDestroy() {}

    // Makes this object the routing target of hwnd (dialogs bind at WM_INITDIALOG).
    void Bind(HWND hwnd, WNDPROC previous);
    // Runs WindowProc for one message and ends the binding after WM_NCDESTROY.
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void Release();
    void Unbind();

    HWND m_hWnd = nullptr;
    bool m_ownsWindow = false;
    bool m_routed = false;
    WNDPROC m_oldProc = nullptr;  // a subclassed window's own procedure
    struct CurrentMessage {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    } m_current = {};
};
