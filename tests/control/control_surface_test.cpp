// What a container sees of the control besides its methods: its interfaces, persisted
// state, property pages, the connection point container and its drawing.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include "control_fixture.h"
#include "vorn_305q_ctrl.h"
#include "vorn_305q_ids.h"
#include "vorn_305q_ppg.h"

using namespace comtest;
using namespace controltest;

namespace {

struct WatchdogInstaller {
    WatchdogInstaller() { Watchdog::Install(30000); }
} g_watchdog;

using ControlSurfaceTest = ControlTest;

template <typename I>
CComRef<I> As(IUnknown* object, REFIID iid) {
    CComRef<I> p;
    EXPECT_EQ(object->QueryInterface(iid, p.PutVoid()), S_OK);
    return p;
}

TEST_F(ControlSurfaceTest, InterfacesShareOneIdentity) {
    const IID iidObjectSafety = {// a web page must not be able to drive the machine
                                 0xCB5BDC81,
                                 0x93C1,
                                 0x11CF,
                                 {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};
    const struct {
        const IID* iid;
        HRESULT expected;
    } rows[] = {{&IID_IDispatch, S_OK},
                {&DIID__DVorn_305q, S_OK},
                {&IID_IConnectionPointContainer, S_OK},
                {&IID_IProvideClassInfo2, S_OK},
                {&IID_IOleObject, S_OK},
                {&IID_IOleInPlaceObject, S_OK},
                {&IID_IOleInPlaceActiveObject, S_OK},
                {&IID_IOleControl, S_OK},
                {&IID_IPersistStreamInit, S_OK},
                {&IID_IViewObject2, S_OK},
                {&IID_ISpecifyPropertyPages, S_OK},
                {&iidObjectSafety, E_NOINTERFACE},
                {&DIID__DVorn_305qEvents, E_NOINTERFACE}};
    CComRef<IUnknown> identity = As<IUnknown>(m_control.Get(), IID_IUnknown);
    for (const auto& row : rows) {
        CComRef<IUnknown> p, back;
        ASSERT_EQ(m_control->QueryInterface(*row.iid, p.PutVoid()), row.expected);
        if (row.expected != S_OK) continue;
        ASSERT_EQ(p->QueryInterface(IID_IUnknown, back.PutVoid()), S_OK);
        EXPECT_EQ(back.Get(), identity.Get());
    }
    CComRef<IOleObject> object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    DWORD status = 0;
    ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 0x20091u);
    CComRef<ITypeInfo> info;
    EXPECT_EQ(m_control->GetTypeInfo(1, 0, info.Put()), DISP_E_BADINDEX);
}

TEST_F(ControlSurfaceTest, OnlyDispatchSinksConnectToTheOnlyEventPoint) {
    auto container = As<IConnectionPointContainer>(m_control.Get(), IID_IConnectionPointContainer);
    CComRef<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, point.Put()),
              CONNECT_E_NOCONNECTION);
    CComRef<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(points.Put()), S_OK);
    IConnectionPoint* got[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(2, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    point = CComRef<IConnectionPoint>::Attach(got[0]);
    IID iid = IID_NULL;
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, DIID__DVorn_305qEvents));

    CComRef<IStream> notASink;
    CreateStreamOnHGlobal(nullptr, TRUE, notASink.Put());
    DWORD cookie = 1;
    EXPECT_EQ(point->Advise(notASink.Get(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(point->Unadvise(0x7777), CONNECT_E_NOCONNECTION);
}

CComRef<IStream> StreamOf(const std::vector<BYTE>& bytes) {
    CComRef<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return stream;
}

std::vector<BYTE> Words(std::initializer_list<uint32_t> words) {
    std::vector<BYTE> bytes;
    for (uint32_t w : words) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<BYTE>(w >> (8 * i)));
    }
    return bytes;
}

// The state is version 1.0, the extent and a mask of 0; damaged state changes nothing.
TEST_F(ControlSurfaceTest, PersistedStateRoundTripsAndIsBoundsChecked) {
    auto persist = As<IPersistStreamInit>(m_control.Get(), IID_IPersistStreamInit);
    auto object = As<IOleObject>(m_control.Get(), IID_IOleObject);
    ASSERT_EQ(persist->InitNew(), S_OK);
    const std::vector<BYTE> state = Words({0x00010000, 3000, 2000, 0});
    std::vector<BYTE> bytes = state;
    bytes.push_back(0xEE);  // the container's next data
    CComRef<IStream> in = StreamOf(bytes);
    ASSERT_EQ(persist->Load(in.Get()), S_OK);
    ULARGE_INTEGER position = {};
    in->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position);
    EXPECT_EQ(position.QuadPart, state.size()) << "read past its own state";
    CComRef<IStream> out = StreamOf({});
    ASSERT_EQ(persist->Save(out.Get(), TRUE), S_OK);
    bytes.assign(state.size() + 1, 0);
    ULONG read = 0;
    out->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    out->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    EXPECT_EQ(bytes, state);
    ULARGE_INTEGER size = {};
    ASSERT_EQ(persist->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, state.size());

    std::vector<BYTE> fifteen = state;
    fifteen.pop_back();
    const struct {
        const char* what;
        std::vector<BYTE> bytes;
        HRESULT expected;
    } rows[] = {
        {"empty", {}, STG_E_READFAULT},
        {"version only", Words({0x00010000}), STG_E_READFAULT},
        {"no mask", Words({0x00010000, 3000, 2000}), STG_E_READFAULT},
        {"one byte short", fifteen, STG_E_READFAULT},
        {"newer minor version", Words({0x00010001, 3000, 2000, 0}), E_FAIL},
        {"newer major version", Words({0x00020000, 3000, 2000, 0}), E_FAIL},
        {"zero width", Words({0x00010000, 0, 2000, 0}), S_OK},
        {"negative extent", Words({0x00010000, 0xFFFFFFFB, 0xFFFFFFFB, 0}), S_OK},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SIZEL extent = {1234, 567};
        ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
        const HRESULT hr = persist->Load(StreamOf(row.bytes).Get());
        EXPECT_TRUE(row.expected == E_FAIL ? FAILED(hr) : hr == row.expected) << hr;
        object->GetExtent(DVASPECT_CONTENT, &extent);
        EXPECT_EQ(extent.cx * 10000 + extent.cy, 1234 * 10000 + 567);
    }
}

TEST_F(ControlSurfaceTest, EveryCallGetsItsOwnPageList) {
    auto specify = As<ISpecifyPropertyPages>(m_control.Get(), IID_ISpecifyPropertyPages);
    CAUUID first = {}, second = {};
    ASSERT_EQ(specify->GetPages(&first), S_OK);
    ASSERT_EQ(specify->GetPages(&second), S_OK);
    ASSERT_EQ(first.cElems + second.cElems, 2u);
    EXPECT_TRUE(IsEqualCLSID(first.pElems[0], CLSID_Vorn_305qPropPage));
    EXPECT_TRUE(IsEqualCLSID(second.pElems[0], CLSID_Vorn_305qPropPage));
    EXPECT_NE(first.pElems, second.pElems);  // both are the caller's to free
    CoTaskMemFree(first.pElems);
    CoTaskMemFree(second.pElems);
}

// A white rectangle, then an ellipse with the caller's pen and brush.
TEST_F(ControlSurfaceTest, Draws) {
    auto view = As<IViewObject2>(m_control.Get(), IID_IViewObject2);
    constexpr int kWidth = 40, kHeight = 20;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(info.bmiHeader), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    auto* const pixels = static_cast<uint32_t*>(bits);
    std::fill(pixels, pixels + kWidth * kHeight, 0x00FF0000u);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(GRAY_BRUSH));
    const RECTL bounds = {0, 0, kWidth, kHeight};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr,
                         nullptr, 0),
              S_OK);
    GdiFlush();
    auto at = [&](int x, int y) { return pixels[y * kWidth + x] & 0x00FFFFFF; };
    EXPECT_EQ(at(0, 0), 0xFFFFFFu);
    EXPECT_EQ(at(kWidth - 1, kHeight - 1), 0xFFFFFFu);
    EXPECT_EQ(at(kWidth / 2, 0), 0x000000u);
    EXPECT_EQ(at(kWidth / 2, kHeight / 2), 0x808080u);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace

namespace {

// The factories make the control and its property page by their runtime classes; an object
// so made is a whole COM object of its class, released by its last reference.
TEST(ControlRuntimeClass, ControlAndPageAreCreatedByClass) {
    auto control = CreateObjectAs<CVorn_305qCtrl>(&CVorn_305qCtrl::classCVorn_305qCtrl);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->IsKindOf(&CObject::classCObject));
    EXPECT_EQ(control->GetRuntimeClass(), &CVorn_305qCtrl::classCVorn_305qCtrl);
    const auto controlRef = CComRef<CVorn_305qCtrl>::Attach(control.release());
    CComRef<IDispatch> dispatch;
    EXPECT_EQ(controlRef->QueryInterface(DIID__DVorn_305q, dispatch.PutVoid()), S_OK);

    auto page = CreateObjectAs<CVorn_305qPropPage>(&CVorn_305qPropPage::classCVorn_305qPropPage);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->IsKindOf(&CVorn_305qCtrl::classCVorn_305qCtrl));
    const auto pageRef = CComRef<CVorn_305qPropPage>::Attach(page.release());
    CComRef<IPropertyPage> propertyPage;
    EXPECT_EQ(pageRef->QueryInterface(IID_IPropertyPage, propertyPage.PutVoid()), S_OK);
}

}  // namespace
