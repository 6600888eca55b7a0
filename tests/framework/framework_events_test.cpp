// The control's outgoing side and its factory: the connection point container, the
// connection point's references and cookies, the connection and connection point
// enumerators, frozen events, the class factory, and the framework's own container
// (window wrapper, control site, event sink) hosting the control.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <set>

#include "event_sink.h"
#include "framework_fixture.h"
#include "control_wnd.h"

using namespace frameworktest;
using comtest::CRecordingSink;

namespace {

struct WatchdogInstaller {
    WatchdogInstaller() { comtest::Watchdog::Install(30000); }
} g_watchdog;

constexpr DWORD kTimeoutMs = 5000;
enum : DISPID { kInitCard = 1, kCloseCard = 2, kGetCardCount = 5 };

class EventsTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        m_container = As<IConnectionPointContainer>(m_control.Get(), IID_IConnectionPointContainer);
    }
    void TearDown() override {
        m_container.Reset();
        FrameworkTest::TearDown();
    }
    CComRef<IConnectionPoint> Point() {
        CComRef<IConnectionPoint> point;
        EXPECT_EQ(m_container->FindConnectionPoint(DIID__DVorn_305qEvents, point.Put()), S_OK);
        return point;
    }
    HRESULT Invoke(DISPID id, long* value = nullptr) {
        CComRef<IDispatch> dispatch = As<IDispatch>(m_control.Get(), IID_IDispatch);
        comtest::Args args = id == kInitCard ? comtest::Args{comtest::I2(0)} : comtest::Args{};
        VARIANT result;
        VariantInit(&result);
        const HRESULT hr = comtest::Call(dispatch.Get(), id, args, &result);
        if (value != nullptr) *value = V_VT(&result) == VT_I2 ? V_I2(&result) : -12345;
        VariantClear(&result);
        return hr;
    }
    // One interrupt with X's status word, then until the wait thread is back waiting,
    // every message it sent handled.
    static bool InterruptX(uint16_t word) {
        const long served = vornsim::GetCounters().interruptsServed;
        vornsim::InjectStatus(0, 0, word);
        vornsim::RaiseInterrupt(0);
        return comtest::PumpUntil(
            [&] {
                return vornsim::GetCounters().interruptsServed > served &&
                       vornsim::WaitForPendingWaits(0, 1, 0);
            },
            kTimeoutMs);
    }

    CComRef<IConnectionPointContainer> m_container;
};

// The point's references are the control's; each sink is held once per connection.
TEST_F(EventsTest, ConnectionPointReferencesAndCookies) {
    const ULONG controlRefs = RefsOf(m_control.Get());
    CComRef<IConnectionPoint> point = Point();
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs + 1);
    {
        CComRef<IConnectionPointContainer> back;
        ASSERT_EQ(point->GetConnectionPointContainer(back.Put()), S_OK);
        EXPECT_EQ(back.Get(), m_container.Get());
        EXPECT_EQ(RefsOf(m_control.Get()), controlRefs + 2);
        IID iid = IID_NULL;
        ASSERT_EQ(point->GetConnectionInterface(&iid), S_OK);
        EXPECT_TRUE(IsEqualIID(iid, DIID__DVorn_305qEvents));
    }
    {
        // The point is an object of its own: it answers only its interface.
        CComRef<IConnectionPoint> same;
        ASSERT_EQ(point->QueryInterface(IID_IConnectionPoint, same.PutVoid()), S_OK);
        EXPECT_EQ(same.Get(), point.Get());
        CComRef<IUnknown> unknown, container;
        EXPECT_EQ(point->QueryInterface(IID_IUnknown, unknown.PutVoid()), S_OK);
        EXPECT_EQ(point->QueryInterface(IID_IConnectionPointContainer, container.PutVoid()),
                  E_NOINTERFACE);
        EXPECT_EQ(container.Get(), nullptr);
        EXPECT_EQ(point->QueryInterface(IID_IConnectionPoint, nullptr), E_POINTER);
        EXPECT_EQ(RefsOf(m_control.Get()), controlRefs + 3);
    }
    CComRef<IConnectionPoint> again;
    EXPECT_EQ(m_container->FindConnectionPoint(IID_IDispatch, again.Put()), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(again.Get(), nullptr);
    EXPECT_EQ(m_container->FindConnectionPoint(DIID__DVorn_305qEvents, nullptr), E_POINTER);

    CRecordingSink a(DIID__DVorn_305qEvents), b(DIID__DVorn_305qEvents);
    DWORD cookieA = 0, cookieB = 0, cookieA2 = 0;
    ASSERT_EQ(point->Advise(&a, &cookieA), S_OK);
    ASSERT_EQ(point->Advise(&b, &cookieB), S_OK);
    ASSERT_EQ(point->Advise(&a, &cookieA2), S_OK);  // twice: two connections
    EXPECT_EQ(std::set<DWORD>({cookieA, cookieB, cookieA2, 0}).size(), 4u);
    EXPECT_EQ(a.Refs(), 2);
    EXPECT_EQ(b.Refs(), 1);
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs + 1) << "sinks do not hold the control";

    DWORD cookie = 77;
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(point->Advise(&a, nullptr), E_POINTER);
    EXPECT_EQ(a.Refs(), 2);
    CRecordingSink stranger(IID_IStream);  // answers IDispatch, so plain sinks connect
    ASSERT_EQ(point->Advise(&stranger, &cookie), S_OK);
    EXPECT_EQ(stranger.Refs(), 1);
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(stranger.Refs(), 0);

    EXPECT_EQ(point->Unadvise(cookieA), S_OK);
    EXPECT_EQ(a.Refs(), 1);
    EXPECT_EQ(point->Unadvise(cookieA), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(0), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(cookieB), S_OK);
    EXPECT_EQ(point->Unadvise(cookieA2), S_OK);
    EXPECT_EQ(a.Refs() + b.Refs(), 0);
    point.Reset();
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs);
}

// A snapshot of the connections: Next hands out new references, Skip and Reset move the
// cursor, Clone copies it; the snapshot holds its sinks and the control.
TEST_F(EventsTest, EnumConnectionsEdgeCases) {
    CComRef<IConnectionPoint> point = Point();
    CRecordingSink s1(DIID__DVorn_305qEvents), s2(DIID__DVorn_305qEvents),
        s3(DIID__DVorn_305qEvents);
    DWORD c1 = 0, c2 = 0, c3 = 0;
    ASSERT_EQ(point->Advise(&s1, &c1), S_OK);
    ASSERT_EQ(point->Advise(&s2, &c2), S_OK);
    ASSERT_EQ(point->Advise(&s3, &c3), S_OK);
    const ULONG controlRefs = RefsOf(m_control.Get());

    CComRef<IEnumConnections> e;
    ASSERT_EQ(point->EnumConnections(e.Put()), S_OK);
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs + 1) << "the enumerator holds the control";
    EXPECT_EQ(s1.Refs() + s2.Refs() + s3.Refs(), 6) << "and each sink";
    EXPECT_EQ(point->EnumConnections(nullptr), E_POINTER);

    CONNECTDATA got[4] = {};
    ULONG fetched = 9;
    EXPECT_EQ(e->Next(0, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(e->Next(2, got, nullptr), E_POINTER);
    ASSERT_EQ(e->Next(1, got, nullptr), S_OK);  // one item needs no count
    EXPECT_EQ(got[0].dwCookie, c1);
    EXPECT_EQ(s1.Refs(), 3) << "Next hands out a reference";
    got[0].pUnk->Release();
    ASSERT_EQ(e->Next(4, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(got[0].dwCookie, c2);
    EXPECT_EQ(got[1].dwCookie, c3);
    EXPECT_TRUE(SameObjectAs(got[1].pUnk, &s3));
    got[0].pUnk->Release();
    got[1].pUnk->Release();
    EXPECT_EQ(e->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);

    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(2), S_OK);
    CComRef<IEnumConnections> clone;
    ASSERT_EQ(e->Clone(clone.Put()), S_OK);
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs + 2);
    EXPECT_EQ(s3.Refs(), 3);
    ASSERT_EQ(clone->Next(1, got, &fetched), S_OK);
    EXPECT_EQ(got[0].dwCookie, c3) << "the clone starts at the original's cursor";
    got[0].pUnk->Release();
    EXPECT_EQ(e->Skip(2), S_FALSE) << "only one left";
    EXPECT_EQ(e->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(e->Skip(0), S_OK);
    EXPECT_EQ(e->Clone(nullptr), E_POINTER);

    // Unadvising does not change a snapshot, and the sink stays alive in it.
    ASSERT_EQ(point->Unadvise(c2), S_OK);
    EXPECT_EQ(s2.Refs(), 2);
    EXPECT_EQ(clone->Reset(), S_OK);
    ASSERT_EQ(clone->Next(3, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 3u);
    EXPECT_EQ(got[1].dwCookie, c2);
    for (ULONG i = 0; i < fetched; ++i) got[i].pUnk->Release();
    clone.Reset();
    e.Reset();
    EXPECT_EQ(s2.Refs(), 0);
    EXPECT_EQ(s1.Refs() + s3.Refs(), 2);
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs);
    ASSERT_EQ(point->EnumConnections(e.Put()), S_OK);
    ASSERT_EQ(e->Next(3, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u) << "a new snapshot sees the unadvise";
    for (ULONG i = 0; i < fetched; ++i) got[i].pUnk->Release();
    e.Reset();
    point->Unadvise(c1);
    point->Unadvise(c3);
    EXPECT_EQ(s1.Refs() + s3.Refs(), 0);
}

TEST_F(EventsTest, EnumConnectionPointsHasTheOnePoint) {
    const ULONG controlRefs = RefsOf(m_control.Get());
    CComRef<IEnumConnectionPoints> e;
    ASSERT_EQ(m_container->EnumConnectionPoints(e.Put()), S_OK);
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs + 2) << "the enumerator and its item";
    EXPECT_EQ(m_container->EnumConnectionPoints(nullptr), E_POINTER);
    IConnectionPoint* got[2] = {};
    ULONG fetched = 5;
    EXPECT_EQ(e->Next(2, got, nullptr), E_POINTER);
    ASSERT_EQ(e->Next(2, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    CComRef<IConnectionPoint> point = CComRef<IConnectionPoint>::Attach(got[0]);
    CComRef<IConnectionPoint> found = Point();
    EXPECT_EQ(point.Get(), found.Get());
    EXPECT_EQ(e->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(e->Skip(1), S_FALSE);
    EXPECT_EQ(e->Reset(), S_OK);
    CComRef<IEnumConnectionPoints> clone;
    ASSERT_EQ(e->Clone(clone.Put()), S_OK);
    EXPECT_EQ(e->Skip(1), S_OK);
    EXPECT_EQ(e->Next(1, got, nullptr), S_FALSE);
    ASSERT_EQ(clone->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0], point.Get());
    got[0]->Release();
    clone.Reset();
    e.Reset();
    point.Reset();
    found.Reset();
    EXPECT_EQ(RefsOf(m_control.Get()), controlRefs);
}

// Frozen events are dropped, not queued; freezing nests, and thawing more often than
// freezing does not freeze.
TEST_F(EventsTest, FreezeEventsDropsEventsUntilThawed) {
    CComRef<IConnectionPoint> point = Point();
    CRecordingSink sink(DIID__DVorn_305qEvents);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    long opened = -1;
    ASSERT_EQ(Invoke(kInitCard, &opened), S_OK);
    ASSERT_EQ(opened, 0);
    ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, kTimeoutMs)) << "no interrupt thread";
    auto control = As<IOleControl>(m_control.Get(), IID_IOleControl);

    ASSERT_TRUE(InterruptX(0x0001));
    ASSERT_EQ(sink.calls.size(), 1u) << "events flow before any freeze";
    EXPECT_EQ(control->FreezeEvents(TRUE), S_OK);
    ASSERT_TRUE(InterruptX(0x0002));
    EXPECT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(control->FreezeEvents(TRUE), S_OK);
    EXPECT_EQ(control->FreezeEvents(FALSE), S_OK);
    ASSERT_TRUE(InterruptX(0x0004));
    EXPECT_EQ(sink.calls.size(), 1u) << "one freeze is still in force";
    EXPECT_EQ(control->FreezeEvents(FALSE), S_OK);
    comtest::PumpUntil([] { return false; }, 50);
    EXPECT_EQ(sink.calls.size(), 1u) << "nothing was queued";
    ASSERT_TRUE(InterruptX(0x0008));
    ASSERT_EQ(sink.calls.size(), 2u);
    EXPECT_EQ(sink.calls[1].dispid, DISPID_FireInterrupt);
    EXPECT_EQ(sink.calls[1].types, (std::vector<VARTYPE>{VT_I4, VT_I2}));
    EXPECT_EQ(sink.calls[1].values, (std::vector<long>{0x0008, 0}));
    EXPECT_EQ(control->FreezeEvents(FALSE), S_OK);  // unmatched
    ASSERT_TRUE(InterruptX(0x0010));
    EXPECT_EQ(sink.calls.size(), 3u);

    EXPECT_EQ(Invoke(kCloseCard), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(sink.Refs(), 0);
    EXPECT_TRUE(m_messages.empty());
}

// The factory makes independent objects, refuses aggregation and keeps the module
// loaded while locked.
TEST_F(EventsTest, ClassFactory) {
    CComRef<IUnknown> outer(m_control.Get());
    void* aggregated = &outer;  // must be cleared
    EXPECT_EQ(m_factory->CreateInstance(outer.Get(), IID_IUnknown, &aggregated),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(aggregated, nullptr);
    CComRef<IUnknown> object;
    const long objects = COleControlModule::Objects();
    EXPECT_EQ(m_factory->CreateInstance(nullptr, IID_IStream, object.PutVoid()), E_NOINTERFACE);
    EXPECT_EQ(object.Get(), nullptr);
    EXPECT_EQ(COleControlModule::Objects(), objects) << "the refused object is gone";
    EXPECT_EQ(m_factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    ASSERT_EQ(m_factory->CreateInstance(nullptr, IID_IOleObject, object.PutVoid()), S_OK);
    EXPECT_NE(object.Get(), nullptr);
    EXPECT_FALSE(SameObjectAs(object.Get(), m_control.Get()));
    EXPECT_EQ(RefsOf(object.Get()), 1u);
    EXPECT_EQ(COleControlModule::Objects(), objects + 1);
    object.Reset();

    const long locks = COleControlModule::Locks() + 1;
    EXPECT_EQ(m_factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(COleControlModule::Locks(), locks);
    m_factory.Reset();
    EXPECT_FALSE(theApp.CanUnloadNow());
    CComRef<IClassFactory> factory;
    ASSERT_EQ(theApp.GetClassObject(CLSID_Vorn_305q, IID_IClassFactory, factory.PutVoid()), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(COleControlModule::Locks(), locks - 1);

    CComRef<IUnknown> none;
    EXPECT_EQ(theApp.GetClassObject(IID_IStream, IID_IClassFactory, none.PutVoid()),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(theApp.GetClassObject(CLSID_Vorn_305q, IID_IStream, none.PutVoid()), E_NOINTERFACE);
    EXPECT_EQ(none.Get(), nullptr);
}

// The framework's container hosts the control (found through the class object
// registered for this process) and receives its events through its own sink.
TEST_F(EventsTest, FrameworkContainerHostsTheControl) {
    DWORD registration = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_Vorn_305q, m_factory.Get(), CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &registration),
              S_OK);
    {
        CWnd parent;
        ASSERT_TRUE(parent.Create(L"STATIC", L"parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  RECT{0, 0, 300, 200}, nullptr, 0));
        CControlWnd control;
        EXPECT_FALSE(control.CreateControl(CLSID_Vorn_305q, L"card", WS_VISIBLE,
                                           RECT{5, 5, 105, 55}, nullptr, 77));
        ASSERT_TRUE(control.CreateControl(CLSID_Vorn_305q, L"card", WS_VISIBLE, RECT{5, 5, 105, 55},
                                          &parent, 77));
        const HWND hwnd = control.GetSafeHwnd();
        ASSERT_TRUE(IsWindow(hwnd));
        EXPECT_EQ(GetParent(hwnd), parent.GetSafeHwnd());
        EXPECT_EQ(control.GetDlgCtrlID(), 77);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_TRUE(SameRect(ChildRect(hwnd), RECT{5, 5, 105, 55}));
        EXPECT_TRUE(control.ShowWindow(SW_HIDE));
        EXPECT_FALSE(IsWindowVisible(hwnd));

        std::vector<std::pair<long, long>> events;  // axis, word
        CEventSink sink;
        ASSERT_EQ(sink.Connect(control.GetControlUnknown(),
                               [&](DISPID dispid, DISPPARAMS* params) {
                                   EXPECT_EQ(dispid, DISPID_FireInterrupt);
                                   VARIANT axis, word;
                                   VariantInit(&axis);
                                   VariantInit(&word);
                                   UINT argErr = 0;
                                   EXPECT_EQ(DispGetParam(params, 0, VT_I2, &axis, &argErr), S_OK);
                                   EXPECT_EQ(DispGetParam(params, 1, VT_I4, &word, &argErr), S_OK);
                                   events.emplace_back(V_I2(&axis), V_I4(&word));
                               }),
                  S_OK);
        EXPECT_TRUE(sink.IsConnected());
        short opened = -1;
        ASSERT_EQ(control.InvokeHelper(kInitCard, DISPATCH_METHOD, VT_I2, &opened,
                                       reinterpret_cast<const BYTE*>("\x02"), 0),
                  S_OK);
        ASSERT_EQ(opened, 0);
        ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, kTimeoutMs));
        ASSERT_TRUE(InterruptX(0x0040));
        EXPECT_EQ(events, (std::vector<std::pair<long, long>>{{0, 0x40}}));
        sink.Disconnect();
        EXPECT_FALSE(sink.IsConnected());
        ASSERT_TRUE(InterruptX(0x0040));
        EXPECT_EQ(events.size(), 1u) << "nothing after the disconnect";
        EXPECT_EQ(control.InvokeHelper(kCloseCard, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr),
                  S_OK);
        EXPECT_TRUE(control.DestroyWindow());
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(control.GetControlUnknown(), nullptr);
        EXPECT_EQ(control.InvokeHelper(kGetCardCount, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr),
                  CO_E_OBJNOTCONNECTED);
    }
    EXPECT_EQ(CoRevokeClassObject(registration), S_OK);
}

// The framework's event sink as the control sees it: one connection, a dispatch
// interface without type information, answering the event interface itself.
TEST_F(EventsTest, FrameworkEventSinkAsTheControlSeesIt) {
    CEventSink sink;
    EXPECT_EQ(sink.Connect(nullptr, [](DISPID, DISPPARAMS*) {}), E_POINTER);
    CComRef<IStream> notAControl;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, notAControl.Put()), S_OK);
    EXPECT_EQ(sink.Connect(notAControl.Get(), [](DISPID, DISPPARAMS*) {}), E_NOINTERFACE);
    EXPECT_FALSE(sink.IsConnected());

    int calls = 0;
    ASSERT_EQ(sink.Connect(m_control.Get(), [&](DISPID, DISPPARAMS*) { ++calls; }), S_OK);
    ASSERT_EQ(sink.Connect(m_control.Get(), [&](DISPID, DISPPARAMS*) { ++calls; }), S_OK);
    CComRef<IEnumConnections> e;
    ASSERT_EQ(Point()->EnumConnections(e.Put()), S_OK);
    CONNECTDATA got[2] = {};
    ULONG fetched = 0;
    ASSERT_EQ(e->Next(2, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u) << "connecting again ended the first connection";
    e.Reset();
    CComRef<IUnknown> connected = CComRef<IUnknown>::Attach(got[0].pUnk);

    CComRef<IDispatch> dispatch;
    ASSERT_EQ(connected->QueryInterface(DIID__DVorn_305qEvents, dispatch.PutVoid()), S_OK);
    CComRef<IUnknown> other;
    EXPECT_EQ(connected->QueryInterface(IID_IStream, other.PutVoid()), E_NOINTERFACE);
    EXPECT_EQ(other.Get(), nullptr);
    UINT count = 7;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(&info);
    EXPECT_EQ(dispatch->GetTypeInfo(0, 0, &info), E_NOTIMPL);
    EXPECT_EQ(info, nullptr);
    LPOLESTR name = const_cast<LPOLESTR>(L"FireInterrupt");
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), E_NOTIMPL);
    VARIANT result;
    VariantInit(&result);
    V_VT(&result) = VT_I4;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch->Invoke(DISPID_FireInterrupt, IID_NULL, 0, DISPATCH_METHOD, &none, &result,
                               nullptr, nullptr),
              S_OK);
    EXPECT_EQ(V_VT(&result), VT_EMPTY) << "the result is cleared";
    EXPECT_EQ(calls, 1);

    sink.Disconnect();
    EXPECT_EQ(dispatch->Invoke(DISPID_FireInterrupt, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                               nullptr, nullptr),
              S_OK);
    EXPECT_EQ(calls, 1) << "a disconnected sink calls no handler";
    EXPECT_EQ(Point()->EnumConnections(e.Put()), S_OK);
    EXPECT_EQ(e->Next(1, got, nullptr), S_FALSE);
}

}  // namespace
