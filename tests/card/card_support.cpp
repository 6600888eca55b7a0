#include "card_support.h"

#include <cstdio>

#include "interrupt_thread.h"
#include "sim_chip.h"
#include "sim_service.h"

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof(text), "%04X", value & 0xFFFF);
    return text;
}

std::string CardTest::Trace() const {
    std::string trace;
    for (const vornsim::ChipAccess& access : vornsim::ChipAccesses()) {
        if (access.atInterrupt) continue;
        const unsigned offset = access.offset;
        const std::string item = access.write
                                     ? "W" + std::to_string(offset) + "=" + Hex4(access.value)
                                     : "R" + std::to_string(offset);
        trace += (trace.empty() ? "" : " ") + item;
    }
    return trace;
}

void CardTest::SetUp() {
    vornsim::Install(vornsim::DefaultProfile(1));
    const CardMessageSink sink = [](const char* text, void* context) {
        CardTest* const self = static_cast<CardTest*>(context);
        self->m_messages.emplace_back(text);
        if (self->m_boxHook) self->m_boxHook();
    };
    SetCardMessageSink(sink, this);
    m_card = std::make_unique<CMotionCard>();
    if (OpenCardInSetUp()) {
        ASSERT_EQ(m_card->InitCard(0, nullptr), 0);
    }
    ClearTrace();
    ClearMessages();
}

void CardTest::TearDown() {
    if (m_card) m_card->CloseCard();
    m_card.reset();
    SetCardMessageSink(nullptr, nullptr);
    const vornsim::Counters counters = vornsim::GetCounters();
    EXPECT_EQ(counters.openHandles, 0) << "a service handle is still open";
    EXPECT_EQ(counters.registrations, 0) << "a card is still registered";
    EXPECT_EQ(counters.enabledInterrupts, 0) << "an interrupt is still enabled";
    EXPECT_EQ(InterruptThreadsAlive(), 0) << "an interrupt thread is still running";
    vornsim::Uninstall();
}

void CardTest::ClearTrace() { vornsim::ClearChipAccesses(); }

void CardTest::RunSteps(const std::vector<CardStep>& steps, bool reopen) {
    for (const CardStep& step : steps) {
        SCOPED_TRACE(step.what);
        if (reopen) {
            Card().CloseCard();
            ASSERT_EQ(Card().InitCard(0, nullptr), 0);
        }
        ClearTrace();
        ClearMessages();
        EXPECT_EQ(step.call(Card()), step.result);
        // "... " at the start or " ..." at the end leaves that end of the trace open.
        std::string want = step.trace;
        const bool openStart = want.rfind("... ", 0) == 0;
        const bool openEnd = want.size() >= 4 && want.compare(want.size() - 4, 4, " ...") == 0;
        want =
            want.substr(openStart ? 4 : 0, want.size() - (openStart ? 4 : 0) - (openEnd ? 4 : 0));
        const std::string got = Trace();
        const size_t at = openStart ? (openEnd ? got.find(want) : got.rfind(want)) : 0;
        const bool ok = at != std::string::npos && got.compare(at, want.size(), want) == 0 &&
                        (openEnd || at + want.size() == got.size());
        EXPECT_TRUE(ok) << "trace:    " << got << "\nexpected: " << step.trace;
        EXPECT_EQ(Messages(), step.messages);
    }
}

void CardTest::ExpectShadowsMatchChip() {
    vornsim::WithChip(0, [this](SimChip& chip) {
        for (int axis = 0; axis < 4; ++axis) {
            EXPECT_EQ(CMotionCardTestAccess::WR(Card(), 1, axis), chip.WR1(axis)) << axis;
            EXPECT_EQ(CMotionCardTestAccess::WR(Card(), 2, axis), chip.WR2(axis)) << axis;
            EXPECT_EQ(CMotionCardTestAccess::WR(Card(), 3, axis), chip.WR3(axis)) << axis;
        }
    });
}

void RelayTest::SetUp() {
    ClosedCardTest::SetUp();
    ASSERT_TRUE(m_relay.Create(&RelayTest::OnEvent, this));
    ASSERT_EQ(Card().InitCard(0, m_relay.GetSafeHwnd()), 0);
    ClearTrace();
    ClearMessages();
}

std::vector<std::pair<short, long>> RelayTest::Events() const {
    std::vector<std::pair<short, long>> result;
    for (const Event& e : m_events) result.emplace_back(e.axis, e.status);
    return result;
}

void RelayTest::OnEvent(void* context, short axis, long status) {
    RelayTest* const self = static_cast<RelayTest*>(context);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const size_t index = self->m_events.size();
    self->m_events.push_back({axis, status, now.QuadPart, 0, self->m_closing});
    if (self->m_onEvent) self->m_onEvent(axis, status);
    QueryPerformanceCounter(&now);
    self->m_events[index].leave = now.QuadPart;
}

int32_t ChipPosition(int axis) {
    int32_t lp = 0;
    vornsim::WithChip(0, [&](SimChip& chip) { lp = chip.LogicalPosition(axis); });
    return lp;
}

void SetChipPosition(int axis, int32_t value) {
    vornsim::WithChip(0, [&](SimChip& chip) { chip.SetLogicalPosition(axis, value); });
}

bool ChipDriving(int axis) {
    bool driving = false;
    vornsim::WithChip(0, [&](SimChip& chip) { driving = chip.Driving(axis); });
    return driving;
}
