// Opening and closing the card (group A), interrupt enables and the road of an
// interrupt from the simulated chip to the relay window on this thread (group E),
// closing the card on that road included.
#include <windows.h>

#include <string>
#include <vector>

#include "card_support.h"
#include "interrupt_thread.h"
#include "sim_chip.h"
#include "sim_service.h"

namespace {

using EventList = std::vector<std::pair<short, long>>;
const std::string kCardBusy = card_text::kCardBusy;
const std::string kNoDriver = card_text::kNoDriver;

// InitCard's trace: reset, every axis's modes and counters, the output words, then
// every axis's SV, A, D, K, AO and V (speed blocks given per axis as SV, A, D, K).
std::string InitTrace(const std::vector<std::vector<unsigned>>& speeds) {
    std::string trace = "W0=8000";
    for (unsigned b = 1; b <= 8; b <<= 1) {
        const std::string sel = " W0=" + Hex4(b << 8 | 0x0F);
        trace += sel + " W2=0000" + sel + " W4=0018" + sel + " W6=0000" + sel + " W4=0018" + sel +
                 " W4=0218 W14=0000 W12=0000 W0=" + Hex4(b << 8 | 0x09) +
                 " W14=0000 W12=0000 W0=" + Hex4(b << 8 | 0x0A);
    }
    trace += " W8=0000 W10=0000";
    const unsigned codes[] = {0x04, 0x02, 0x03, 0x01};
    for (unsigned axis = 0; axis < 4; ++axis) {
        for (unsigned i = 0; i < 4; ++i) {
            trace += " W12=" + Hex4(speeds[axis][i]) + " W0=" + Hex4(1u << (axis + 8) | codes[i]);
        }
        trace += " W12=0000 W0=" + Hex4(1u << (axis + 8) | 0x0D) +
                 " W12=0001 W0=" + Hex4(1u << (axis + 8) | 0x05);
    }
    return trace;
}
const std::vector<unsigned> kDefaultSpeeds = {0x1F40, 0x0640, 0x0640, 0x001F};

long RequestCount(uint32_t code) {
    const vornsim::Counters counters = vornsim::GetCounters();
    const auto it = counters.requests.find(code);
    return it == counters.requests.end() ? 0 : it->second;
}

TEST_F(ClosedCardTest, InitCardBringsTheChipIntoItsDefaultState) {
    CInterruptRelayWindow relay;
    ASSERT_TRUE(relay.Create([](void*, short, long) {}, nullptr));
    vornsim::ClearRequests();
    ASSERT_EQ(Card().InitCard(0, relay.GetSafeHwnd()), 0);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Trace(), InitTrace(std::vector<std::vector<unsigned>>(4, kDefaultSpeeds)));

    // One bridge write, INTCSR <- 0x41, before any chip access.
    P9050Handle* const handle = CMotionCardTestAccess::Handle(Card());
    ASSERT_NE(handle, nullptr);
    const uint32_t bridge = handle->addrSpaces[1].busAddr;
    const uint32_t chip = handle->addrSpaces[2].busAddr;
    int bridgeWrites = 0;
    bool chipSeen = false;
    for (const vornsim::Request& request : vornsim::Requests()) {
        if (request.code != WD_IOCTL_TRANSFER) continue;
        if (request.port >= chip && request.port < chip + handle->addrSpaces[2].bytes) {
            chipSeen = true;
        } else if (request.port >= bridge && request.port < bridge + 128) {
            ++bridgeWrites;
            EXPECT_FALSE(chipSeen) << "INTCSR written after a chip access";
            EXPECT_EQ(request.port, bridge + 0x4C);
            EXPECT_EQ(request.value, 0x41u);
        }
    }
    EXPECT_EQ(bridgeWrites, 1);
    EXPECT_EQ(handle->hNotifyWnd, relay.GetSafeHwnd());
    EXPECT_EQ(handle->pCardObject, static_cast<void*>(&Card()));
    EXPECT_EQ(InterruptThreadsAlive(), 1);

    // A second open is refused and the first card keeps working.
    ClearTrace();
    EXPECT_EQ(Card().InitCard(0, nullptr), -1);
    EXPECT_EQ(Messages(), std::vector<std::string>{card_text::kAlreadyOpen});
    EXPECT_EQ(Trace(), "");
    EXPECT_EQ(Card().GetPosition(0), 0);
    EXPECT_EQ(Trace(), "W0=0110 R12 R14");
    Card().CloseCard();
}

// Refusals on a fresh object: a message, -1, no bridge or chip access, card closed.
TEST_F(ClosedCardTest, InitCardRefusals) {
    struct Case {
        short card;
        bool absent, queryFails, claimed;
        uint32_t version;
        const std::string& message;
    } const cases[] = {
        {1, false, false, false, 602, kCardBusy}, {-1, false, false, false, 602, kCardBusy},
        {0, false, false, true, 602, kCardBusy},  {0, true, false, false, 602, kNoDriver},
        {0, false, false, false, 601, kNoDriver}, {0, false, true, false, 602, kNoDriver},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        vornsim::Profile profile = vornsim::DefaultProfile(1);
        profile.serviceAbsent = c.absent;
        profile.version = c.version;
        profile.versionQueryFails = c.queryFails;
        vornsim::Install(profile);
        vornsim::ClaimByOtherProgram(0, c.claimed);
        ClearMessages();
        EXPECT_EQ(Card().InitCard(c.card, nullptr), -1);
        EXPECT_EQ(Messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(RequestCount(WD_IOCTL_TRANSFER), 0);
        EXPECT_EQ(vornsim::GetCounters().registrations, 0);
        EXPECT_EQ(vornsim::GetCounters().openHandles, 0);
        EXPECT_EQ(CMotionCard::GetCardCount(), &c.message == &kNoDriver ? 0 : 1);
        EXPECT_EQ(Card().GetPosition(0), 0);
        EXPECT_EQ(Messages(), (std::vector<std::string>{c.message, kBoxN}));
        vornsim::ClaimByOtherProgram(0, false);
    }
    vornsim::Install(vornsim::DefaultProfile(1));
    EXPECT_EQ(CMotionCard::GetCardCount(), 1);
    EXPECT_EQ(Card().InitCard(0, nullptr), 0);
}

// Closing stops no axis and writes no chip register; destroying an open card closes it.
TEST_F(CardTest, CloseCardLeavesTheChipAloneAndReleasesTheCard) {
    ASSERT_EQ(Card().TVMove(0, 5000, 5000, 0.5f, 0), 0);
    ClearTrace();
    const long disables = RequestCount(WD_IOCTL_INT_DISABLE);
    const long unregisters = RequestCount(WD_IOCTL_CARD_UNREGISTER);
    Card().CloseCard();
    EXPECT_EQ(Trace(), "");
    EXPECT_TRUE(ChipDriving(0));
    EXPECT_EQ(RequestCount(WD_IOCTL_INT_DISABLE), disables + 1);
    EXPECT_EQ(RequestCount(WD_IOCTL_CARD_UNREGISTER), unregisters + 1);
    EXPECT_EQ(InterruptThreadsAlive(), 0);
    EXPECT_EQ(vornsim::GetCounters().openHandles, 0);
    vornsim::ClearRequests();
    Card().CloseCard();
    EXPECT_TRUE(vornsim::Requests().empty());
    ASSERT_EQ(Card().InitCard(0, nullptr), 0);
    EXPECT_EQ(Trace().rfind("W0=8000 ", 0), 0u);
    m_card.reset();
    EXPECT_EQ(InterruptThreadsAlive(), 0);
    EXPECT_EQ(vornsim::GetCounters().registrations, 0);
    CMotionCard next;  // the card is free for the next owner
    EXPECT_EQ(next.InitCard(0, nullptr), 0);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CardTest, ReopenedCardCarriesTheActualValuesOfTheLastMoves) {
    ASSERT_EQ(Card().SVMove(1, 1000, 9000, 0.2f, 0.1f, 0), 0);
    Card().CloseCard();
    ClearTrace();
    ASSERT_EQ(Card().InitCard(0, nullptr), 0);
    EXPECT_EQ(
        Trace(),
        InitTrace(
            {kDefaultSpeeds, {0x03E8, 0x0140, 0x0640, 0x009C}, kDefaultSpeeds, kDefaultSpeeds}));
}

// Each of the four messages reaches the callback with its axis and word; others do not.
TEST(InterruptRelayWindow, TurnsEachAxisMessageIntoOneCallback) {
    EventList seen;
    const auto record = [](void* context, short axis, long status) {
        static_cast<EventList*>(context)->emplace_back(axis, status);
    };
    CInterruptRelayWindow relay;
    ASSERT_TRUE(relay.Create(record, &seen));
    EXPECT_FALSE(relay.Create(record, &seen));
    const HWND hWnd = relay.GetSafeHwnd();
    EXPECT_EQ(GetParent(hWnd), nullptr);
    EXPECT_FALSE(IsWindowVisible(hWnd));
    SendMessageA(hWnd, WM_INTERRUPT_Z, 0x1234, 0);
    SendMessageA(hWnd, WM_INTERRUPT_X, 0xFFFF, 0);
    SendMessageA(hWnd, WM_INTERRUPT_X - 1, 1, 0);
    SendMessageA(hWnd, WM_INTERRUPT_U + 1, 1, 0);
    SendMessageA(hWnd, WM_INTERRUPT_U, 0x42, 0);
    EXPECT_EQ(seen, (EventList{{2, 0x1234}, {0, 0xFFFF}, {3, 0x42}}));
}

using CardInterruptTest = RelayTest;

// Advances the virtual clock in steps while delivering relay messages.
void RunClock(uint64_t totalUs) {
    for (uint64_t t = 0; t < totalUs; t += 5000) {
        vornsim::Advance(5000);
        PumpFor(2);
    }
}

long Served() { return vornsim::GetCounters().interruptsServed; }

TEST_F(CardInterruptTest, InterruptEnablesAccumulateUntilClosed) {
    RunSteps({
        {CALL(SetInterrupt(0, 0x01)), "W0=010F W2=0100"},
        {CALL(SetInterrupt(0, 0x80)), "W0=010F W2=8100"},
        {CALL(CloseInterrupt(0)), "W0=010F W2=0000"},
        {CALL(SignalOrg(0, 1)), "W0=010F W2=000C"},
        {CALL(SetInterrupt(0, 0x1234)), "W0=010F W2=340C"},  // the high byte is lost
        {CALL(CloseInterrupt(0)), "W0=010F W2=000C"},
        {CALL(SetInterrupt(3, 0x10)), "W0=080F W2=1000"},
        {CALL(SetInterrupt(4, 1)), "", {kBoxP}, -1},
        {CALL(CloseInterrupt(-1)), "", {kBoxP}, -1},
    });
    ExpectShadowsMatchChip();
}

TEST_F(CardInterruptTest, EventsArriveInAxisOrderOneAfterTheOther) {
    m_onEvent = [this](short, long) {
        if (m_events.size() == 1) Sleep(50);
    };
    vornsim::SetBridgeRegister(0, 0x4C, 0x00010041);
    ClearTrace();
    vornsim::InjectStatus(0, 1, 0x0080);
    vornsim::InjectStatus(0, 3, 0x0002);
    vornsim::RaiseInterrupt(0);
    ASSERT_TRUE(PumpUntil([&] { return m_events.size() >= 2; }));
    PumpFor(100);
    ASSERT_EQ(Events(), (EventList{{1, 0x80}, {3, 0x2}}));
    EXPECT_GE(m_events[1].enter, m_events[0].leave) << "second event before the first returned";
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    EXPECT_GE((m_events[0].leave - m_events[0].enter) * 1000 / frequency.QuadPart, 45);

    std::string list;
    for (const vornsim::ChipAccess& a : vornsim::ChipAccesses()) {
        list += vornsim::FormatTraceLine(a) + ";";
    }
    EXPECT_EQ(list,
              "0 IW 0x00 0x010F;0 IR 0x06 0x0000;0 IW 0x00 0x020F;0 IR 0x06 0x0080;"
              "0 IW 0x00 0x040F;0 IR 0x06 0x0000;0 IW 0x00 0x080F;0 IR 0x06 0x0002;");
    EXPECT_EQ(vornsim::BridgeRegister(0, 0x4C), 0x41u) << "the list rewrites INTCSR";

    // Four zero words: served, nothing relayed.
    ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, 5000));
    const long served = Served();
    vornsim::RaiseInterrupt(0);
    ASSERT_TRUE(PumpUntil([&] { return Served() == served + 1; }));
    PumpFor(150);
    EXPECT_EQ(m_events.size(), 2u);
}

TEST_F(CardInterruptTest, DriveEndRaisesOneEvent) {
    ASSERT_EQ(Card().SetInterrupt(0, 0x80), 0);
    ASSERT_EQ(Card().StartTRMove(0, 100, 1000, 1000, 0.5f), 0);
    RunClock(400000);
    ASSERT_TRUE(PumpUntil([&] { return !m_events.empty(); }));
    PumpFor(100);
    EXPECT_EQ(Events(), (EventList{{0, 0x0080}}));
    EXPECT_EQ(Card().RunState(0), 1);
    EXPECT_EQ(Card().GetPosition(0), 100);
}

TEST_F(CardInterruptTest, CompareCrossingRaisesOneEvent) {
    Card().SetComP(0, 50);
    ASSERT_EQ(Card().SetInterrupt(0, 0x10), 0);
    ASSERT_EQ(Card().TVMove(0, 1000, 1000, 0.5f, 0), 0);
    RunClock(200000);
    ASSERT_TRUE(PumpUntil([&] { return !m_events.empty(); }));
    EXPECT_GT(Card().GetPosition(0), 50);
    Card().StopAxisInst(0);
    RunClock(50000);
    PumpFor(100);
    EXPECT_EQ(Events(), (EventList{{0, 0x0010}}));
    EXPECT_TRUE(Messages().empty());
}

// The list never runs between an axis select and its access: the mode lands on X.
TEST_F(CardInterruptTest, InterruptAfterASelectWaitsForItsAccess) {
    ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, 5000));
    const long served = Served();
    vornsim::InterruptAfterNextSelect(0);
    Card().PulseOutMode(0, 1);
    EXPECT_EQ(Trace(), "W0=010F W4=0258");
    ASSERT_TRUE(PumpUntil([&] { return Served() == served + 1; }));
    ExpectShadowsMatchChip();
}

// CloseCard while the wait thread is blocked sending to this thread: the events arrive
// during the close, calls from them find a closed card, and the close returns.
TEST_F(CardInterruptTest, CloseWhileARelayMessageIsInFlight) {
    short reopen = 0;
    int position = -1;
    std::vector<long> threadsAlive;
    m_onEvent = [&](short axis, long) {
        // The sending thread has not ended: it must still count, or the module could
        // be unloaded under it.
        threadsAlive.push_back(InterruptThreadsAlive());
        if (axis != 0) return;
        position = Card().GetPosition(0);
        reopen = Card().InitCard(0, m_relay.GetSafeHwnd());  // still registered
    };
    vornsim::InjectStatus(0, 0, 0x0080);
    vornsim::InjectStatus(0, 2, 0x0040);
    vornsim::RaiseInterrupt(0);
    ASSERT_TRUE(
        WaitUntil([] { return (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; }));
    ASSERT_TRUE(m_events.empty());
    const ULONGLONG start = GetTickCount64();
    CloseCardMarked();
    EXPECT_LT(GetTickCount64() - start, 2000u);
    ASSERT_EQ(Events(), (EventList{{0, 0x0080}, {2, 0x0040}}));
    EXPECT_TRUE(m_events[0].duringClose && m_events[1].duringClose);
    EXPECT_EQ(position, 0);
    EXPECT_EQ(reopen, -1);
    EXPECT_EQ(Messages(), (std::vector<std::string>{kBoxN, kCardBusy}));
    EXPECT_EQ(threadsAlive, (std::vector<long>{1, 1}));
    EXPECT_EQ(InterruptThreadsAlive(), 0);
    EXPECT_EQ(vornsim::GetCounters().registrations, 0);
}

// CloseCard from inside the event handler returns; the interrupt's other events still
// arrive, during that close.
TEST_F(CardInterruptTest, CloseFromInsideTheEventHandler) {
    bool closeReturned = false;
    ULONGLONG closeMs = 0;
    m_onEvent = [&](short axis, long) {
        if (axis != 0) return;
        const ULONGLONG start = GetTickCount64();
        CloseCardMarked();
        closeMs = GetTickCount64() - start;
        closeReturned = true;
    };
    vornsim::InjectStatus(0, 0, 0x0080);
    vornsim::InjectStatus(0, 3, 0x0004);
    vornsim::RaiseInterrupt(0);
    ASSERT_TRUE(PumpUntil([&] { return closeReturned; }));
    EXPECT_LT(closeMs, 2000u);
    ASSERT_EQ(Events(), (EventList{{0, 0x0080}, {3, 0x0004}}));
    EXPECT_TRUE(m_events[1].duringClose);
    EXPECT_EQ(InterruptThreadsAlive(), 0);
    EXPECT_EQ(vornsim::GetCounters().registrations, 0);
    EXPECT_TRUE(Messages().empty());
}

// Interrupts before InitCard has named a window are dropped, not sent anywhere.
TEST_F(CardInterruptTest, NoRelayWithoutAWindow) {
    Card().CloseCard();
    ASSERT_EQ(Card().InitCard(0, nullptr), 0);
    ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, 5000));
    const long served = Served();
    vornsim::InjectStatus(0, 2, 0x0080);
    vornsim::RaiseInterrupt(0);
    ASSERT_TRUE(PumpUntil([&] { return Served() == served + 1; }));
    ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, 5000)) << "the thread went back to waiting";
    PumpFor(100);
    EXPECT_TRUE(m_events.empty());
}

}  // namespace
