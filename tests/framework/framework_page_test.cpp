// The property page object as a property frame drives it, and the control's answers to
// the optional methods it does not support.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <cstring>

#include "framework_fixture.h"

using namespace frameworktest;

namespace {

struct WatchdogInstaller {
    WatchdogInstaller() { comtest::Watchdog::Install(30000); }
} g_watchdog;

class CMockPageSite : public IPropertyPageSite, public CMockRefs {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPropertyPageSite)) {
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IPropertyPageSite*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }
    STDMETHODIMP OnStatusChange(DWORD) override { return S_OK; }
    STDMETHODIMP GetLocaleID(LCID* lcid) override {
        *lcid = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown** container) override {
        *container = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }
};

using PageTest = FrameworkTest;

// Site, objects, activation, showing, moving and the end, with the references held.
TEST_F(PageTest, PropertyPageLifecycle) {
    CComRef<IClassFactory> factory;
    ASSERT_EQ(theApp.GetClassObject(CLSID_Vorn_305qPropPage, IID_IClassFactory, factory.PutVoid()),
              S_OK);
    CComRef<IPropertyPage> page;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPropertyPage, page.PutVoid()), S_OK);
    factory.Reset();
    CMockPageSite site, other;
    const ULONG controlRefs = RefsOf(m_control.Get());

    ASSERT_EQ(page->SetPageSite(&site), S_OK);
    EXPECT_EQ(site.Refs(), 2);
    EXPECT_EQ(page->SetPageSite(&other), E_UNEXPECTED);
    EXPECT_EQ(other.Refs(), 1);

    PROPPAGEINFO info;
    std::memset(&info, 0xCC, sizeof(info));
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(info.cb, sizeof(PROPPAGEINFO));
    ASSERT_NE(info.pszTitle, nullptr);
    EXPECT_STREQ(info.pszTitle, L"General");
    CoTaskMemFree(info.pszTitle);
    EXPECT_GT(info.size.cx, 250) << "250 dialog units are wider than 250 pixels";
    EXPECT_GT(info.size.cy, 62);
    EXPECT_EQ(info.pszDocString, nullptr);
    EXPECT_EQ(info.pszHelpFile, nullptr);
    EXPECT_EQ(page->GetPageInfo(nullptr), E_POINTER);

    IUnknown* objects[] = {m_control.Get()};
    EXPECT_EQ(page->SetObjects(1, nullptr), E_POINTER);
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs + 1);
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs + 1) << "the old list is released";

    RECT rect = {4, 6, 204, 106};
    EXPECT_EQ(page->Show(SW_SHOW), E_UNEXPECTED);
    EXPECT_EQ(page->Move(&rect), E_UNEXPECTED);
    EXPECT_EQ(page->Activate(m_window, nullptr, FALSE), E_POINTER);
    ASSERT_EQ(page->Activate(m_window, &rect, FALSE), S_OK);
    const HWND dialog = GetWindow(m_window, GW_CHILD);
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_TRUE(SameRect(ChildRect(dialog), rect));
    EXPECT_EQ(page->Activate(m_window, &rect, FALSE), E_UNEXPECTED);
    ASSERT_EQ(page->Show(SW_SHOW), S_OK);
    EXPECT_TRUE(IsWindowVisible(dialog));
    ASSERT_EQ(page->Show(SW_HIDE), S_OK);
    EXPECT_FALSE(IsWindowVisible(dialog));
    const RECT moved = {0, 0, 150, 80};
    ASSERT_EQ(page->Move(&moved), S_OK);
    EXPECT_TRUE(SameRect(ChildRect(dialog), moved));
    EXPECT_EQ(page->Move(nullptr), E_POINTER);

    // Nothing to edit: never dirty, applying changes nothing, no help.
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->Help(nullptr), E_NOTIMPL);
    MSG msg = {dialog, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_EQ(page->TranslateAccelerator(&msg), S_FALSE);

    ASSERT_EQ(page->Deactivate(), S_OK);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(page->Deactivate(), S_OK);
    ASSERT_EQ(page->SetObjects(0, nullptr), S_OK);
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs);

    // The last release lets go of the site and objects still set, and of a window.
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    ASSERT_EQ(page->Activate(m_window, &rect, FALSE), S_OK);
    const HWND second = GetWindow(m_window, GW_CHILD);
    EXPECT_EQ(page.Detach()->Release(), 0u);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(site.Refs(), 1);
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs);
}

// Optional methods a control may leave out: each answers its code and clears what it
// hands back, so a container never frees garbage.
TEST_F(PageTest, UnsupportedOptionalMethodsClearTheirResults) {
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    auto view = As<IViewObject2>(m_control.Get(), IID_IViewObject2);
    auto inPlace = As<IOleInPlaceObject>(m_control.Get(), IID_IOleInPlaceObject);
    auto active = As<IOleInPlaceActiveObject>(m_control.Get(), IID_IOleInPlaceActiveObject);
    auto persist = As<IPersistStreamInit>(m_control.Get(), IID_IPersistStreamInit);
    auto control = As<IOleControl>(m_control.Get(), IID_IOleControl);

    IMoniker* moniker = reinterpret_cast<IMoniker*>(&moniker);
    EXPECT_EQ(object->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJFULL, &moniker),
              E_NOTIMPL);
    EXPECT_EQ(moniker, nullptr);
    IDataObject* data = reinterpret_cast<IDataObject*>(&data);
    EXPECT_EQ(object->GetClipboardData(0, &data), E_NOTIMPL);
    EXPECT_EQ(data, nullptr);
    LOGPALETTE* colors = reinterpret_cast<LOGPALETTE*>(&colors);
    EXPECT_EQ(view->GetColorSet(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &colors),
              E_NOTIMPL);
    EXPECT_EQ(colors, nullptr);
    EXPECT_EQ(object->SetMoniker(OLEWHICHMK_CONTAINER, nullptr), E_NOTIMPL);
    EXPECT_EQ(object->InitFromData(nullptr, TRUE, 0), E_NOTIMPL);
    EXPECT_EQ(object->SetColorScheme(nullptr), E_NOTIMPL);
    DWORD frozen = 0;
    EXPECT_EQ(view->Freeze(DVASPECT_CONTENT, -1, nullptr, &frozen), E_NOTIMPL);
    EXPECT_EQ(view->Unfreeze(frozen), E_NOTIMPL);
    EXPECT_EQ(inPlace->ContextSensitiveHelp(TRUE), E_NOTIMPL);
    EXPECT_EQ(inPlace->ReactivateAndUndo(), E_NOTIMPL);

    // Accepted and ignored.
    EXPECT_EQ(object->SetHostNames(L"app", L"form"), S_OK);
    EXPECT_EQ(object->Update(), S_OK);
    EXPECT_EQ(object->IsUpToDate(), S_OK);
    EXPECT_EQ(active->OnFrameWindowActivate(TRUE), S_OK);
    EXPECT_EQ(active->OnDocWindowActivate(TRUE), S_OK);
    EXPECT_EQ(active->ResizeBorder(nullptr, nullptr, TRUE), S_OK);
    EXPECT_EQ(active->EnableModeless(FALSE), S_OK);
    MSG msg = {};
    EXPECT_EQ(control->OnMnemonic(&msg), S_OK);
    EXPECT_EQ(control->OnAmbientPropertyChange(DISPID_UNKNOWN), S_OK);

    // Nothing to save: never dirty; the class identifier is the control's.
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    CLSID clsid = GUID_NULL;
    ASSERT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Vorn_305q));
    EXPECT_EQ(persist->GetClassID(nullptr), E_POINTER);
    UINT count = 0;
    ASSERT_EQ(As<IDispatch>(m_control.Get(), IID_IDispatch)->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
}

// Before the first Advise, S_OK must still come with an enumerator (an empty one): a
// container that trusts S_OK would otherwise call through a null pointer.
TEST_F(PageTest, EnumAdviseBeforeAnyAdviseGivesAnEmptyEnumerator) {
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    CComRef<IEnumSTATDATA> advise;
    ASSERT_EQ(object->EnumAdvise(advise.Put()), S_OK);
    ASSERT_NE(advise.Get(), nullptr);
    STATDATA data = {};
    ULONG fetched = 1;
    EXPECT_EQ(advise->Next(1, &data, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
}

// Once a sink is advised the holder's enumerator lists it.
TEST_F(PageTest, EnumAdviseListsTheAdvisedSink) {
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    CMockSite site(m_window);
    DWORD cookie = 0;
    ASSERT_EQ(object->Advise(static_cast<IAdviseSink*>(&site), &cookie), S_OK);
    CComRef<IEnumSTATDATA> advise;
    ASSERT_EQ(object->EnumAdvise(advise.Put()), S_OK);
    ASSERT_NE(advise.Get(), nullptr);
    STATDATA data = {};
    ULONG fetched = 0;
    ASSERT_EQ(advise->Next(1, &data, &fetched), S_OK);
    EXPECT_EQ(data.dwConnection, cookie);
    EXPECT_EQ(data.pAdvSink, static_cast<IAdviseSink*>(&site));
    if (data.pAdvSink != nullptr) data.pAdvSink->Release();
    advise.Reset();
    EXPECT_EQ(object->EnumAdvise(nullptr), E_POINTER);
    ASSERT_EQ(object->Unadvise(cookie), S_OK);
    EXPECT_EQ(site.Refs(), 1);
}

}  // namespace
