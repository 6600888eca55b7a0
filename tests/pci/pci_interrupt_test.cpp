// Interrupt delivery: the command list, enabling and disabling, the wait thread and its
// stop protocol, and closing while the handler is busy with the user-interface thread.
#include <array>
#include <atomic>

#include "pci_support.h"

namespace {

constexpr UINT kSent = WM_APP + 1;
constexpr UINT kPosted = WM_APP + 2;

// What the handler saw (written on the interrupt thread) and what the window got.
struct Log {
    std::atomic<int> calls{0};
    std::atomic<bool> inSend{false};
    std::array<uint16_t, 4> words = {};
    P9050IntResult result = {};
    HWND sendTo = nullptr;  // when set, the handler sends kSent there, twice
    int delivered = 0;
    P9050Handle* disableFromWindow = nullptr;
    bool nestedDisableReturned = false;
};
Log* g_log = nullptr;

void __stdcall Handler(P9050Handle* hPlx, P9050IntResult* result) {
    for (int axis = 0; axis < 4; ++axis) g_log->words[axis] = hPlx->intCmds[2 + 2 * axis].data.word;
    g_log->result = *result;
    ++g_log->calls;
    if (g_log->sendTo) {
        // The second message arrives while the receiver already waits.
        g_log->inSend = true;
        SendMessageA(g_log->sendTo, kSent, 0, 0);
        Sleep(20);
        SendMessageA(g_log->sendTo, kSent, 0, 0);
        g_log->inSend = false;
    }
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kSent) return DefWindowProcW(hWnd, message, wParam, lParam);
    ++g_log->delivered;
    if (g_log->disableFromWindow) {
        P9050_IntDisable(g_log->disableFromWindow);
        g_log->nestedDisableReturned = true;
    }
    return 0;
}

class InterruptTest : public PciTest {
protected:
    void SetUp() override {
        PciTest::SetUp();
        g_log = &m_log;
    }
    void TearDown() override {
        PciTest::TearDown();
        if (m_window) DestroyWindow(m_window);
        g_log = nullptr;
    }
    // Opens card 0 and enables the bridge's interrupt as the card does.
    void OpenCard() {
        Open();
        P9050_WriteSpaceWord(m_hPlx, 1, P9050_REG_INTCSR, P9050_INTCSR_ENABLE);
    }
    void Enable() {
        char msg[140] = {};
        ASSERT_EQ(P9050_IntEnable(m_hPlx, Handler, msg), 1) << msg;
        ASSERT_STREQ(msg, "No Error\n");
        ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, 5000));
    }
    // A message-only window of this thread that the handler sends to.
    void SendToWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PciInterruptTestWindow";
        RegisterClassW(&wc);
        m_window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   wc.hInstance, nullptr);
        m_log.sendTo = m_window;
    }
    void Interrupt(int axis, uint16_t status) {
        vornsim::InjectStatus(0, axis, status);
        vornsim::RaiseInterrupt(0);
    }

    Log m_log;
    HWND m_window = nullptr;
};

// Disable touches no register unless enabled, then clears only the PCI enable bit; a
// second enable is refused without a line.
TEST_F(InterruptTest, EnableOnceAndDisableOnlyBit6) {
    OpenCard();
    vornsim::SetBridgeRegister(0, P9050_REG_INTCSR, 0x12345641);
    vornsim::ClearRequests();
    P9050_IntDisable(m_hPlx);
    EXPECT_TRUE(vornsim::Requests().empty());
    EXPECT_EQ(vornsim::BridgeRegister(0, P9050_REG_INTCSR), 0x12345641u);

    Enable();
    char msg[140] = "untouched";
    EXPECT_EQ(P9050_IntEnable(m_hPlx, Handler, msg), 0);
    EXPECT_STREQ(msg, "untouched");
    EXPECT_EQ(Count(WD_IOCTL_INT_ENABLE), 1);
    EXPECT_EQ(InterruptThreadsAlive(), 1);
    vornsim::SetBridgeRegister(0, P9050_REG_INTCSR, 0xA5A50149);
    P9050_IntDisable(m_hPlx);
    EXPECT_EQ(vornsim::BridgeRegister(0, P9050_REG_INTCSR), 0xA5A50109u);
    EXPECT_EQ(P9050_IntIsEnabled(m_hPlx), 0);
}

TEST_F(InterruptTest, ServedInterruptCallsTheHandlerOnceWithAllFourWords) {
    OpenCard();
    Enable();
    vornsim::ClearChipAccesses();
    const std::array<uint16_t, 4> first = {0x0081, 0x0012, 0x0024, 0x0048};
    for (int axis = 0; axis < 4; ++axis) vornsim::InjectStatus(0, axis, first[axis]);
    vornsim::RaiseInterrupt(0);
    ASSERT_TRUE(WaitUntil([&] { return m_log.calls == 1; }));
    EXPECT_EQ(m_log.words, first);
    EXPECT_EQ(m_log.result.intCsrValue, 0x41u);
    EXPECT_NE(m_log.result.stopState, uint32_t{WD_STOP_DISABLED});
    EXPECT_NE(m_log.result.stopState, uint32_t{WD_STOP_NO_INTERRUPT});
    // The list selects and reads every axis, whichever raised the interrupt.
    std::vector<std::string> trace;
    for (const vornsim::ChipAccess& access : vornsim::ChipAccesses()) {
        trace.push_back(vornsim::FormatTraceLine(access));
    }
    EXPECT_EQ(trace,
              (std::vector<std::string>{"0 IW 0x00 0x010F", "0 IR 0x06 0x0081", "0 IW 0x00 0x020F",
                                        "0 IR 0x06 0x0012", "0 IW 0x00 0x040F", "0 IR 0x06 0x0024",
                                        "0 IW 0x00 0x080F", "0 IR 0x06 0x0048"}));

    // A second interrupt overwrites every word, zero words included.
    const uint32_t counter = m_log.result.counter;
    ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, 5000));
    Interrupt(2, 0x0080);
    ASSERT_TRUE(WaitUntil([&] { return m_log.calls == 2; }));
    EXPECT_EQ(m_log.words, (std::array<uint16_t, 4>{0, 0, 0x0080, 0}));
    EXPECT_EQ(m_log.result.counter, counter + 1);
}

// A "no interrupt" wake calls no handler; a disable ends the pending wait and the thread.
TEST_F(InterruptTest, DisableDuringAPendingWaitEndsTheThread) {
    OpenCard();
    Enable();
    const long waits = Count(WD_IOCTL_INT_WAIT);
    vornsim::ForceWake(0);
    ASSERT_TRUE(WaitUntil([&] {
        return Count(WD_IOCTL_INT_WAIT) == waits + 1 && vornsim::GetCounters().pendingWaits == 1;
    }));
    P9050_IntDisable(m_hPlx);
    EXPECT_EQ(InterruptThreadsAlive(), 0);
    EXPECT_EQ(vornsim::GetCounters().pendingWaits, 0);
    EXPECT_EQ(vornsim::GetCounters().openHandles, 1);
    EXPECT_EQ(Count(WD_IOCTL_INT_WAIT), waits + 1);
    EXPECT_EQ(m_log.calls, 0);
}

TEST_F(InterruptTest, CloseWhileTheHandlerSendsToThisThreadCompletes) {
    SendToWindow();
    OpenCard();
    Enable();
    Interrupt(0, 0x0080);
    // No pumping: the handler stays in SendMessageA until the close delivers it.
    ASSERT_TRUE(WaitUntil([&] { return m_log.inSend.load(); }));
    EXPECT_EQ(m_log.delivered, 0);
    PostMessageW(m_window, kPosted, 0, 0);
    Close();
    EXPECT_EQ(m_log.delivered, 2);
    EXPECT_EQ(InterruptThreadsAlive(), 0);
    // The close wait delivered sent messages only; the posted one is still queued.
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, m_window, kPosted, kPosted, PM_REMOVE));
}

TEST_F(InterruptTest, DisableFromInsideTheRelayedMessageCompletes) {
    SendToWindow();
    OpenCard();
    Enable();
    m_log.disableFromWindow = m_hPlx;
    Interrupt(1, 0x0010);
    ASSERT_TRUE(PumpUntil([&] { return m_log.nestedDisableReturned; }));
    EXPECT_EQ(m_log.delivered, 2);
    EXPECT_EQ(P9050_IntIsEnabled(m_hPlx), 0);
    EXPECT_EQ(InterruptThreadsAlive(), 0);
    EXPECT_EQ(m_log.calls, 1);
}

TEST_F(InterruptTest, FailedWaitsNeitherCallTheHandlerNorSpin) {
    OpenCard();
    Enable();
    // Opens fail from the wait after this served interrupt on: its stop state is left in
    // the descriptor, where a failed wait must not read it as another interrupt.
    Spy::failOpens = true;
    Interrupt(0, 0x0080);
    ASSERT_TRUE(WaitUntil([&] { return m_log.calls >= 1; }));
    const long before = Spy::openAttempts;
    Sleep(600);
    const long attempts = Spy::openAttempts - before;
    EXPECT_GE(attempts, 2);   // it keeps retrying ...
    EXPECT_LE(attempts, 30);  // ... at a bounded rate
    const ULONGLONG start = GetTickCount64();
    P9050_IntDisable(m_hPlx);
    EXPECT_LT(GetTickCount64() - start, 1000u);
    EXPECT_EQ(InterruptThreadsAlive(), 0);
    EXPECT_EQ(m_log.calls, 1);
}

// Refused enables give the failure line and no thread; with space 1 or 2 absent not even
// a request. Enabled, the command codes follow the kind of window of spaces 1 and 2 (the
// served interrupt above shows the list's addresses and values on I/O ranges).
TEST_F(InterruptTest, EnableOverProfiles) {
    using vornsim::Window;
    const struct {
        int interruptItems;
        bool serviceRefuses;
        uint32_t dropBar;  // left out of the card
        Window bridge, chip;
        const char* status;  // null: enabled, with these codes
        uint32_t writeDword, writeWord, readWord;
    } cases[] = {
        {0, false, 9, Window::Io, Window::Io, "0x2000000c - Failed enabling interrupt\n", 0, 0, 0},
        {1, true, 9, Window::Io, Window::Io, "0x2000000c - Failed enabling interrupt\n", 0, 0, 0},
        {1, false, 1, Window::Io, Window::Io, "0x2000001b - Invalid parameter\n", 0, 0, 0},
        {1, false, 2, Window::Io, Window::Io, "0x2000001b - Invalid parameter\n", 0, 0, 0},
        {1, false, 9, Window::Memory, Window::Io, nullptr, 35, 14, 11},
        {1, false, 9, Window::Io, Window::Memory, nullptr, 15, 34, 31},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        vornsim::Profile profile = vornsim::DefaultProfile(1);
        profile.cards[0].interruptItems = c.interruptItems;
        auto& ranges = profile.cards[0].ranges;
        ranges.erase(std::remove_if(ranges.begin(), ranges.end(),
                                    [&](const vornsim::Range& r) { return r.bar == c.dropBar; }),
                     ranges.end());
        for (vornsim::Range& range : ranges) {
            if (range.bar == 1) range.kind = c.bridge;
            if (range.bar == 2) range.kind = c.chip;
        }
        Install(profile);
        vornsim::FailInterruptEnable(c.serviceRefuses);
        Open();
        char msg[140] = {};
        const int enabled = P9050_IntEnable(m_hPlx, Handler, msg);
        vornsim::FailInterruptEnable(false);
        EXPECT_EQ(P9050_IntIsEnabled(m_hPlx), enabled);
        EXPECT_EQ(InterruptThreadsAlive(), enabled);
        EXPECT_EQ(Count(WD_IOCTL_INT_ENABLE), c.dropBar == 9 ? 1 : 0);
        if (c.status) {
            EXPECT_EQ(msg, "InterruptEnable() Failed with Status " + std::string(c.status));
            Close();
            continue;
        }
        ASSERT_EQ(enabled, 1) << msg;
        std::vector<uint32_t> codes;
        for (const WdTransferCmd& cmd : m_hPlx->intCmds) codes.push_back(cmd.command);
        const uint32_t w = c.writeWord, r = c.readWord;
        EXPECT_EQ(codes, (std::vector<uint32_t>{c.writeDword, w, r, w, r, w, r, w, r}));
        EXPECT_EQ(
            std::make_tuple(m_hPlx->intCmds[0].port, m_hPlx->intCmds[1].port,
                            m_hPlx->intCmds[2].port),
            std::make_tuple(m_hPlx->addrSpaces[1].busAddr + 0x4C, m_hPlx->addrSpaces[2].busAddr,
                            m_hPlx->addrSpaces[2].busAddr + 6));
        const WdInterruptDesc sent = Spy::WithCode(WD_IOCTL_INT_ENABLE).at(0).As<WdInterruptDesc>();
        EXPECT_EQ(std::make_tuple(sent.cmds, sent.cmdCount), std::make_tuple(m_hPlx->intCmds, 9u));
        EXPECT_NE(sent.options & WD_INTERRUPT_OPTION_COPY_READS, 0u);
        Close();
    }
}

}  // namespace
