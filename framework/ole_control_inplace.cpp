// The control inside its container: the embedding object's side of the client site,
// its verbs and extent, in-place activation and the control's window.
#include "ole_control.h"

#include <new>
#include <utility>

#include "ole_module.h"
#include "window_class.h"

namespace {

constexpr wchar_t kWindowClass[] = L"VornOleControl";

// The one verb of a control: its property pages.
class CEnumVerbs final : public CComObjectBase<IEnumOLEVERB, &IID_IEnumOLEVERB> {
public:
    STDMETHODIMP Next(ULONG count, OLEVERB* verbs, ULONG* fetched) override {
        if (verbs == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
        ULONG n = 0;
        if (count > 0 && m_position == 0) {
            // The caller frees the name.
            LPOLESTR name = CoTaskMemStrDup(L"&Properties...");
            if (name == nullptr) return E_OUTOFMEMORY;
            verbs[0].lVerb = OLEIVERB_PROPERTIES;
            verbs[0].lpszVerbName = name;
            verbs[0].fuFlags = MF_ENABLED;
            verbs[0].grfAttribs = OLEVERBATTRIB_ONCONTAINERMENU;
            m_position = 1;
            n = 1;
        }
        if (fetched != nullptr) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        if (count == 0) return S_OK;
        const bool had = m_position == 0;
        m_position = 1;
        return had && count == 1 ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        m_position = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumOLEVERB** out) override {
        if (out == nullptr) return E_POINTER;
        CEnumVerbs* const clone = new (std::nothrow) CEnumVerbs();
        *out = clone;
        if (clone == nullptr) return E_OUTOFMEMORY;
        clone->m_position = m_position;
        return S_OK;
    }

private:
    ULONG m_position = 0;
};

// The window class of in-place windows, registered on first use.
bool EnsureWindowClass(WNDPROC proc) {
    WNDCLASSEXW wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = COleControlModule::Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    return RegisterWindowClassOnce(wc);
}

}  // namespace

// ---- IOleObject

STDMETHODIMP COleControlBase::SetClientSite(IOleClientSite* site) {
    if (site == m_site.Get()) return S_OK;
    if (site == nullptr) InPlaceDeactivate();
    CComRef<IOleClientSite> next(site);
    m_site.Reset();  // the old site goes before the new one is seen
    m_site = std::move(next);
    return S_OK;
}

STDMETHODIMP COleControlBase::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) return E_POINTER;
    m_site.CopyTo(site);
    return S_OK;
}

STDMETHODIMP COleControlBase::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP COleControlBase::Close(DWORD /*saveOption*/) {
    InPlaceDeactivate();
    if (m_adviseHolder) m_adviseHolder->SendOnClose();
    return S_OK;
}

STDMETHODIMP COleControlBase::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP COleControlBase::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP COleControlBase::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::DoVerb(LONG verb, LPMSG /*msg*/, IOleClientSite* activeSite,
                                     LONG /*index*/, HWND parent, LPCRECT posRect) {
    return GuardedCall([&]() -> HRESULT {
        switch (verb) {
            case OLEIVERB_PRIMARY:
            case OLEIVERB_SHOW:
            case OLEIVERB_INPLACEACTIVATE:
                return InPlaceActivate(activeSite, false, posRect);
            case OLEIVERB_UIACTIVATE:
                return InPlaceActivate(activeSite, true, posRect);
            case OLEIVERB_HIDE:
                UIDeactivate();
                if (m_hWnd != nullptr) ShowWindow(m_hWnd, SW_HIDE);
                return S_OK;
            case OLEIVERB_PROPERTIES:
                return ShowPropertyFrame(parent);
            default:
                return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
        }
    });
}

HRESULT COleControlBase::InPlaceActivate(IOleClientSite* activeSite, bool uiActivate,
                                         LPCRECT posRect) {
    if (m_hWnd == nullptr) {
        IOleClientSite* const site = activeSite != nullptr ? activeSite : m_site.Get();
        if (site == nullptr) return E_UNEXPECTED;
        CComRef<IOleInPlaceSite> inPlaceSite;
        HRESULT hr = site->QueryInterface(IID_IOleInPlaceSite, inPlaceSite.PutVoid());
        if (FAILED(hr)) return hr;
        if (inPlaceSite->CanInPlaceActivate() != S_OK) return E_FAIL;
        inPlaceSite->OnInPlaceActivate();

        HWND parent = nullptr;
        hr = inPlaceSite->GetWindow(&parent);
        if (FAILED(hr) || parent == nullptr) {
            inPlaceSite->OnInPlaceDeactivate();
            return FAILED(hr) ? hr : E_FAIL;
        }
        // Containers may offer no frame or document window.
        RECT pos = {};
        RECT clip = {};
        OLEINPLACEFRAMEINFO frameInfo = {};
        frameInfo.cb = sizeof(frameInfo);
        CComRef<IOleInPlaceFrame> frame;
        CComRef<IOleInPlaceUIWindow> doc;
        if (FAILED(
                inPlaceSite->GetWindowContext(frame.Put(), doc.Put(), &pos, &clip, &frameInfo)) &&
            posRect != nullptr) {
            pos = *posRect;
        }
        EnsureWindowClass(WindowProc);
        m_hWnd = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                 pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top,
                                 parent, nullptr, COleControlModule::Instance(), this);
        if (m_hWnd == nullptr) {
            const DWORD error = GetLastError();
            frame.Reset();
            doc.Reset();
            inPlaceSite->OnInPlaceDeactivate();
            return HRESULT_FROM_WIN32(error);
        }
        m_frame = std::move(frame);
        m_doc = std::move(doc);
        m_inPlaceSite = std::move(inPlaceSite);
    }
    if (uiActivate && !m_uiActive) {
        m_uiActive = true;
        m_inPlaceSite->OnUIActivate();
        IOleInPlaceActiveObject* const active = this;
        if (m_frame) m_frame->SetActiveObject(active, nullptr);
        if (m_doc) m_doc->SetActiveObject(active, nullptr);
    }
    ShowWindow(m_hWnd, SW_SHOW);
    return S_OK;
}

HRESULT COleControlBase::ShowPropertyFrame(HWND parent) {
    // A container may show the frame itself.
    if (m_site) {
        CComRef<IOleControlSite> controlSite;
        if (SUCCEEDED(m_site->QueryInterface(IID_IOleControlSite, controlSite.PutVoid())) &&
            controlSite->ShowPropertyFrame() == S_OK) {
            return S_OK;
        }
    }
    std::vector<CLSID> pages = GetPropPageIDs();
    const std::wstring caption = LoadResourceString(m_class.userTypeNameId);
    IUnknown* self = static_cast<IDispatch*>(this);
    return OleCreatePropertyFrame(parent, 0, 0, caption.c_str(), 1, &self,
                                  static_cast<ULONG>(pages.size()), pages.data(),
                                  LOCALE_USER_DEFAULT, 0, nullptr);
}

STDMETHODIMP COleControlBase::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs == nullptr) return E_POINTER;
    *verbs = new (std::nothrow) CEnumVerbs();
    return *verbs != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COleControlBase::Update() { return S_OK; }

STDMETHODIMP COleControlBase::IsUpToDate() { return S_OK; }

STDMETHODIMP COleControlBase::GetUserClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = *m_class.clsid;
    return S_OK;
}

STDMETHODIMP COleControlBase::GetUserType(DWORD /*form*/, LPOLESTR* userType) {
    if (userType == nullptr) return E_POINTER;
    *userType = nullptr;
    return GuardedCall([&] {
        *userType = CoTaskMemStrDup(LoadResourceString(m_class.userTypeNameId).c_str());
        return *userType != nullptr ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP COleControlBase::SetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (size->cx <= 0 || size->cy <= 0) return E_INVALIDARG;
    m_extent = *size;
    SendViewChange();
    return S_OK;
}

STDMETHODIMP COleControlBase::GetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = m_extent;
    return S_OK;
}

STDMETHODIMP COleControlBase::Advise(IAdviseSink* sink, DWORD* connection) {
    if (connection == nullptr) return E_POINTER;
    *connection = 0;
    const HRESULT hr = EnsureAdviseHolder();
    if (FAILED(hr)) return hr;
    return m_adviseHolder->Advise(sink, connection);
}

STDMETHODIMP COleControlBase::Unadvise(DWORD connection) {
    if (!m_adviseHolder) return OLE_E_NOCONNECTION;
    return m_adviseHolder->Unadvise(connection);
}

STDMETHODIMP COleControlBase::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise == nullptr) return E_POINTER;
    *advise = nullptr;
    // A container trusts S_OK: before any Advise it still gets an (empty) enumerator.
    const HRESULT hr = EnsureAdviseHolder();
    if (FAILED(hr)) return hr;
    return m_adviseHolder->EnumAdvise(advise);
}

HRESULT COleControlBase::EnsureAdviseHolder() {
    return m_adviseHolder ? S_OK : CreateOleAdviseHolder(m_adviseHolder.Put());
}

STDMETHODIMP COleControlBase::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (status == nullptr) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? m_class.miscStatus : 0;
    return S_OK;
}

STDMETHODIMP COleControlBase::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject

STDMETHODIMP COleControlBase::GetWindow(HWND* hwnd) {
    if (hwnd == nullptr) return E_POINTER;
    *hwnd = m_hWnd;
    return m_hWnd != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP COleControlBase::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP COleControlBase::InPlaceDeactivate() {
    if (m_hWnd == nullptr && !m_inPlaceSite) return S_OK;
    UIDeactivate();
    DestroyControlWindow();
    m_frame.Reset();
    m_doc.Reset();
    // The site hears of it after the control has let go of everything.
    if (const CComRef<IOleInPlaceSite> site = std::move(m_inPlaceSite)) {
        site->OnInPlaceDeactivate();
    }
    return S_OK;
}

STDMETHODIMP COleControlBase::UIDeactivate() {
    if (!m_uiActive) return S_OK;
    m_uiActive = false;
    if (m_frame) m_frame->SetActiveObject(nullptr, nullptr);
    if (m_doc) m_doc->SetActiveObject(nullptr, nullptr);
    if (m_inPlaceSite) m_inPlaceSite->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP COleControlBase::SetObjectRects(LPCRECT posRect, LPCRECT /*clipRect*/) {
    if (posRect == nullptr) return E_POINTER;
    if (m_hWnd != nullptr) {
        MoveWindow(m_hWnd, posRect->left, posRect->top, posRect->right - posRect->left,
                   posRect->bottom - posRect->top, TRUE);
    }
    return S_OK;
}

STDMETHODIMP COleControlBase::ReactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP COleControlBase::TranslateAccelerator(LPMSG) { return S_FALSE; }

STDMETHODIMP COleControlBase::OnFrameWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP COleControlBase::OnDocWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP COleControlBase::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }

STDMETHODIMP COleControlBase::EnableModeless(BOOL) { return S_OK; }

// ---- The control's window

void COleControlBase::DestroyControlWindow() {
    if (m_hWnd == nullptr) return;
    const HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    DestroyWindow(hwnd);
}

LRESULT CALLBACK COleControlBase::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTW* const create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    COleControlBase* const self =
        reinterpret_cast<COleControlBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // OnDraw paints every pixel
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC hdc = BeginPaint(hwnd, &ps);
            if (self != nullptr && hdc != nullptr) {
                RECT bounds;
                GetClientRect(hwnd, &bounds);
                self->OnDraw(hdc, bounds);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            if (self != nullptr && self->m_hWnd == hwnd) self->m_hWnd = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
