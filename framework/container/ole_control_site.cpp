#include "ole_control_site.h"

#include <new>

namespace {

// HIMETRIC units (0.01 mm) of a length in screen pixels.
SIZEL PixelsToHimetric(LONG cx, LONG cy) {
    int dpiX = 96;
    int dpiY = 96;
    if (const HDC screen = GetDC(nullptr)) {
        dpiX = GetDeviceCaps(screen, LOGPIXELSX);
        dpiY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return SIZEL{MulDiv(cx, 2540, dpiX > 0 ? dpiX : 96), MulDiv(cy, 2540, dpiY > 0 ? dpiY : 96)};
}

}  // namespace

HRESULT COleControlSite::Create(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect,
                                HWND parent, UINT id, COleControlSite** site) {
    if (site == nullptr) return E_POINTER;
    *site = nullptr;
    if (parent == nullptr || !IsWindow(parent)) return E_INVALIDARG;
    COleControlSite* const created = new (std::nothrow) COleControlSite(parent, rect);
    if (created == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = created->Activate(clsid, windowName, style, id);
    if (FAILED(hr)) {
        created->Close();
        created->Release();
        return hr;
    }
    *site = created;
    return S_OK;
}

HRESULT COleControlSite::Activate(REFCLSID clsid, LPCWSTR windowName, DWORD style, UINT id) {
    HRESULT hr =
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, m_object.PutVoid());
    if (FAILED(hr)) return hr;

    // Some controls need their site before they can initialise themselves.
    DWORD misc = 0;
    if (FAILED(m_object->GetMiscStatus(DVASPECT_CONTENT, &misc))) misc = 0;
    const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst) {
        hr = m_object->SetClientSite(this);
        if (FAILED(hr)) return hr;
    }
    // A new control with no persisted state.
    CComRef<IPersistStreamInit> persist;
    if (SUCCEEDED(m_object->QueryInterface(IID_IPersistStreamInit, persist.PutVoid()))) {
        hr = persist->InitNew();
        if (FAILED(hr)) return hr;
    }
    if (!siteFirst) {
        hr = m_object->SetClientSite(this);
        if (FAILED(hr)) return hr;
    }
    if (m_rect.right > m_rect.left && m_rect.bottom > m_rect.top) {
        SIZEL extent = PixelsToHimetric(m_rect.right - m_rect.left, m_rect.bottom - m_rect.top);
        m_object->SetExtent(DVASPECT_CONTENT, &extent);  // the control may keep its own
    }

    hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_parent, &m_rect);
    if (FAILED(hr)) return hr;
    CComRef<IOleInPlaceObject> inPlace;
    hr = m_object->QueryInterface(IID_IOleInPlaceObject, inPlace.PutVoid());
    if (FAILED(hr)) return hr;
    HWND hwnd = nullptr;
    hr = inPlace->GetWindow(&hwnd);
    if (FAILED(hr)) return hr;
    if (hwnd == nullptr || GetParent(hwnd) != m_parent) return E_UNEXPECTED;
    m_hWnd = hwnd;

    SetWindowLongPtrW(m_hWnd, GWLP_ID, static_cast<LONG_PTR>(id));
    if (windowName != nullptr && *windowName != L'\0') SetWindowTextW(m_hWnd, windowName);
    ShowWindow(m_hWnd, (style & WS_VISIBLE) != 0 ? SW_SHOWNA : SW_HIDE);
    return S_OK;
}

HRESULT COleControlSite::LoadState(const BYTE* state, ULONG size) {
    if (!m_object) return E_UNEXPECTED;
    CComRef<IPersistStreamInit> persist;
    HRESULT hr = m_object->QueryInterface(IID_IPersistStreamInit, persist.PutVoid());
    if (FAILED(hr)) return hr;
    CComRef<IStream> stream;
    hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    if (FAILED(hr)) return hr;
    hr = stream->Write(state, size, nullptr);
    const LARGE_INTEGER start = {};
    if (SUCCEEDED(hr)) hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return SUCCEEDED(hr) ? persist->Load(stream.Get()) : hr;
}

void COleControlSite::Close() {
    if (!m_object) return;
    // The control destroys its window when it leaves the in-place state.
    const CComRef<IOleObject> object = m_object;
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    m_hWnd = nullptr;
    m_object.Reset();
}

// ---- IUnknown

STDMETHODIMP COleControlSite::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
        *ppv = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite)) {
        *ppv = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleControlSite)) {
        *ppv = static_cast<IOleControlSite*>(this);
    } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COleControlSite::AddRef() { return InterlockedIncrement(&m_refs); }

STDMETHODIMP_(ULONG) COleControlSite::Release() {
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return refs;
}

// ---- IOleClientSite: no storage, no monikers, no document

STDMETHODIMP COleControlSite::SaveObject() { return S_OK; }

STDMETHODIMP COleControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetContainer(IOleContainer** container) {
    if (container != nullptr) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP COleControlSite::ShowObject() { return S_OK; }

STDMETHODIMP COleControlSite::OnShowWindow(BOOL) { return S_OK; }

STDMETHODIMP COleControlSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// ---- IOleWindow, IOleInPlaceSite

STDMETHODIMP COleControlSite::GetWindow(HWND* hwnd) {
    if (hwnd == nullptr) return E_POINTER;
    *hwnd = m_parent;
    return S_OK;
}

STDMETHODIMP COleControlSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP COleControlSite::CanInPlaceActivate() { return S_OK; }

STDMETHODIMP COleControlSite::OnInPlaceActivate() { return S_OK; }

STDMETHODIMP COleControlSite::OnUIActivate() { return S_OK; }

STDMETHODIMP COleControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                               LPRECT posRect, LPRECT clipRect,
                                               LPOLEINPLACEFRAMEINFO frameInfo) {
    if (frame == nullptr || doc == nullptr || posRect == nullptr || clipRect == nullptr ||
        frameInfo == nullptr) {
        return E_POINTER;
    }
    *frame = nullptr;
    *doc = nullptr;
    *posRect = m_rect;
    *clipRect = m_rect;
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = GetAncestor(m_parent, GA_ROOT);
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP COleControlSite::Scroll(SIZE) { return E_NOTIMPL; }

STDMETHODIMP COleControlSite::OnUIDeactivate(BOOL) { return S_OK; }

STDMETHODIMP COleControlSite::OnInPlaceDeactivate() {
    m_hWnd = nullptr;
    return S_OK;
}

STDMETHODIMP COleControlSite::DiscardUndoState() { return S_OK; }

STDMETHODIMP COleControlSite::DeactivateAndUndo() { return S_OK; }

STDMETHODIMP COleControlSite::OnPosRectChange(LPCRECT posRect) {
    if (posRect == nullptr) return E_POINTER;
    m_rect = *posRect;
    CComRef<IOleInPlaceObject> inPlace;
    if (m_object && SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject, inPlace.PutVoid()))) {
        inPlace->SetObjectRects(&m_rect, &m_rect);
    }
    return S_OK;
}

// ---- IOleControlSite: no extender, no keyboard or focus handling

STDMETHODIMP COleControlSite::OnControlInfoChanged() { return S_OK; }

STDMETHODIMP COleControlSite::LockInPlaceActive(BOOL) { return S_OK; }

STDMETHODIMP COleControlSite::GetExtendedControl(IDispatch** extended) {
    if (extended != nullptr) *extended = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::TransformCoords(POINTL*, POINTF*, DWORD) { return E_NOTIMPL; }

STDMETHODIMP COleControlSite::TranslateAccelerator(MSG*, DWORD) { return S_FALSE; }

STDMETHODIMP COleControlSite::OnFocus(BOOL) { return S_OK; }

// The control shows its own property frame.
STDMETHODIMP COleControlSite::ShowPropertyFrame() { return E_NOTIMPL; }
