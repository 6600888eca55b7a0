#include "ole_control.h"

#include "window_class.h"

#include <cstring>
#include <new>

#include "com_object.h"
#include "com_ptr.h"
#include "ole_module.h"

namespace {

constexpr wchar_t kWindowClass[] = L"VornOleControl";

// 100 by 50 pixels at 96 dots per inch.
constexpr LONG kDefaultCx = 2646;
constexpr LONG kDefaultCy = 1323;

template <typename T>
void ReleaseAndClear(T*& p) {
    if (T* const old = p) {
        p = nullptr;
        old->Release();
    }
}

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

const SIZEL COleControlBase::kDefaultExtent = {kDefaultCx, kDefaultCy};

std::wstring LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW returns a read-only pointer into the resource.
    const int length =
        LoadStringW(COleControlModule::Instance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}

LPOLESTR CoTaskMemStrDup(const wchar_t* text) {
    const size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    LPOLESTR copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (copy != nullptr) std::memcpy(copy, text, bytes);
    return copy;
}

COleControlBase::COleControlBase(const COleControlClass& controlClass)
    : m_class(controlClass),
      m_eventPoint(static_cast<IDispatch*>(this), this, *controlClass.eventIid) {
    m_class.typeLibCache->Lock();
    COleControlModule::ObjectCreated();
}

COleControlBase::~COleControlBase() {
    DestroyControlWindow();
    ReleaseAndClear(m_frame);
    ReleaseAndClear(m_doc);
    ReleaseAndClear(m_inPlaceSite);
    ReleaseAndClear(m_viewSink);
    ReleaseAndClear(m_adviseHolder);
    ReleaseAndClear(m_site);
    m_class.typeLibCache->Unlock();
    COleControlModule::ObjectDestroyed();
}

// ---- IUnknown

STDMETHODIMP COleControlBase::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    void* p = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, *m_class.dispatchIid)) {
        p = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
        p = static_cast<IConnectionPointContainer*>(this);
    } else if (IsEqualIID(riid, IID_IProvideClassInfo) ||
               IsEqualIID(riid, IID_IProvideClassInfo2)) {
        p = static_cast<IProvideClassInfo2*>(this);
    } else if (IsEqualIID(riid, IID_IOleObject)) {
        p = static_cast<IOleObject*>(this);
    } else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject)) {
        p = static_cast<IOleInPlaceObject*>(this);
    } else if (IsEqualIID(riid, IID_IOleInPlaceActiveObject)) {
        p = static_cast<IOleInPlaceActiveObject*>(this);
    } else if (IsEqualIID(riid, IID_IOleControl)) {
        p = static_cast<IOleControl*>(this);
    } else if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStreamInit)) {
        p = static_cast<IPersistStreamInit*>(this);
    } else if (IsEqualIID(riid, IID_IViewObject) || IsEqualIID(riid, IID_IViewObject2)) {
        p = static_cast<IViewObject2*>(this);
    } else if (IsEqualIID(riid, IID_ISpecifyPropertyPages)) {
        p = static_cast<ISpecifyPropertyPages*>(this);
    }
    *ppv = p;
    if (p == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COleControlBase::AddRef() { return InterlockedIncrement(&m_refs); }

STDMETHODIMP_(ULONG) COleControlBase::Release() {
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0) {
        // Destruction closes the card and waits while delivering sent messages: a
        // reference taken and dropped meanwhile must not start a second destruction.
        InterlockedExchange(&m_refs, 1);
        delete this;
    }
    return refs;
}

// ---- IDispatch

STDMETHODIMP COleControlBase::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP COleControlBase::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    CComRef<ITypeLib> typeLib;
    const HRESULT hr = GetTypeLib(lcid, typeLib.Put());
    if (FAILED(hr)) return hr;
    return typeLib->GetTypeInfoOfGuid(*m_class.dispatchIid, info);
}

STDMETHODIMP COleControlBase::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID /*lcid*/,
                                            DISPID* ids) {
    return m_class.dispatchMap->GetIDsOfNames(riid, names, count, ids);
}

STDMETHODIMP COleControlBase::Invoke(DISPID dispid, REFIID riid, LCID /*lcid*/, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* /*excepInfo*/,
                                     UINT* argErr) {
    // A method may run a modal loop in which event sinks release the caller's reference.
    AddRef();
    const HRESULT hr = GuardedCall([&] {
        return m_class.dispatchMap->Invoke(GetDispatchTarget(), dispid, riid, flags, params, result,
                                           argErr);
    });
    Release();
    return hr;
}

// ---- Events

STDMETHODIMP COleControlBase::EnumConnectionPoints(IEnumConnectionPoints** points) {
    IConnectionPoint* const list[] = {&m_eventPoint};
    return CreateConnectionPointEnumerator(static_cast<IDispatch*>(this), list, 1, points);
}

STDMETHODIMP COleControlBase::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(riid, *m_class.eventIid)) return CONNECT_E_NOCONNECTION;
    *point = &m_eventPoint;
    m_eventPoint.AddRef();
    return S_OK;
}

void COleControlBase::FireEventV(DISPID dispid, VARIANT* rgvarg, UINT count) {
    if (m_freezeEvents > 0) return;
    if (!m_class.eventMap->Matches(dispid, rgvarg, count)) {
        OutputDebugStringW(L"COleControlBase: event not in the event map, not fired\n");
        return;
    }
    AddRef();
    m_eventPoint.Fire(dispid, rgvarg, count);
    Release();  // may destroy this object: nothing may follow
}

// ---- IProvideClassInfo2

STDMETHODIMP COleControlBase::GetClassInfo(ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    CComRef<ITypeLib> typeLib;
    const HRESULT hr = GetTypeLib(LOCALE_SYSTEM_DEFAULT, typeLib.Put());
    if (FAILED(hr)) return hr;
    return typeLib->GetTypeInfoOfGuid(*m_class.clsid, info);
}

STDMETHODIMP COleControlBase::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = *m_class.eventIid;
    return S_OK;
}

HRESULT COleControlBase::GetTypeLib(LCID lcid, ITypeLib** typeLib) {
    return m_class.typeLibCache->Get(lcid, typeLib);
}

// ---- IOleObject

STDMETHODIMP COleControlBase::SetClientSite(IOleClientSite* site) {
    if (site == m_site) return S_OK;
    if (site == nullptr) InPlaceDeactivate();
    if (site != nullptr) site->AddRef();
    ReleaseAndClear(m_site);
    m_site = site;
    return S_OK;
}

STDMETHODIMP COleControlBase::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) return E_POINTER;
    *site = m_site;
    if (m_site != nullptr) m_site->AddRef();
    return S_OK;
}

STDMETHODIMP COleControlBase::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP COleControlBase::Close(DWORD /*saveOption*/) {
    InPlaceDeactivate();
    if (m_adviseHolder != nullptr) m_adviseHolder->SendOnClose();
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
        IOleClientSite* const site = activeSite != nullptr ? activeSite : m_site;
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
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* doc = nullptr;
        if (FAILED(inPlaceSite->GetWindowContext(&frame, &doc, &pos, &clip, &frameInfo)) &&
            posRect != nullptr) {
            pos = *posRect;
        }
        EnsureWindowClass(WindowProc);
        m_hWnd = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                 pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top,
                                 parent, nullptr, COleControlModule::Instance(), this);
        if (m_hWnd == nullptr) {
            if (frame != nullptr) frame->Release();
            if (doc != nullptr) doc->Release();
            inPlaceSite->OnInPlaceDeactivate();
            return HRESULT_FROM_WIN32(GetLastError());
        }
        m_frame = frame;
        m_doc = doc;
        m_inPlaceSite = inPlaceSite.Detach();
    }
    if (uiActivate && !m_uiActive) {
        m_uiActive = true;
        m_inPlaceSite->OnUIActivate();
        IOleInPlaceActiveObject* const active = this;
        if (m_frame != nullptr) m_frame->SetActiveObject(active, nullptr);
        if (m_doc != nullptr) m_doc->SetActiveObject(active, nullptr);
    }
    ShowWindow(m_hWnd, SW_SHOW);
    return S_OK;
}

HRESULT COleControlBase::ShowPropertyFrame(HWND parent) {
    // A container may show the frame itself.
    if (m_site != nullptr) {
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
    if (m_adviseHolder == nullptr) {
        const HRESULT hr = CreateOleAdviseHolder(&m_adviseHolder);
        if (FAILED(hr)) return hr;
    }
    return m_adviseHolder->Advise(sink, connection);
}

STDMETHODIMP COleControlBase::Unadvise(DWORD connection) {
    if (m_adviseHolder == nullptr) return OLE_E_NOCONNECTION;
    return m_adviseHolder->Unadvise(connection);
}

STDMETHODIMP COleControlBase::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise == nullptr) return E_POINTER;
    *advise = nullptr;
    if (m_adviseHolder == nullptr) return S_OK;
    return m_adviseHolder->EnumAdvise(advise);
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
    if (m_hWnd == nullptr && m_inPlaceSite == nullptr) return S_OK;
    UIDeactivate();
    DestroyControlWindow();
    ReleaseAndClear(m_frame);
    ReleaseAndClear(m_doc);
    if (m_inPlaceSite != nullptr) {
        IOleInPlaceSite* const site = m_inPlaceSite;
        m_inPlaceSite = nullptr;
        site->OnInPlaceDeactivate();
        site->Release();
    }
    return S_OK;
}

STDMETHODIMP COleControlBase::UIDeactivate() {
    if (!m_uiActive) return S_OK;
    m_uiActive = false;
    if (m_frame != nullptr) m_frame->SetActiveObject(nullptr, nullptr);
    if (m_doc != nullptr) m_doc->SetActiveObject(nullptr, nullptr);
    if (m_inPlaceSite != nullptr) m_inPlaceSite->OnUIDeactivate(FALSE);
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

// ---- IOleControl

STDMETHODIMP COleControlBase::GetControlInfo(CONTROLINFO* info) {
    if (info == nullptr) return E_POINTER;
    info->cb = sizeof(CONTROLINFO);
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP COleControlBase::OnMnemonic(MSG*) { return S_OK; }

STDMETHODIMP COleControlBase::OnAmbientPropertyChange(DISPID) { return S_OK; }

STDMETHODIMP COleControlBase::FreezeEvents(BOOL freeze) {
    if (freeze) {
        ++m_freezeEvents;
    } else if (m_freezeEvents > 0) {
        --m_freezeEvents;
    }
    return S_OK;
}

// ---- IPersistStreamInit

STDMETHODIMP COleControlBase::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = *m_class.clsid;
    return S_OK;
}

STDMETHODIMP COleControlBase::IsDirty() { return S_FALSE; }

STDMETHODIMP COleControlBase::Load(LPSTREAM stream) {
    if (stream == nullptr) return E_POINTER;
    return GuardedCall([&] {
        CPropExchange px(CPropExchange::Mode::Load, stream);
        return DoPropExchange(px);
    });
}

STDMETHODIMP COleControlBase::Save(LPSTREAM stream, BOOL /*clearDirty*/) {
    if (stream == nullptr) return E_POINTER;
    return GuardedCall([&] {
        CPropExchange px(CPropExchange::Mode::Save, stream);
        return DoPropExchange(px);
    });
}

STDMETHODIMP COleControlBase::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) return E_POINTER;
    return GuardedCall([&] {
        CPropExchange px(CPropExchange::Mode::Measure, nullptr);
        const HRESULT hr = DoPropExchange(px);
        if (FAILED(hr)) return hr;
        size->QuadPart = px.Bytes();
        return S_OK;
    });
}

STDMETHODIMP COleControlBase::InitNew() {
    OnResetState();
    return S_OK;
}

HRESULT COleControlBase::DoPropExchange(CPropExchange& px) {
    LONG cx = m_extent.cx;
    LONG cy = m_extent.cy;
    DWORD stockProps = 0;  // no stock properties
    HRESULT hr = px.ExchangeLong(cx);
    if (SUCCEEDED(hr)) hr = px.ExchangeLong(cy);
    if (SUCCEEDED(hr)) hr = px.ExchangeDword(stockProps);
    if (FAILED(hr)) return hr;
    // Nothing is applied before the whole state has been read; a nonsense extent
    // leaves the current one.
    if (px.IsLoading() && cx > 0 && cy > 0) {
        m_extent.cx = cx;
        m_extent.cy = cy;
    }
    return S_OK;
}

void COleControlBase::OnResetState() { m_extent = kDefaultExtent; }

void COleControlBase::OnDraw(HDC, const RECT&) {}

const std::vector<CLSID>& COleControlBase::GetPropPageIDs() {
    static const std::vector<CLSID> none;
    return none;
}

// ---- IViewObject2

STDMETHODIMP COleControlBase::Draw(DWORD aspect, LONG /*index*/, void* /*aspectInfo*/,
                                   DVTARGETDEVICE* /*device*/, HDC /*targetDevice*/, HDC hdcDraw,
                                   LPCRECTL bounds, LPCRECTL /*windowBounds*/,
                                   BOOL(STDMETHODCALLTYPE* /*continueFunc*/)(ULONG_PTR),
                                   ULONG_PTR /*continueArg*/) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (hdcDraw == nullptr || bounds == nullptr) return E_INVALIDARG;
    const RECT rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    OnDraw(hdcDraw, rect);
    return S_OK;
}

STDMETHODIMP COleControlBase::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                          LOGPALETTE** colors) {
    if (colors != nullptr) *colors = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }

STDMETHODIMP COleControlBase::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP COleControlBase::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) {
    if (sink != nullptr) sink->AddRef();
    ReleaseAndClear(m_viewSink);
    m_viewSink = sink;
    m_viewAspects = aspects;
    m_viewAdvf = advf;
    return S_OK;
}

STDMETHODIMP COleControlBase::GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) {
    if (aspects != nullptr) *aspects = m_viewAspects;
    if (advf != nullptr) *advf = m_viewAdvf;
    if (sink != nullptr) {
        *sink = m_viewSink;
        if (m_viewSink != nullptr) m_viewSink->AddRef();
    }
    return S_OK;
}

STDMETHODIMP COleControlBase::GetExtent(DWORD aspect, LONG /*index*/, DVTARGETDEVICE* /*device*/,
                                        LPSIZEL size) {
    return GetExtent(aspect, size);
}

void COleControlBase::SendViewChange() {
    if (m_viewSink != nullptr && (m_viewAspects & DVASPECT_CONTENT) != 0) {
        m_viewSink->OnViewChange(DVASPECT_CONTENT, -1);
    }
    if (m_hWnd != nullptr) InvalidateRect(m_hWnd, nullptr, FALSE);
}

// ---- ISpecifyPropertyPages

STDMETHODIMP COleControlBase::GetPages(CAUUID* pages) {
    if (pages == nullptr) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return GuardedCall([&] {
        const std::vector<CLSID>& ids = GetPropPageIDs();
        if (ids.empty()) return S_OK;
        // The caller frees the array: never hand out the kept list itself.
        GUID* const copy = static_cast<GUID*>(CoTaskMemAlloc(ids.size() * sizeof(GUID)));
        if (copy == nullptr) return E_OUTOFMEMORY;
        std::memcpy(copy, ids.data(), ids.size() * sizeof(GUID));
        pages->cElems = static_cast<ULONG>(ids.size());
        pages->pElems = copy;
        return S_OK;
    });
}
