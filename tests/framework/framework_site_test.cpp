// The control and its container: the site handshake, in-place and UI activation, the
// verbs, extents, advise sinks and painting, with the callbacks the container gets in
// their order and the references each side holds after every step.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cstdint>

#include "framework_fixture.h"

using namespace frameworktest;

namespace {

struct WatchdogInstaller {
    WatchdogInstaller() { comtest::Watchdog::Install(30000); }
} g_watchdog;

using SiteTest = FrameworkTest;

// SetClientSite, the extent, then DoVerb(INPLACEACTIVATE), UI activation and the way
// back, as a form container drives a control.
TEST_F(SiteTest, HandshakeCallbackOrderAndReferences) {
    CMockSite site(m_window);
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    auto inPlace = As<IOleInPlaceObject>(m_control.Get(), IID_IOleInPlaceObject);
    const ULONG controlRefs = RefsOf(m_control.Get());
    EXPECT_EQ(controlRefs, 3u);  // the test's, object's, inPlace's

    DWORD misc = 0;
    ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
    ASSERT_NE(misc & OLEMISC_SETCLIENTSITEFIRST, 0u);
    ASSERT_EQ(object->SetClientSite(site.ClientSite()), S_OK);
    EXPECT_EQ(site.Refs(), 2);
    ASSERT_EQ(object->SetClientSite(site.ClientSite()), S_OK);  // the same site again
    EXPECT_EQ(site.Refs(), 2);
    {
        CComRef<IOleClientSite> got;
        ASSERT_EQ(object->GetClientSite(got.Put()), S_OK);
        EXPECT_EQ(got.Get(), site.ClientSite());
        EXPECT_EQ(site.Refs(), 3);
    }
    EXPECT_EQ(site.Refs(), 2);
    ASSERT_EQ(As<IPersistStreamInit>(m_control.Get(), IID_IPersistStreamInit)->InitNew(), S_OK);
    SIZEL extent = {2000, 1000};
    ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    SIZEL got = {};
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &got), S_OK);
    EXPECT_EQ(got.cx, 2000);
    EXPECT_EQ(got.cy, 1000);
    EXPECT_EQ(site.log, CallLog{}) << "no callback before activation";
    HWND hwnd = reinterpret_cast<HWND>(1);
    EXPECT_EQ(inPlace->GetWindow(&hwnd), E_FAIL);
    EXPECT_EQ(hwnd, nullptr);

    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.ClientSite(), 0, m_window,
                             &site.m_pos),
              S_OK);
    EXPECT_EQ(site.log, (CallLog{"Site::CanInPlaceActivate", "Site::OnInPlaceActivate",
                                 "Site::GetWindow", "Site::GetWindowContext"}));
    EXPECT_NE(std::find_if(site.queried.begin(), site.queried.end(),
                           [](const IID& iid) { return IsEqualIID(iid, IID_IOleInPlaceSite); }),
              site.queried.end());
    EXPECT_EQ(site.Refs(), 3) << "the in-place site is held";
    EXPECT_EQ(site.m_frame.Refs(), 2);
    EXPECT_EQ(site.m_doc.Refs(), 2);
    ASSERT_EQ(inPlace->GetWindow(&hwnd), S_OK);
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(GetParent(hwnd), m_window);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(SameRect(ChildRect(hwnd), site.m_pos));

    site.log.clear();  // active already: nothing happens again
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.ClientSite(), 0, m_window,
                             &site.m_pos),
              S_OK);
    EXPECT_EQ(site.log, CallLog{});
    EXPECT_EQ(site.Refs(), 3);

    ASSERT_EQ(
        object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site.ClientSite(), 0, m_window, &site.m_pos),
        S_OK);
    EXPECT_EQ(site.log,
              (CallLog{"Site::OnUIActivate", "Frame::SetActiveObject", "Doc::SetActiveObject"}));
    EXPECT_TRUE(SameObjectAs(site.m_frame.Active(), m_control.Get()));
    EXPECT_TRUE(SameObjectAs(site.m_doc.Active(), m_control.Get()));
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs + 2) << "frame and document hold it";

    site.log.clear();
    ASSERT_EQ(inPlace->UIDeactivate(), S_OK);
    EXPECT_EQ(site.log, (CallLog{"Frame::SetActiveObject(null)", "Doc::SetActiveObject(null)",
                                 "Site::OnUIDeactivate"}));
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs);
    site.log.clear();
    ASSERT_EQ(inPlace->UIDeactivate(), S_OK);  // not UI active: nothing to tell
    EXPECT_EQ(site.log, CallLog{});

    ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(site.log, CallLog{"Site::OnInPlaceDeactivate"});
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(inPlace->GetWindow(&hwnd), E_FAIL);
    EXPECT_EQ(site.Refs(), 2);
    EXPECT_EQ(site.m_frame.Refs(), 1);
    EXPECT_EQ(site.m_doc.Refs(), 1);
    site.log.clear();
    ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(site.log, CallLog{});

    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(site.Refs(), 1);
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs);
}

// UI activation straight from the loaded state activates in place first; leaving the
// in-place state while UI active leaves the UI state first.
TEST_F(SiteTest, UIActivationFromLoadedAndDeactivationFromUIActive) {
    CMockSite site(m_window);
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    ASSERT_EQ(object->SetClientSite(site.ClientSite()), S_OK);
    ASSERT_EQ(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, nullptr, 0, m_window, &site.m_pos),
              S_OK);  // the client site stands in for the active site
    EXPECT_EQ(site.log, (CallLog{"Site::CanInPlaceActivate", "Site::OnInPlaceActivate",
                                 "Site::GetWindow", "Site::GetWindowContext", "Site::OnUIActivate",
                                 "Frame::SetActiveObject", "Doc::SetActiveObject"}));
    site.log.clear();
    ASSERT_EQ(As<IOleInPlaceObject>(m_control.Get(), IID_IOleInPlaceObject)->InPlaceDeactivate(),
              S_OK);
    EXPECT_EQ(site.log, (CallLog{"Frame::SetActiveObject(null)", "Doc::SetActiveObject(null)",
                                 "Site::OnUIDeactivate", "Site::OnInPlaceDeactivate"}));
    EXPECT_EQ(site.m_frame.Active(), nullptr);
    EXPECT_EQ(site.Refs(), 2);
    EXPECT_EQ(site.m_frame.Refs(), 1);
    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(site.Refs(), 1);
}

// Taking the site away deactivates; a refusing or incomplete site gets no activation.
TEST_F(SiteTest, SiteRemovalAndRefusedActivation) {
    CMockSite site(m_window);
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    ASSERT_EQ(object->SetClientSite(site.ClientSite()), S_OK);
    ASSERT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, site.ClientSite(), 0, m_window, &site.m_pos),
              S_OK);
    site.log.clear();
    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(site.log, CallLog{"Site::OnInPlaceDeactivate"});
    EXPECT_EQ(site.Refs(), 1);
    EXPECT_EQ(site.m_frame.Refs(), 1);
    EXPECT_EQ(site.m_doc.Refs(), 1);

    CMockSite refusing(m_window);
    refusing.m_canInPlaceActivate = S_FALSE;
    ASSERT_EQ(object->SetClientSite(refusing.ClientSite()), S_OK);
    EXPECT_TRUE(FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, refusing.ClientSite(), 0,
                                      m_window, &refusing.m_pos)));
    EXPECT_EQ(refusing.log, CallLog{"Site::CanInPlaceActivate"});
    EXPECT_EQ(refusing.Refs(), 2) << "only the client site reference";
    HWND hwnd = nullptr;
    EXPECT_EQ(As<IOleInPlaceObject>(m_control.Get(), IID_IOleInPlaceObject)->GetWindow(&hwnd),
              E_FAIL);

    CMockSite plain(m_window);
    plain.m_offerInPlace = false;
    ASSERT_EQ(object->SetClientSite(plain.ClientSite()), S_OK);
    EXPECT_EQ(refusing.Refs(), 1) << "the old site is released";
    EXPECT_TRUE(FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, plain.ClientSite(), 0,
                                      m_window, &plain.m_pos)));
    EXPECT_EQ(plain.log, CallLog{});
    EXPECT_EQ(plain.Refs(), 2);
    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(plain.Refs(), 1);
}

// A site that cannot give its window gets its OnInPlaceActivate balanced; one without a
// window context still gets the control at the rectangle of the verb.
TEST_F(SiteTest, ActivationWithoutWindowOrContext) {
    CMockSite site(m_window);
    site.m_getWindow = E_NOTIMPL;
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    ASSERT_EQ(object->SetClientSite(site.ClientSite()), S_OK);
    EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.ClientSite(), 0, m_window,
                             &site.m_pos),
              E_NOTIMPL);
    EXPECT_EQ(site.log, (CallLog{"Site::CanInPlaceActivate", "Site::OnInPlaceActivate",
                                 "Site::GetWindow", "Site::OnInPlaceDeactivate"}));
    EXPECT_EQ(site.Refs(), 2);

    site.log.clear();
    site.m_getWindow = S_OK;
    site.m_getWindowContext = E_NOTIMPL;
    const RECT verbRect = {5, 6, 55, 46};
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.ClientSite(), 0, m_window,
                             &verbRect),
              S_OK);
    EXPECT_EQ(site.log, (CallLog{"Site::CanInPlaceActivate", "Site::OnInPlaceActivate",
                                 "Site::GetWindow", "Site::GetWindowContext"}));
    HWND hwnd = nullptr;
    ASSERT_EQ(As<IOleInPlaceObject>(m_control.Get(), IID_IOleInPlaceObject)->GetWindow(&hwnd),
              S_OK);
    EXPECT_TRUE(SameRect(ChildRect(hwnd), verbRect));
    EXPECT_EQ(site.m_frame.Refs() + site.m_doc.Refs(), 2) << "no frame was handed out";
    // UI activation with no frame or document window tells only the site.
    site.log.clear();
    ASSERT_EQ(
        object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site.ClientSite(), 0, m_window, &verbRect),
        S_OK);
    EXPECT_EQ(site.log, CallLog{"Site::OnUIActivate"});
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(site.Refs(), 1);
}

// The control's last release while active in place lets go of everything it holds.
TEST_F(SiteTest, LastReleaseWhileActiveReleasesTheContainer) {
    CMockSite site(m_window);
    HWND hwnd = nullptr;
    {
        auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
        ASSERT_EQ(object->SetClientSite(site.ClientSite()), S_OK);
        ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.ClientSite(), 0, m_window,
                                 &site.m_pos),
                  S_OK);
        ASSERT_EQ(As<IOleInPlaceObject>(m_control.Get(), IID_IOleInPlaceObject)->GetWindow(&hwnd),
                  S_OK);
    }
    EXPECT_EQ(ReleaseControl(), 0u);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(site.Refs(), 1);
    EXPECT_EQ(site.m_frame.Refs(), 1);
    EXPECT_EQ(site.m_doc.Refs(), 1);
}

// Hide and show keep the control active; unknown verbs answer by their sign; the
// Properties verb goes to the container's own property frame first.
TEST_F(SiteTest, Verbs) {
    CMockSite site(m_window);
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    ASSERT_EQ(object->SetClientSite(site.ClientSite()), S_OK);
    ASSERT_EQ(
        object->DoVerb(OLEIVERB_PRIMARY, nullptr, site.ClientSite(), 0, m_window, &site.m_pos),
        S_OK);
    HWND hwnd = nullptr;
    auto inPlace = As<IOleInPlaceObject>(m_control.Get(), IID_IOleInPlaceObject);
    ASSERT_EQ(inPlace->GetWindow(&hwnd), S_OK);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    ASSERT_EQ(object->DoVerb(OLEIVERB_HIDE, nullptr, site.ClientSite(), 0, m_window, nullptr),
              S_OK);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    ASSERT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, site.ClientSite(), 0, m_window, nullptr),
              S_OK);
    EXPECT_TRUE(IsWindowVisible(hwnd));

    site.log.clear();
    EXPECT_EQ(object->DoVerb(1, nullptr, site.ClientSite(), 0, m_window, nullptr),
              OLEOBJ_S_INVALIDVERB);
    EXPECT_EQ(object->DoVerb(-99, nullptr, site.ClientSite(), 0, m_window, nullptr), E_NOTIMPL);
    EXPECT_EQ(site.log, CallLog{});
    EXPECT_EQ(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, site.ClientSite(), 0, m_window, nullptr),
              S_OK);
    EXPECT_EQ(site.log, CallLog{"Site::ShowPropertyFrame"});

    // Rectangles move the window.
    const RECT moved = {30, 40, 90, 100};
    ASSERT_EQ(inPlace->SetObjectRects(&moved, &site.m_clip), S_OK);
    EXPECT_TRUE(SameRect(ChildRect(hwnd), moved));
    EXPECT_EQ(inPlace->SetObjectRects(nullptr, nullptr), E_POINTER);

    auto active = As<IOleInPlaceActiveObject>(m_control.Get(), IID_IOleInPlaceActiveObject);
    MSG msg = {hwnd, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_EQ(active->TranslateAccelerator(&msg), S_FALSE);
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(IsWindow(hwnd));
    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(site.Refs(), 1);
}

// One verb, Properties, on the container menu; the enumerator's cursor rules.
TEST_F(SiteTest, EnumVerbsListsOnlyProperties) {
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    const long objects = COleControlModule::Objects();
    CComRef<IEnumOLEVERB> verbs;
    ASSERT_EQ(object->EnumVerbs(verbs.Put()), S_OK);
    EXPECT_EQ(COleControlModule::Objects(), objects + 1) << "the enumerator counts";
    EXPECT_EQ(RefsOf(verbs.Get()), 1u);

    OLEVERB got[2] = {};
    ULONG fetched = 7;
    EXPECT_EQ(verbs->Next(0, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(verbs->Next(2, got, nullptr), E_POINTER);
    EXPECT_EQ(verbs->Next(2, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(got[0].lVerb, OLEIVERB_PROPERTIES);
    ASSERT_NE(got[0].lpszVerbName, nullptr);
    EXPECT_GT(lstrlenW(got[0].lpszVerbName), 0);
    EXPECT_EQ(got[0].fuFlags, static_cast<DWORD>(MF_ENABLED));
    EXPECT_EQ(got[0].grfAttribs, static_cast<DWORD>(OLEVERBATTRIB_ONCONTAINERMENU));
    CoTaskMemFree(got[0].lpszVerbName);
    EXPECT_EQ(verbs->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);

    // Clone keeps the cursor; Reset and Skip move it.
    CComRef<IEnumOLEVERB> clone;
    ASSERT_EQ(verbs->Clone(clone.Put()), S_OK);
    EXPECT_EQ(clone->Next(1, got, nullptr), S_FALSE);
    EXPECT_EQ(verbs->Reset(), S_OK);
    EXPECT_EQ(verbs->Skip(0), S_OK);
    ASSERT_EQ(verbs->Clone(clone.Put()), S_OK);
    ASSERT_EQ(clone->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0].lVerb, OLEIVERB_PROPERTIES);
    CoTaskMemFree(got[0].lpszVerbName);
    EXPECT_EQ(verbs->Skip(1), S_OK);
    EXPECT_EQ(verbs->Next(1, got, nullptr), S_FALSE);
    EXPECT_EQ(verbs->Reset(), S_OK);
    EXPECT_EQ(verbs->Skip(2), S_FALSE);
    EXPECT_EQ(verbs->Next(1, got, nullptr), S_FALSE);
    EXPECT_EQ(object->EnumVerbs(nullptr), E_POINTER);
    clone.Reset();
    verbs.Reset();
    EXPECT_EQ(COleControlModule::Objects(), objects);
}

// Extents in HIMETRIC for the content aspect only; the view sink hears of changes.
TEST_F(SiteTest, ExtentAndViewAdvise) {
    CMockSite site(m_window);
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    auto view = As<IViewObject2>(m_control.Get(), IID_IViewObject2);
    SIZEL extent = {};
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_GT(extent.cx, 0);
    EXPECT_GT(extent.cy, 0);
    SIZEL bad = {0, 100};
    EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, &bad), E_INVALIDARG);
    bad = {100, -1};
    EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, &bad), E_INVALIDARG);
    SIZEL icon = {500, 500};
    EXPECT_EQ(object->SetExtent(DVASPECT_ICON, &icon), DV_E_DVASPECT);
    EXPECT_EQ(object->GetExtent(DVASPECT_ICON, &icon), DV_E_DVASPECT);
    EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, nullptr), E_POINTER);
    SIZEL after = {};
    ASSERT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &after), S_OK);
    EXPECT_EQ(after.cx, extent.cx) << "refused extents change nothing";
    EXPECT_EQ(after.cy, extent.cy);

    ASSERT_EQ(view->SetAdvise(DVASPECT_CONTENT, 0, static_cast<IAdviseSink*>(&site)), S_OK);
    EXPECT_EQ(site.Refs(), 2);
    SIZEL next = {1234, 567};
    ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &next), S_OK);
    EXPECT_EQ(site.m_viewChanges, 1);
    ASSERT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &after), S_OK);
    EXPECT_EQ(after.cx, 1234);
    EXPECT_EQ(after.cy, 567);
    {
        DWORD aspects = 0, advf = 9;
        CComRef<IAdviseSink> sink;
        ASSERT_EQ(view->GetAdvise(&aspects, &advf, sink.Put()), S_OK);
        EXPECT_EQ(aspects, static_cast<DWORD>(DVASPECT_CONTENT));
        EXPECT_EQ(advf, 0u);
        EXPECT_EQ(sink.Get(), static_cast<IAdviseSink*>(&site));
        EXPECT_EQ(site.Refs(), 3);
    }
    // A sink for another aspect hears nothing.
    ASSERT_EQ(view->SetAdvise(DVASPECT_ICON, 0, static_cast<IAdviseSink*>(&site)), S_OK);
    EXPECT_EQ(site.Refs(), 2);
    ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(site.m_viewChanges, 1);
    ASSERT_EQ(view->SetAdvise(DVASPECT_CONTENT, 0, nullptr), S_OK);
    EXPECT_EQ(site.Refs(), 1);
}

// IOleObject's own advise holder: Close tells every sink once, after deactivating.
TEST_F(SiteTest, CloseNotifiesAdviseSinks) {
    CMockSite site(m_window);
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    EXPECT_EQ(object->Unadvise(1), OLE_E_NOCONNECTION);
    DWORD cookie = 0;
    ASSERT_EQ(object->Advise(static_cast<IAdviseSink*>(&site), &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(site.Refs(), 2);
    ASSERT_EQ(object->SetClientSite(site.ClientSite()), S_OK);
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.ClientSite(), 0, m_window,
                             &site.m_pos),
              S_OK);
    site.log.clear();
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(site.log, (CallLog{"Site::OnInPlaceDeactivate", "Site::OnClose"}));
    EXPECT_EQ(site.m_closes, 1);
    ASSERT_EQ(object->Unadvise(cookie), S_OK);
    EXPECT_EQ(object->Unadvise(cookie), OLE_E_NOCONNECTION);
    EXPECT_EQ(site.Refs(), 2) << "only the client site reference";
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(site.m_closes, 1);
    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(site.Refs(), 1);
}

// A 32-bit top-down DIB section in a memory DC, filled with one colour.
class CMemoryCanvas {
public:
    CMemoryCanvas(int width, int height, uint32_t fill) : m_width(width) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        std::fill(Pixels(), Pixels() + width * height, fill);
    }
    ~CMemoryCanvas() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    CMemoryCanvas(const CMemoryCanvas&) = delete;
    CMemoryCanvas& operator=(const CMemoryCanvas&) = delete;

    bool Valid() const { return m_bits != nullptr; }
    HDC Dc() const { return m_dc; }
    uint32_t At(int x, int y) const {
        GdiFlush();
        return Pixels()[y * m_width + x] & 0x00FFFFFF;
    }

private:
    uint32_t* Pixels() const { return static_cast<uint32_t*>(m_bits); }
    int m_width;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    void* m_bits = nullptr;
};

// The picture stays inside the bounds it is given; other aspects are not drawn.
TEST_F(SiteTest, DrawPaintsOnlyInsideItsBounds) {
    auto view = As<IViewObject2>(m_control.Get(), IID_IViewObject2);
    CMemoryCanvas canvas(60, 40, 0x00123456);
    ASSERT_TRUE(canvas.Valid());
    SelectObject(canvas.Dc(), GetStockObject(BLACK_PEN));
    SelectObject(canvas.Dc(), GetStockObject(NULL_BRUSH));
    const RECTL bounds = {10, 5, 50, 35};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), &bounds,
                         nullptr, nullptr, 0),
              S_OK);
    EXPECT_EQ(canvas.At(9, 20), 0x123456u) << "left of the bounds";
    EXPECT_EQ(canvas.At(50, 20), 0x123456u) << "right of the bounds";
    EXPECT_EQ(canvas.At(30, 4), 0x123456u) << "above the bounds";
    EXPECT_EQ(canvas.At(30, 35), 0x123456u) << "below the bounds";
    EXPECT_EQ(canvas.At(10, 5), 0xFFFFFFu) << "corner: white background";
    EXPECT_EQ(canvas.At(49, 34), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(30, 20), 0xFFFFFFu) << "inside the hollow ellipse";
    EXPECT_EQ(canvas.At(30, 5), 0x000000u) << "the ellipse touches the top edge";
    EXPECT_EQ(canvas.At(10, 20), 0x000000u) << "and the left edge";

    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, canvas.Dc(), &bounds,
                         nullptr, nullptr, 0),
              DV_E_DVASPECT);
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr, &bounds, nullptr,
                         nullptr, 0),
              E_INVALIDARG);
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), nullptr,
                         nullptr, nullptr, 0),
              E_INVALIDARG);
}

// The in-place window paints the same picture over its client area.
TEST_F(SiteTest, InPlaceWindowPaintsThePicture) {
    CMockSite site(m_window);
    site.m_pos = {0, 0, 80, 40};
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    ASSERT_EQ(object->SetClientSite(site.ClientSite()), S_OK);
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.ClientSite(), 0, m_window,
                             &site.m_pos),
              S_OK);
    HWND hwnd = nullptr;
    ASSERT_EQ(As<IOleInPlaceObject>(m_control.Get(), IID_IOleInPlaceObject)->GetWindow(&hwnd),
              S_OK);
    SetForegroundWindow(m_window);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    comtest::PumpUntil([] { return false; }, 100);

    CMemoryCanvas canvas(80, 40, 0x00123456);
    ASSERT_TRUE(canvas.Valid());
    const HDC windowDc = GetDC(hwnd);
    ASSERT_NE(windowDc, nullptr);
    BitBlt(canvas.Dc(), 0, 0, 80, 40, windowDc, 0, 0, SRCCOPY);
    ReleaseDC(hwnd, windowDc);
    EXPECT_EQ(canvas.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(79, 39), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(40, 0), 0x000000u) << "ellipse with the default black pen";
    EXPECT_EQ(canvas.At(40, 20), 0xFFFFFFu) << "default white brush inside";

    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
}

// IOleControl's answers for a control without mnemonics.
TEST_F(SiteTest, ControlInfoHasNoAccelerators) {
    auto control = As<IOleControl>(m_control.Get(), IID_IOleControl);
    CONTROLINFO info;
    std::memset(&info, 0xCC, sizeof(info));
    ASSERT_EQ(control->GetControlInfo(&info), S_OK);
    EXPECT_EQ(info.cb, sizeof(CONTROLINFO));
    EXPECT_EQ(info.hAccel, nullptr);
    EXPECT_EQ(info.cAccel, 0);
    EXPECT_EQ(control->GetControlInfo(nullptr), E_POINTER);
    auto classInfo = As<IProvideClassInfo2>(m_control.Get(), IID_IProvideClassInfo2);
    GUID guid = GUID_NULL;
    ASSERT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid), S_OK);
    EXPECT_TRUE(IsEqualGUID(guid, DIID__DVorn_305qEvents));
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID + 1, &guid), E_INVALIDARG);
    CLSID clsid = GUID_NULL;
    ASSERT_EQ(As<IOleObject>(m_control.Get(), IID_IOleObject)->GetUserClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Vorn_305q));
    LPOLESTR userType = nullptr;
    ASSERT_EQ(
        As<IOleObject>(m_control.Get(), IID_IOleObject)->GetUserType(USERCLASSTYPE_FULL, &userType),
        S_OK);
    ASSERT_NE(userType, nullptr);
    EXPECT_STREQ(userType, L"Vorn_305q Control");
    CoTaskMemFree(userType);
}

}  // namespace
