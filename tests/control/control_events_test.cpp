// FireInterrupt end to end on the simulated card: the service's interrupt, the card's
// interrupt thread, the relay window on this pumping single-threaded apartment and the
// connection point; sinks that re-enter, and the control's end with the card open.
#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include "control_fixture.h"
#include "vorn_305q_ids.h"

using namespace comtest;
using namespace controltest;

namespace {

struct WatchdogInstaller {
    WatchdogInstaller() { Watchdog::Install(30000); }
} g_watchdog;

constexpr DWORD kTimeoutMs = 5000;

class ControlEventsTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        OpenCard();
        ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, kTimeoutMs)) << "no interrupt thread";
        CComRef<IConnectionPointContainer> container;
        ASSERT_EQ(m_control->QueryInterface(IID_IConnectionPointContainer, container.PutVoid()),
                  S_OK);
        ASSERT_EQ(container->FindConnectionPoint(DIID__DVorn_305qEvents, m_point.Put()), S_OK);
    }
    void TearDown() override {
        m_point.Reset();  // holds the control
        ControlTest::TearDown();
    }

    DWORD Advise(IUnknown* sink) {
        DWORD cookie = 0;
        EXPECT_EQ(m_point->Advise(sink, &cookie), S_OK);
        EXPECT_NE(cookie, 0u);
        return cookie;
    }
    // The interrupt thread is back in its wait, every message of the last interrupt
    // handled. Pumps meanwhile: the thread may be sending to us.
    static bool ThreadIdle() {
        return PumpUntil([] { return vornsim::WaitForPendingWaits(0, 1, 0); }, kTimeoutMs);
    }
    // Raises one interrupt with the status words of X, Y, Z, U.
    static void Interrupt(uint16_t x, uint16_t y, uint16_t z, uint16_t u) {
        const uint16_t words[4] = {x, y, z, u};
        for (int axis = 0; axis < 4; ++axis) {
            if (words[axis] != 0) vornsim::InjectStatus(0, axis, words[axis]);
        }
        vornsim::RaiseInterrupt(0);
    }
    // Waits, without pumping, until the interrupt thread is sending us a message.
    static bool SentMessagePending() {
        for (const ULONGLONG deadline = GetTickCount64() + kTimeoutMs; GetTickCount64() < deadline;
             Sleep(1)) {
            if (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) return true;
        }
        return false;
    }
    void CloseCard() {
        Args none{};
        EXPECT_EQ(Call(m_control.Get(), kCloseCard, none), S_OK);
    }

    CComRef<IConnectionPoint> m_point;
};

// Y then U, each after the last handler returned; a failing, scribbling sink does not
// stop the next one.
TEST_F(ControlEventsTest, AxesFireInOrderToEverySink) {
    CRecordingSink failing(DIID__DVorn_305qEvents), sink(DIID__DVorn_305qEvents);
    failing.result = DISP_E_EXCEPTION;
    failing.scribble = true;
    const DWORD cookie1 = Advise(&failing), cookie2 = Advise(&sink);
    EXPECT_NE(cookie1, cookie2);
    bool overlapped = false;
    sink.onCall = [&] {
        const size_t seen = sink.calls.size();
        PumpUntil([] { return false; }, 50);
        overlapped |= sink.calls.size() != seen;
    };
    Interrupt(0, 0x0012, 0, 0x8001);
    ASSERT_TRUE(PumpUntil([&] { return sink.calls.size() >= 2; }, kTimeoutMs));
    ASSERT_TRUE(ThreadIdle());
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(failing.calls.size(), 2u);
    ASSERT_EQ(sink.calls.size(), 2u);
    for (const CRecordingSink::Event& call : sink.calls) {
        EXPECT_EQ(call.dispid, 1);
        EXPECT_EQ(call.types, (std::vector<VARTYPE>{VT_I4, VT_I2}));  // lResult, axis
    }
    EXPECT_EQ(sink.calls[0].values, (std::vector<long>{0x0012, 1}));
    EXPECT_EQ(sink.calls[1].values, (std::vector<long>{0x8001, 3}));  // zero-extended
    EXPECT_EQ(m_point->Unadvise(cookie1), S_OK);
    EXPECT_EQ(m_point->Unadvise(cookie1), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(m_point->Unadvise(cookie2), S_OK);
    EXPECT_EQ(failing.Refs() + sink.Refs(), 0);
}

TEST_F(ControlEventsTest, AllZeroWordsFireNothing) {
    CRecordingSink sink(DIID__DVorn_305qEvents);
    const DWORD cookie = Advise(&sink);
    const long served = vornsim::GetCounters().interruptsServed;
    Interrupt(0, 0, 0, 0);
    ASSERT_TRUE(
        PumpUntil([&] { return vornsim::GetCounters().interruptsServed > served; }, kTimeoutMs));
    ASSERT_TRUE(ThreadIdle());
    PumpUntil([] { return false; }, 50);
    EXPECT_TRUE(sink.calls.empty());
    Interrupt(0x0001, 0, 0, 0);  // while one word gives one event
    EXPECT_TRUE(PumpUntil([&] { return sink.calls.size() == 1; }, kTimeoutMs));
    m_point->Unadvise(cookie);
}

TEST_F(ControlEventsTest, SinkUnadvisingInsideItsHandler) {
    CRecordingSink first(DIID__DVorn_305qEvents), second(DIID__DVorn_305qEvents);
    const DWORD cookie1 = Advise(&first), cookie2 = Advise(&second);
    first.onCall = [&] {
        EXPECT_EQ(m_point->Unadvise(cookie1), S_OK);
        EXPECT_EQ(m_point->Unadvise(cookie2), S_OK);
    };
    Interrupt(0, 0x0010, 0, 0x0020);
    ASSERT_TRUE(PumpUntil([&] { return second.calls.size() >= 1; }, kTimeoutMs));
    ASSERT_TRUE(ThreadIdle());
    // Both got the event being fired; nobody the next one.
    EXPECT_EQ(first.calls.size(), 1u);
    EXPECT_EQ(second.calls.size(), 1u);
    EXPECT_EQ(first.Refs() + second.Refs(), 0);
}

TEST_F(ControlEventsTest, SinkReleasingTheControlInsideItsHandler) {
    CRecordingSink first(DIID__DVorn_305qEvents), second(DIID__DVorn_305qEvents);
    Advise(&first);
    Advise(&second);
    m_point.Reset();
    IDispatch* const last = m_control.Detach();
    first.onCall = [&] { last->Release(); };
    long objectsInSecond = -1;  // the control lives until every sink of this event is called
    second.onCall = [&] { objectsInSecond = COleControlModule::Objects(); };
    Interrupt(0, 0x0010, 0, 0x0020);
    ASSERT_TRUE(PumpUntil([&] { return COleControlModule::Objects() == 0; }, kTimeoutMs));
    EXPECT_EQ(objectsInSecond, 1);
    // It closed its card on the way out: the U message was dropped.
    EXPECT_EQ(first.calls.size(), 1u);
    EXPECT_EQ(second.calls.size(), 1u);
    EXPECT_EQ(first.Refs() + second.Refs(), 0);
}

TEST_F(ControlEventsTest, SinkClosingTheCardInsideItsHandlerGetsTheRestOfTheInterrupt) {
    CRecordingSink sink(DIID__DVorn_305qEvents);
    const DWORD cookie = Advise(&sink);
    sink.onCall = [&] {
        if (sink.calls.size() == 1) CloseCard();
    };
    Interrupt(0, 0x0010, 0, 0x0020);
    ASSERT_TRUE(PumpUntil([&] { return InterruptThreadsAlive() == 0; }, kTimeoutMs));
    ASSERT_EQ(sink.calls.size(), 2u);
    EXPECT_EQ(sink.calls[0].values[1], 1);  // Y, then U from inside CloseCard's wait
    EXPECT_EQ(sink.calls[1].values[1], 3);
    m_point->Unadvise(cookie);
}

TEST_F(ControlEventsTest, CloseCardDeliversAMessageInFlight) {
    CRecordingSink sink(DIID__DVorn_305qEvents);
    const DWORD cookie = Advise(&sink);
    bool insideClose = false, deliveredInsideClose = false;
    sink.onCall = [&] { deliveredInsideClose = insideClose; };
    Interrupt(0x0004, 0, 0, 0);
    ASSERT_TRUE(SentMessagePending());
    insideClose = true;
    CloseCard();
    insideClose = false;
    EXPECT_EQ(sink.calls.size(), 1u);
    EXPECT_TRUE(deliveredInsideClose);
    EXPECT_EQ(InterruptThreadsAlive(), 0);
    m_point->Unadvise(cookie);
}

TEST_F(ControlEventsTest, ReleasingTheControlWithTheCardOpen) {
    CRecordingSink sink(DIID__DVorn_305qEvents);
    Advise(&sink);
    m_point.Reset();
    Interrupt(0x0004, 0, 0, 0);
    ASSERT_TRUE(SentMessagePending());
    EXPECT_FALSE(theApp.CanUnloadNow());
    m_control.Reset();  // no CloseCard: the client forgot
    // The message in flight was drained by the close, after the window was detached.
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(InterruptThreadsAlive(), 0);
    EXPECT_EQ(CVornDialog::LiveWindows(), 0);
    EXPECT_TRUE(theApp.CanUnloadNow());
}

// One relay window per control: a reopened card reuses it, and events still come.
TEST_F(ControlEventsTest, ReopenedCardStillFires) {
    CRecordingSink sink(DIID__DVorn_305qEvents);
    const DWORD cookie = Advise(&sink);
    CloseCard();
    ASSERT_EQ(Must(kInitCard, Args{I2(0)}), 0);
    EXPECT_EQ(CVornDialog::LiveWindows(), 1);
    ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, kTimeoutMs));
    Interrupt(0, 0, 0x0100, 0);
    ASSERT_TRUE(PumpUntil([&] { return sink.calls.size() == 1; }, kTimeoutMs));
    EXPECT_EQ(sink.calls[0].values, (std::vector<long>{0x0100, 2}));
    m_point->Unadvise(cookie);
}

}  // namespace
