// The framework's control base seen the way a container sees it: a control made by the
// class factory of the statically linked control library, and a mock container (client
// site, in-place site, control site, frame, document window and advise sink) that logs
// every call it gets and counts its references. Only COM interfaces are used.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "card_message.h"
#include "com_ptr.h"
#include "com_test_support.h"
#include "interrupt_thread.h"
#include "ole_module.h"
#include "sim_service.h"
#include "vorn_305q_app.h"
#include "vorn_305q_ids.h"

namespace frameworktest {

// The references an object holds now, read through AddRef and Release.
inline ULONG RefsOf(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

template <typename I>
CComRef<I> As(IUnknown* object, REFIID iid) {
    CComRef<I> p;
    EXPECT_EQ(object->QueryInterface(iid, p.PutVoid()), S_OK);
    return p;
}

// Whether two interface pointers belong to one object.
inline bool SameObjectAs(IUnknown* a, IUnknown* b) {
    if (a == nullptr || b == nullptr) return a == b;
    CComRef<IUnknown> ia, ib;
    a->QueryInterface(IID_IUnknown, ia.PutVoid());
    b->QueryInterface(IID_IUnknown, ib.PutVoid());
    return ia.Get() == ib.Get();
}

// A child window's rectangle in its parent's client coordinates.
inline RECT ChildRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

using CallLog = std::vector<std::string>;

// Reference counting shared by the mocks; they live on the test's stack, so the count
// is only watched, never acted on.
class CMockRefs {
public:
    LONG Refs() const { return m_refs; }

protected:
    ULONG DoAddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    ULONG DoRelease() { return static_cast<ULONG>(InterlockedDecrement(&m_refs)); }

private:
    volatile LONG m_refs = 1;  // the test's own
};

// The frame and the document window: they hold the active object they are given.
class CMockUIWindow : public IOleInPlaceFrame, public CMockRefs {
public:
    CMockUIWindow(const char* name, CallLog& log) : m_name(name), m_log(log) {}
    ~CMockUIWindow() { ReleaseActive(); }

    IOleInPlaceActiveObject* Active() const { return m_active; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
            IsEqualIID(riid, IID_IOleInPlaceUIWindow) ||
            (m_isFrame && IsEqualIID(riid, IID_IOleInPlaceFrame))) {
            *ppv = static_cast<IOleInPlaceFrame*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }
    STDMETHODIMP GetWindow(HWND* hwnd) override {
        Log("GetWindow");
        *hwnd = m_hwnd;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBorder(LPRECT) override {
        Log("GetBorder");
        return INPLACE_E_NOTOOLSPACE;
    }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override {
        Log("RequestBorderSpace");
        return INPLACE_E_NOTOOLSPACE;
    }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override {
        Log(widths == nullptr ? "SetBorderSpace(null)" : "SetBorderSpace");
        return S_OK;
    }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override {
        Log(active == nullptr ? "SetActiveObject(null)" : "SetActiveObject");
        if (active != nullptr) active->AddRef();
        ReleaseActive();
        m_active = active;
        return S_OK;
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override {
        Log("InsertMenus");
        return E_NOTIMPL;
    }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override {
        Log("SetMenu");
        return S_OK;
    }
    STDMETHODIMP RemoveMenus(HMENU) override {
        Log("RemoveMenus");
        return S_OK;
    }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    HWND m_hwnd = nullptr;
    bool m_isFrame = true;

private:
    void Log(const char* what) { m_log.push_back(m_name + "::" + what); }
    void ReleaseActive() {
        if (IOleInPlaceActiveObject* const old = m_active) {
            m_active = nullptr;
            old->Release();
        }
    }
    std::string m_name;
    CallLog& m_log;
    IOleInPlaceActiveObject* m_active = nullptr;
};

// The container's site of one control, and its advise sink.
class CMockSite : public IOleClientSite,
                  public IOleInPlaceSite,
                  public IOleControlSite,
                  public IAdviseSink,
                  public CMockRefs {
public:
    explicit CMockSite(HWND window) : m_frame("Frame", log), m_doc("Doc", log), m_window(window) {
        m_frame.m_hwnd = window;
        m_doc.m_hwnd = window;
        m_doc.m_isFrame = false;
    }

    CallLog log;
    std::vector<IID> queried;  // every interface asked for, in order
    CMockUIWindow m_frame;
    CMockUIWindow m_doc;
    RECT m_pos = {10, 20, 110, 70};
    RECT m_clip = {0, 0, 400, 300};
    bool m_offerInPlace = true;      // answers IOleInPlaceSite
    bool m_offerControlSite = true;  // answers IOleControlSite
    HRESULT m_canInPlaceActivate = S_OK;
    HRESULT m_getWindow = S_OK;          // a failure hands out no window
    HRESULT m_getWindowContext = S_OK;   // a failure hands out nothing
    HRESULT m_showPropertyFrame = S_OK;  // the container shows the pages itself
    int m_viewChanges = 0;
    int m_closes = 0;

    IOleClientSite* ClientSite() { return static_cast<IOleClientSite*>(this); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        queried.push_back(riid);
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
            *ppv = static_cast<IOleClientSite*>(this);
        } else if (m_offerInPlace &&
                   (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite))) {
            *ppv = static_cast<IOleInPlaceSite*>(this);
        } else if (m_offerControlSite && IsEqualIID(riid, IID_IOleControlSite)) {
            *ppv = static_cast<IOleControlSite*>(this);
        } else if (IsEqualIID(riid, IID_IAdviseSink)) {
            *ppv = static_cast<IAdviseSink*>(this);
        }
        if (*ppv == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return Note("SaveObject", S_OK); }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        *moniker = nullptr;
        return Note("GetMoniker", E_NOTIMPL);
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        *container = nullptr;
        return Note("GetContainer", E_NOINTERFACE);
    }
    STDMETHODIMP ShowObject() override { return Note("ShowObject", S_OK); }
    STDMETHODIMP OnShowWindow(BOOL) override { return Note("OnShowWindow", S_OK); }
    STDMETHODIMP RequestNewObjectLayout() override {
        return Note("RequestNewObjectLayout", E_NOTIMPL);
    }

    // IOleWindow, IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* hwnd) override {
        *hwnd = SUCCEEDED(m_getWindow) ? m_window : nullptr;
        return Note("GetWindow", m_getWindow);
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override {
        return Note("CanInPlaceActivate", m_canInPlaceActivate);
    }
    STDMETHODIMP OnInPlaceActivate() override { return Note("OnInPlaceActivate", S_OK); }
    STDMETHODIMP OnUIActivate() override { return Note("OnUIActivate", S_OK); }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (FAILED(m_getWindowContext)) {
            *frame = nullptr;
            *doc = nullptr;
            return Note("GetWindowContext", m_getWindowContext);
        }
        m_frame.AddRef();
        *frame = &m_frame;
        m_doc.AddRef();
        *doc = &m_doc;
        *pos = m_pos;
        *clip = m_clip;
        info->fMDIApp = FALSE;
        info->hwndFrame = m_window;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return Note("GetWindowContext", S_OK);
    }
    STDMETHODIMP Scroll(SIZE) override { return Note("Scroll", E_NOTIMPL); }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return Note("OnUIDeactivate", S_OK); }
    STDMETHODIMP OnInPlaceDeactivate() override { return Note("OnInPlaceDeactivate", S_OK); }
    STDMETHODIMP DiscardUndoState() override { return Note("DiscardUndoState", S_OK); }
    STDMETHODIMP DeactivateAndUndo() override { return Note("DeactivateAndUndo", S_OK); }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return Note("OnPosRectChange", S_OK); }

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return Note("OnControlInfoChanged", S_OK); }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return Note("LockInPlaceActive", S_OK); }
    STDMETHODIMP GetExtendedControl(IDispatch** extended) override {
        *extended = nullptr;
        return Note("GetExtendedControl", E_NOTIMPL);
    }
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override {
        return Note("TransformCoords", E_NOTIMPL);
    }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override {
        return Note("TranslateAccelerator", S_FALSE);
    }
    STDMETHODIMP OnFocus(BOOL) override { return Note("OnFocus", S_OK); }
    STDMETHODIMP ShowPropertyFrame() override {
        return Note("ShowPropertyFrame", m_showPropertyFrame);
    }

    // IAdviseSink
    STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {
        Note("OnDataChange", S_OK);
    }
    STDMETHODIMP_(void) OnViewChange(DWORD aspect, LONG index) override {
        ++m_viewChanges;
        EXPECT_EQ(aspect, static_cast<DWORD>(DVASPECT_CONTENT));
        EXPECT_EQ(index, -1);
        Note("OnViewChange", S_OK);
    }
    STDMETHODIMP_(void) OnRename(IMoniker*) override { Note("OnRename", S_OK); }
    STDMETHODIMP_(void) OnSave() override { Note("OnSave", S_OK); }
    STDMETHODIMP_(void) OnClose() override {
        ++m_closes;
        Note("OnClose", S_OK);
    }

private:
    HRESULT Note(const char* what, HRESULT hr) {
        log.push_back(std::string("Site::") + what);
        return hr;
    }
    HWND m_window;
};

// One control from the factory on one simulated card, card messages recorded, and a
// visible top-level window to host it. Every test ends with nothing left alive.
class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(m_apartment.hr));
        COleControlModule::SetInstance(GetModuleHandleW(nullptr));  // resources of this program
        vornsim::Install(vornsim::DefaultProfile(1));
        SetCardMessageSink(
            [](const char* text, void* self) {
                static_cast<FrameworkTest*>(self)->m_messages.push_back(text);
            },
            this);
        m_objectsBefore = COleControlModule::Objects();
        ASSERT_EQ(theApp.GetClassObject(CLSID_Vorn_305q, IID_IClassFactory, m_factory.PutVoid()),
                  S_OK);
        ASSERT_EQ(m_factory->CreateInstance(nullptr, IID_IUnknown, m_control.PutVoid()), S_OK);
        m_window = HostWindow();
        ASSERT_NE(m_window, nullptr);
    }
    void TearDown() override {
        if (m_control) {
            EXPECT_EQ(ReleaseControl(), 0u) << "someone still holds the control";
        }
        m_factory.Reset();
        if (m_window != nullptr) {
            EXPECT_EQ(GetWindow(m_window, GW_CHILD), nullptr) << "a child window was left";
        }
        EXPECT_EQ(COleControlModule::Objects(), m_objectsBefore) << "an object leaked";
        EXPECT_EQ(InterruptThreadsAlive(), 0);
        EXPECT_TRUE(theApp.CanUnloadNow());
        SetCardMessageSink(nullptr, nullptr);
        vornsim::Uninstall();
    }
    // One visible top-level window for the whole program: mapping a new one on the
    // display costs seconds.
    static HWND HostWindow() {
        struct CHost {
            CHost()
                : hwnd(CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                       0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr)) {}
            ~CHost() {
                if (hwnd != nullptr) DestroyWindow(hwnd);
            }
            HWND hwnd;
        };
        static CHost host;
        return host.hwnd;
    }
    // Drops the test's reference; the count the control reports.
    ULONG ReleaseControl() { return m_control.Detach()->Release(); }

    comtest::Apartment m_apartment;
    CComRef<IClassFactory> m_factory;
    CComRef<IUnknown> m_control;
    HWND m_window = nullptr;
    long m_objectsBefore = 0;
    std::vector<std::string> m_messages;
};

}  // namespace frameworktest
