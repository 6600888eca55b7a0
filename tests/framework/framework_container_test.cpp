// The framework's container seen from a control: a mock control, registered for this
// process, logs what the window wrapper and its control site ask of it and calls the
// site back the way an in-place control does.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>

#include "framework_fixture.h"
#include "control_wnd.h"

using namespace frameworktest;

namespace {

struct WatchdogInstaller {
    WatchdogInstaller() { comtest::Watchdog::Install(30000); }
} g_watchdog;

// {6C1F3A52-8E0B-4D5A-9B41-7A2D3C9E1F08}: no such class anywhere but here.
constexpr CLSID kMockClsid = {
    0x6C1F3A52, 0x8E0B, 0x4D5A, {0x9B, 0x41, 0x7A, 0x2D, 0x3C, 0x9E, 0x1F, 0x08}};

class CMockControl : public IOleObject,
                     public IOleInPlaceObject,
                     public IPersistStreamInit,
                     public IDispatch,
                     public CMockRefs {
public:
    CallLog log;
    DWORD misc = OLEMISC_SETCLIENTSITEFIRST;
    HRESULT verbResult = S_OK;
    IOleClientSite* site = nullptr;
    IOleInPlaceSite* inPlaceSite = nullptr;
    HWND hwnd = nullptr;
    RECT pos = {};
    RECT clip = {};
    SIZEL extent = {};
    HWND frameWindow = nullptr;

    ~CMockControl() { Deactivate(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleObject)) {
            *ppv = static_cast<IOleObject*>(this);
        } else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject)) {
            *ppv = static_cast<IOleInPlaceObject*>(this);
        } else if (IsEqualIID(riid, IID_IPersistStreamInit)) {
            *ppv = static_cast<IPersistStreamInit*>(this);
        } else if (IsEqualIID(riid, IID_IDispatch)) {
            *ppv = static_cast<IDispatch*>(this);
        }
        if (*ppv == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* newSite) override {
        log.push_back(newSite != nullptr ? "SetClientSite" : "SetClientSite(null)");
        if (newSite != nullptr) newSite->AddRef();
        if (site != nullptr) site->Release();
        site = newSite;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** out) override {
        *out = site;
        if (site != nullptr) site->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return Note("SetHostNames"); }
    STDMETHODIMP Close(DWORD option) override {
        log.push_back(option == OLECLOSE_NOSAVE ? "Close(NOSAVE)" : "Close");
        Deactivate();
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override {
        *m = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** d) override {
        *d = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* active, LONG, HWND parent,
                        LPCRECT rect) override {
        log.push_back("DoVerb(" + std::to_string(verb) + ")");
        if (FAILED(verbResult)) return verbResult;
        if (verb != OLEIVERB_INPLACEACTIVATE || hwnd != nullptr) return S_OK;
        // What an in-place control asks of its site.
        IOleClientSite* const from = active != nullptr ? active : site;
        if (from == nullptr || FAILED(from->QueryInterface(
                                   IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlaceSite)))) {
            return E_NOINTERFACE;
        }
        EXPECT_EQ(inPlaceSite->CanInPlaceActivate(), S_OK);
        EXPECT_EQ(inPlaceSite->OnInPlaceActivate(), S_OK);
        HWND siteWindow = nullptr;
        EXPECT_EQ(inPlaceSite->GetWindow(&siteWindow), S_OK);
        EXPECT_EQ(siteWindow, parent);
        IOleInPlaceFrame* frame = reinterpret_cast<IOleInPlaceFrame*>(&frame);
        IOleInPlaceUIWindow* doc = reinterpret_cast<IOleInPlaceUIWindow*>(&doc);
        OLEINPLACEFRAMEINFO info = {sizeof(info), TRUE, nullptr, nullptr, 9};
        EXPECT_EQ(inPlaceSite->GetWindowContext(&frame, &doc, &pos, &clip, &info), S_OK);
        EXPECT_EQ(frame, nullptr) << "the container has no frame";
        EXPECT_EQ(doc, nullptr);
        EXPECT_FALSE(info.fMDIApp);
        EXPECT_EQ(info.cAccelEntries, 0u);
        frameWindow = info.hwndFrame;
        EXPECT_TRUE(rect != nullptr && SameRect(*rect, pos));
        hwnd = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, pos.left, pos.top,
                               pos.right - pos.left, pos.bottom - pos.top, parent, nullptr, nullptr,
                               nullptr);
        return hwnd != nullptr ? S_OK : E_FAIL;
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override {
        *clsid = kMockClsid;
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override {
        EXPECT_EQ(aspect, static_cast<DWORD>(DVASPECT_CONTENT));
        extent = *size;
        return Note("SetExtent");
    }
    STDMETHODIMP GetExtent(DWORD, SIZEL* size) override {
        *size = extent;
        return S_OK;
    }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
        *status = misc;
        return Note("GetMiscStatus");
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* out) override {
        *out = hwnd;
        return hwnd != nullptr ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override {
        Deactivate();
        return Note("InPlaceDeactivate");
    }
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT newPos, LPCRECT newClip) override {
        pos = *newPos;
        clip = *newClip;
        return Note("SetObjectRects");
    }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* clsid) override { return GetUserClassID(clsid); }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPSTREAM) override { return Note("Load"); }
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP InitNew() override { return Note("InitNew"); }

    // IDispatch: one method, 7, answering the sum of its two arguments as VT_I4.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT*) override {
        if (dispid == 8) {  // fails through its exception record
            excep->scode = DISP_E_OVERFLOW;
            return DISP_E_EXCEPTION;
        }
        if (dispid != 7 || params->cArgs != 2) return DISP_E_MEMBERNOTFOUND;
        EXPECT_EQ(V_VT(&params->rgvarg[1]), VT_I2);
        EXPECT_EQ(V_VT(&params->rgvarg[0]), VT_R4);
        if (result != nullptr) {
            V_VT(result) = VT_I4;
            V_I4(result) = V_I2(&params->rgvarg[1]) + static_cast<long>(V_R4(&params->rgvarg[0]));
        }
        return S_OK;
    }

private:
    HRESULT Note(const char* what) {
        log.push_back(what);
        return S_OK;
    }
    void Deactivate() {
        if (hwnd != nullptr) {
            DestroyWindow(hwnd);
            hwnd = nullptr;
        }
        if (IOleInPlaceSite* const old = inPlaceSite) {
            inPlaceSite = nullptr;
            old->OnInPlaceDeactivate();
            old->Release();
        }
    }
};

class CMockFactory : public IClassFactory, public CMockRefs {
public:
    explicit CMockFactory(CMockControl& control) : m_control(control) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID riid, void** ppv) override {
        return m_control.QueryInterface(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    CMockControl& m_control;
};

class ContainerTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        ASSERT_EQ(CoRegisterClassObject(kMockClsid, &m_factory, CLSCTX_INPROC_SERVER,
                                        REGCLS_MULTIPLEUSE, &m_registration),
                  S_OK);
    }
    void TearDown() override {
        EXPECT_EQ(CoRevokeClassObject(m_registration), S_OK);
        EXPECT_EQ(m_factory.Refs(), 1);
        FrameworkTest::TearDown();
    }

    CMockControl m_mock;
    CMockFactory m_factory{m_mock};
    DWORD m_registration = 0;
};

// A control whose site must come first gets it before InitNew; then the extent of the
// rectangle and in-place activation at it; closing undoes it all.
TEST_F(ContainerTest, SiteFirstHandshakeAndClose) {
    CWnd parent;
    ASSERT_TRUE(
        parent.Create(L"STATIC", L"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 300, 200}, nullptr, 0));
    CControlWnd control;
    const RECT rect = {10, 10, 106, 58};
    ASSERT_TRUE(control.CreateControl(kMockClsid, L"mock", WS_VISIBLE, rect, &parent, 42));
    EXPECT_EQ(m_mock.log,
              (CallLog{"GetMiscStatus", "SetClientSite", "InitNew", "SetExtent", "DoVerb(-5)"}));
    EXPECT_EQ(control.GetSafeHwnd(), m_mock.hwnd);
    EXPECT_EQ(GetDlgCtrlID(m_mock.hwnd), 42);
    EXPECT_TRUE(SameRect(m_mock.pos, rect));
    EXPECT_TRUE(SameRect(m_mock.clip, rect));
    EXPECT_EQ(m_mock.frameWindow, parent.GetSafeHwnd()) << "the top-level window";
    // 96 by 48 pixels in HIMETRIC, at the display's resolution.
    const HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(m_mock.extent.cx, MulDiv(96, 2540, dpiX));
    EXPECT_EQ(m_mock.extent.cy, MulDiv(48, 2540, dpiY));
    EXPECT_NE(GetWindowLongW(m_mock.hwnd, GWL_STYLE) & WS_VISIBLE, 0);
    wchar_t text[16] = {};
    GetWindowTextW(m_mock.hwnd, text, 16);
    EXPECT_STREQ(text, L"mock");

    // The control moves itself: the site applies the rectangle through the control.
    m_mock.log.clear();
    const RECT moved = {20, 30, 60, 70};
    IOleInPlaceSite* const site = m_mock.inPlaceSite;
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(site->OnPosRectChange(&moved), S_OK);
    EXPECT_EQ(m_mock.log, CallLog{"SetObjectRects"});
    EXPECT_TRUE(SameRect(m_mock.pos, moved));
    EXPECT_EQ(site->OnPosRectChange(nullptr), E_POINTER);

    // Calls go to the control's IDispatch, arguments narrowed as the type string says.
    long sum = 0;
    EXPECT_EQ(control.InvokeHelper(7, DISPATCH_METHOD, VT_I4, &sum,
                                   reinterpret_cast<const BYTE*>("\x02\x04"), 40, 2.75),
              S_OK);
    EXPECT_EQ(sum, 42);
    EXPECT_EQ(control.InvokeHelper(8, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr), DISP_E_OVERFLOW)
        << "the exception record's code is the result";
    EXPECT_EQ(control.InvokeHelper(7, DISPATCH_METHOD, VT_BSTR, &sum, nullptr), E_INVALIDARG);
    EXPECT_EQ(control.InvokeHelper(7, DISPATCH_METHOD, VT_I4, nullptr, nullptr), E_POINTER);

    m_mock.log.clear();
    const HWND hwnd = m_mock.hwnd;
    EXPECT_TRUE(control.DestroyWindow());
    EXPECT_EQ(m_mock.log, (CallLog{"Close(NOSAVE)", "SetClientSite(null)"}));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(m_mock.Refs(), 1) << "the container let go of the control";
    EXPECT_FALSE(control.DestroyWindow());
}

// Without the flag the container initialises the control before giving it its site.
TEST_F(ContainerTest, InitNewBeforeTheSiteWithoutTheFlag) {
    m_mock.misc = 0;
    CWnd parent;
    ASSERT_TRUE(
        parent.Create(L"STATIC", L"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 300, 200}, nullptr, 0));
    CControlWnd control;
    ASSERT_TRUE(control.CreateControl(kMockClsid, nullptr, 0, RECT{0, 0, 50, 50}, &parent, 1));
    EXPECT_EQ(m_mock.log,
              (CallLog{"GetMiscStatus", "InitNew", "SetClientSite", "SetExtent", "DoVerb(-5)"}));
    EXPECT_EQ(GetWindowLongW(m_mock.hwnd, GWL_STYLE) & WS_VISIBLE, 0) << "no WS_VISIBLE: hidden";
    control.DestroyWindow();
    EXPECT_EQ(m_mock.Refs(), 1);
}

// A control that refuses activation leaves nothing behind: it is closed and released.
TEST_F(ContainerTest, RefusedActivationCleansUp) {
    m_mock.verbResult = E_FAIL;
    CWnd parent;
    ASSERT_TRUE(
        parent.Create(L"STATIC", L"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 300, 200}, nullptr, 0));
    CControlWnd control;
    EXPECT_FALSE(control.CreateControl(kMockClsid, nullptr, 0, RECT{0, 0, 50, 50}, &parent, 1));
    EXPECT_EQ(m_mock.log, (CallLog{"GetMiscStatus", "SetClientSite", "InitNew", "SetExtent",
                                   "DoVerb(-5)", "Close(NOSAVE)", "SetClientSite(null)"}));
    EXPECT_EQ(m_mock.Refs(), 1);
    EXPECT_EQ(control.GetSafeHwnd(), nullptr);
    EXPECT_EQ(control.GetControlUnknown(), nullptr);
}

// What the container's site answers to the rest of a control's questions.
TEST_F(ContainerTest, SiteAnswers) {
    CWnd parent;
    ASSERT_TRUE(
        parent.Create(L"STATIC", L"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 300, 200}, nullptr, 0));
    CControlWnd control;
    ASSERT_TRUE(control.CreateControl(kMockClsid, nullptr, 0, RECT{0, 0, 50, 50}, &parent, 1));
    IOleClientSite* const site = m_mock.site;
    ASSERT_NE(site, nullptr);
    CComRef<IOleControlSite> controlSite;
    ASSERT_EQ(site->QueryInterface(IID_IOleControlSite, controlSite.PutVoid()), S_OK);
    CComRef<IUnknown> none;
    EXPECT_EQ(site->QueryInterface(IID_IOleInPlaceFrame, none.PutVoid()), E_NOINTERFACE);
    EXPECT_EQ(none.Get(), nullptr);
    EXPECT_EQ(site->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    IMoniker* moniker = reinterpret_cast<IMoniker*>(&moniker);
    EXPECT_EQ(site->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, &moniker),
              E_NOTIMPL);
    EXPECT_EQ(moniker, nullptr);
    IOleContainer* container = reinterpret_cast<IOleContainer*>(&container);
    EXPECT_EQ(site->GetContainer(&container), E_NOINTERFACE);
    EXPECT_EQ(container, nullptr);
    IDispatch* extended = reinterpret_cast<IDispatch*>(&extended);
    EXPECT_EQ(controlSite->GetExtendedControl(&extended), E_NOTIMPL);
    EXPECT_EQ(extended, nullptr);
    EXPECT_EQ(site->SaveObject(), S_OK);
    EXPECT_EQ(site->ShowObject(), S_OK);
    EXPECT_EQ(site->OnShowWindow(TRUE), S_OK);
    EXPECT_EQ(site->RequestNewObjectLayout(), E_NOTIMPL);
    IOleInPlaceSite* const inPlace = m_mock.inPlaceSite;
    EXPECT_EQ(inPlace->ContextSensitiveHelp(TRUE), E_NOTIMPL);
    EXPECT_EQ(inPlace->OnUIActivate(), S_OK);
    EXPECT_EQ(inPlace->OnUIDeactivate(FALSE), S_OK);
    EXPECT_EQ(inPlace->Scroll(SIZE{1, 1}), E_NOTIMPL);
    EXPECT_EQ(inPlace->DiscardUndoState(), S_OK);
    EXPECT_EQ(inPlace->DeactivateAndUndo(), S_OK);
    EXPECT_EQ(inPlace->GetWindowContext(nullptr, nullptr, nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(inPlace->GetWindow(nullptr), E_POINTER);
    EXPECT_EQ(controlSite->OnControlInfoChanged(), S_OK);
    EXPECT_EQ(controlSite->LockInPlaceActive(TRUE), S_OK);
    EXPECT_EQ(controlSite->TransformCoords(nullptr, nullptr, 0), E_NOTIMPL);
    EXPECT_EQ(controlSite->TranslateAccelerator(nullptr, 0), S_FALSE);
    EXPECT_EQ(controlSite->OnFocus(TRUE), S_OK);
    EXPECT_EQ(controlSite->ShowPropertyFrame(), E_NOTIMPL) << "the control shows its own";
    controlSite.Reset();
    control.DestroyWindow();
    EXPECT_EQ(m_mock.Refs(), 1);
}

}  // namespace
