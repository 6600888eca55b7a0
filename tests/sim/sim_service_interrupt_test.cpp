// Interrupt enable, wait and disable with real blocked waiters, the interrupt-time command list,
// and driver events.
#include <atomic>
#include <functional>
#include <memory>

#include "sim_chip.h"
#include "sim_service_support.h"

namespace {

using simtest::Card;
using simtest::Device;

// One wait request on a device handle of its own, as the interrupt thread sends it.
class WaitThread {
public:
    explicit WaitThread(uint32_t handle)
        : m_thread([this, handle] {
              Device device;
              WdInterruptDesc desc = {};
              desc.handle = handle;
              desc.stopState = WD_STOP_NO_INTERRUPT + 1;
              status = device.Send(WD_IOCTL_INT_WAIT, desc);
              stopState = desc.stopState;
              count = desc.count;
              done = true;
          }) {}
    ~WaitThread() { m_thread.join(); }
    bool Finished() const {
        for (int i = 0; i < 3000 && !done; ++i) Sleep(1);
        return done;
    }
    // Still blocked a while after everything that could have served it.
    bool Blocked() const {
        Sleep(20);
        return !done;
    }

    uint32_t status = WD_STATUS_NO_ANSWER, stopState = 0, count = 0;
    std::atomic<bool> done{false};

private:
    std::thread m_thread;
};

class InterruptTest : public simtest::ServiceTest {
public:
    void SetUp() override {
        ServiceTest::SetUp();
        Open();
    }
    void TearDown() override {
        if (card.reg.cardHandle != 0) simtest::Unregister(*device, card);
        device.reset();
        ServiceTest::TearDown();
    }
    void Open() {
        device = std::make_unique<Device>();
        card = simtest::Register(*device);
        ASSERT_EQ(card.status, 0u);
        vornsim::SetBridgeRegister(0, 0x4C, 0x41);
    }
    // The card's list: select and read the status of every axis.
    uint32_t Enable() {
        for (int i = 0; i < 8; ++i) {
            list[i] = WdTransferCmd();
            list[i].port = card.Chip() + (i % 2 ? 6 : 0);
            list[i].command = i % 2 ? WD_RP_WORD : WD_WP_WORD;
            list[i].data.qword = i % 2 ? ~uint64_t{0} : 0x0100u << i / 2 | 0x0F;
        }
        desc = WdInterruptDesc();
        desc.handle = card.InterruptHandle();
        desc.options = WD_INTERRUPT_OPTION_COPY_READS;
        desc.cmds = list;
        desc.cmdCount = 8;
        return device->Send(WD_IOCTL_INT_ENABLE, desc);
    }
    uint32_t Disable() { return device->Send(WD_IOCTL_INT_DISABLE, desc); }
    uint16_t Word(int axis) const { return list[1 + 2 * axis].data.word; }

    simtest::Watchdog watchdog;
    std::unique_ptr<Device> device;
    Card card;
    WdTransferCmd list[8] = {};
    WdInterruptDesc desc = {};
};

TEST_F(InterruptTest, WaitAfterDisableReturnsAtOnceEvenWithACauseLatched) {
    ASSERT_EQ(Enable(), 0u);
    ASSERT_EQ(Disable(), 0u);
    vornsim::InjectStatus(0, 0, 0x0080);
    for (int i = 0; i < 2; ++i) {
        WdInterruptDesc wait = desc;
        EXPECT_EQ(device->Send(WD_IOCTL_INT_WAIT, wait), 0u);
        EXPECT_EQ(wait.stopState, uint32_t{WD_STOP_DISABLED});
    }
    // A new enable: the cause latched meanwhile is served to the arriving wait.
    ASSERT_EQ(Enable(), 0u);
    WdInterruptDesc wait = desc;
    EXPECT_EQ(device->Send(WD_IOCTL_INT_WAIT, wait), 0u);
    EXPECT_EQ(wait.stopState, 0u);
    EXPECT_EQ(wait.count, 1u);
    EXPECT_EQ(Word(0), 0x0080);
    EXPECT_EQ(Disable(), 0u);
}

TEST_F(InterruptTest, PendingWaitsEndByDisableUnregisterOrForcedWake) {
    struct Case {
        const char* what;
        std::function<void(InterruptTest&)> end;
        uint32_t stopState;
    };
    const Case cases[] = {
        {"disable", [](InterruptTest& t) { EXPECT_EQ(t.Disable(), 0u); }, WD_STOP_DISABLED},
        {"unregister",
         [](InterruptTest& t) {
             EXPECT_EQ(simtest::Unregister(*t.device, t.card), 0u);
             t.card.reg.cardHandle = 0;
         },
         WD_STOP_DISABLED},
        {"forced wake", [](InterruptTest&) { vornsim::ForceWake(0); }, WD_STOP_NO_INTERRUPT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (card.reg.cardHandle == 0) Open();
        if (vornsim::GetCounters().enabledInterrupts == 0) {
            ASSERT_EQ(Enable(), 0u);
        }
        {
            WaitThread first(desc.handle), second(desc.handle);
            ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 2, 3000));
            ASSERT_TRUE(first.Blocked() && second.Blocked());
            c.end(*this);
            for (WaitThread* w : {&first, &second}) {
                ASSERT_TRUE(w->Finished());
                EXPECT_EQ(w->status, 0u);
                EXPECT_EQ(w->stopState, c.stopState);
            }
        }
        EXPECT_TRUE(vornsim::ChipAccesses().empty()) << "no list runs without an interrupt";
    }
    // After a forced wake the handle is still enabled: the next wait blocks again.
    WaitThread next(desc.handle);
    ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, 3000));
    EXPECT_EQ(Disable(), 0u);
    ASSERT_TRUE(next.Finished());
    EXPECT_EQ(next.stopState, uint32_t{WD_STOP_DISABLED});
}

// Waits on the card and on a driver event at once: each completion ends the one wait it is
// for, in arrival order on one handle, and a reset of the service ends the rest.
TEST_F(InterruptTest, EachCompletionEndsOnlyTheWaitItServes) {
    ASSERT_EQ(Enable(), 0u);
    WdEvent event = {};
    event.cardType = WD_EVENT_PCI_CARD;
    ASSERT_EQ(device->Send(WD_IOCTL_EVENT_REGISTER, event), 0u);
    WdInterruptDesc events = {};
    events.handle = event.handle;
    ASSERT_EQ(device->Send(WD_IOCTL_INT_ENABLE, events), 0u);

    WaitThread first(desc.handle);
    ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, 3000));
    WaitThread second(desc.handle);
    ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 2, 3000));
    WaitThread onEvent(event.handle);
    ASSERT_TRUE(vornsim::WaitForPendingWaits(-1, 1, 3000));

    vornsim::InjectStatus(0, 2, 0x0024);
    vornsim::RaiseInterrupt(0);
    ASSERT_TRUE(first.Finished());
    EXPECT_EQ(first.stopState, 0u);
    EXPECT_EQ(first.count, 1u);
    EXPECT_TRUE(second.Blocked() && !onEvent.done);
    EXPECT_EQ(vornsim::GetCounters().pendingWaits, 2);

    vornsim::InjectEvent(event.handle, 0x0C);
    ASSERT_TRUE(onEvent.Finished());
    EXPECT_EQ(onEvent.stopState, 0u);
    EXPECT_TRUE(second.Blocked());

    vornsim::Install(vornsim::DefaultProfile(1));
    ASSERT_TRUE(second.Finished());
    EXPECT_EQ(second.status, 0u);
    EXPECT_EQ(second.stopState, uint32_t{WD_STOP_DISABLED});
    card.reg.cardHandle = 0;  // gone with the old service
}

// A completion wakes the one wait it ends. A wait woken for nothing would go back to sleep
// unseen, so only the service's count of wakes shows it: after four completions of four
// waits, counted once every thread has ended, it is four.
TEST_F(InterruptTest, ACompletionWakesOnlyTheWaitItEnds) {
    ASSERT_EQ(Enable(), 0u);
    WdEvent event = {};
    event.cardType = WD_EVENT_PCI_CARD;
    ASSERT_EQ(device->Send(WD_IOCTL_EVENT_REGISTER, event), 0u);
    WdInterruptDesc events = {};
    events.handle = event.handle;
    ASSERT_EQ(device->Send(WD_IOCTL_INT_ENABLE, events), 0u);
    const auto Wakes = [] { return vornsim::GetCounters().waitWakes; };
    {
        WaitThread first(desc.handle);
        ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, 3000));
        WaitThread second(desc.handle);
        ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 2, 3000));
        WaitThread third(desc.handle);
        ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 3, 3000));
        WaitThread onEvent(event.handle);
        ASSERT_TRUE(vornsim::WaitForPendingWaits(-1, 1, 3000));
        vornsim::ResetCounters();

        vornsim::InjectStatus(0, 1, 0x0080);
        vornsim::RaiseInterrupt(0);
        ASSERT_TRUE(first.Finished());
        EXPECT_TRUE(second.Blocked() && !third.done && !onEvent.done);
        EXPECT_EQ(Wakes(), 1) << "an interrupt served";

        vornsim::InjectEvent(event.handle, 0x0C);
        ASSERT_TRUE(onEvent.Finished());
        EXPECT_TRUE(second.Blocked() && !third.done);
        EXPECT_EQ(Wakes(), 2) << "a driver event";

        vornsim::InjectStatus(0, 2, 0x0080);
        vornsim::RaiseInterrupt(0);
        ASSERT_TRUE(second.Finished());
        EXPECT_TRUE(third.Blocked());
        EXPECT_EQ(Wakes(), 3) << "a second interrupt";

        EXPECT_EQ(Disable(), 0u);
        ASSERT_TRUE(third.Finished());
        for (const WaitThread* served : {&first, &second}) {
            EXPECT_EQ(served->stopState, 0u);
        }
        EXPECT_EQ(third.stopState, uint32_t{WD_STOP_DISABLED});
    }
    EXPECT_EQ(Wakes(), 4) << "one wake per completion, counted after every thread ended";
    EXPECT_EQ(vornsim::GetCounters().interruptsServed, 3);
    WdEvent end = {};
    end.handle = event.handle;
    EXPECT_EQ(device->Send(WD_IOCTL_EVENT_UNREGISTER, end), 0u);
}

TEST_F(InterruptTest, TheListRunsOnlyForAWaitAndOnlyWhileTheBridgeLetsItThrough) {
    ASSERT_EQ(Enable(), 0u);
    vornsim::InjectStatus(0, 0, 0x0081);
    vornsim::InjectStatus(0, 3, 0x0048);
    vornsim::Advance(1000);
    EXPECT_TRUE(vornsim::ChipAccesses().empty()) << "no wait, no list";

    vornsim::SetBridgeRegister(0, 0x4C, 0x01);  // PCI interrupt enable off
    WaitThread waiter(desc.handle);
    ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, 3000));
    vornsim::Advance(1000);
    EXPECT_TRUE(waiter.Blocked());
    vornsim::SetBridgeRegister(0, 0x4C, 0x41);
    vornsim::Advance(0);
    ASSERT_TRUE(waiter.Finished());
    EXPECT_EQ(waiter.status, 0u);
    EXPECT_EQ(waiter.stopState, 0u);
    EXPECT_EQ(waiter.count, 1u);
    // Every axis is read and every word overwritten, zero words included.
    const std::vector<uint16_t> first = {0x0081, 0, 0, 0x0048};
    for (int axis = 0; axis < 4; ++axis) EXPECT_EQ(Word(axis), first[axis]) << axis;
    EXPECT_EQ(list[1].data.qword, 0x0081u) << "zero-extended into all eight bytes";
    EXPECT_EQ(vornsim::ChipAccesses().size(), 8u) << "the list ran once";
    EXPECT_EQ(Disable(), 0u);
}

TEST_F(InterruptTest, NoListRunsBetweenAnAxisSelectAndTheAccessAfterIt) {
    ASSERT_EQ(Enable(), 0u);
    WaitThread waiter(desc.handle);
    ASSERT_TRUE(vornsim::WaitForPendingWaits(0, 1, 3000));
    vornsim::InterruptAfterNextSelect(0);
    // Select Y: the interrupt is raised now ...
    device->Transfer(WD_WP_WORD, card.Chip() + 0, 0x020F);
    EXPECT_TRUE(waiter.Blocked()) << "... but not served before the select's access";
    device->Transfer(WD_WP_WORD, card.Chip() + 2, 0x8000);  // Y's WR1
    ASSERT_TRUE(waiter.Finished());
    EXPECT_EQ(waiter.stopState, 0u);

    const std::vector<std::string> trace = simtest::Trace();
    ASSERT_EQ(trace.size(), 10u);
    EXPECT_EQ(trace[1], "0 W 0x02 0x8000") << "the select's access comes first";
    EXPECT_EQ(trace[2], "0 IW 0x00 0x010F") << "then the list";
    vornsim::WithChip(0, [](SimChip& chip) {
        EXPECT_EQ(chip.WR1(1), 0x8000);
        EXPECT_EQ(chip.WR1(3), 0);
    });
    EXPECT_EQ(Disable(), 0u);
}

TEST_F(InterruptTest, DriverEventsRegisterInjectPullAndUnregister) {
    // Event waits belong to no card.
    const auto OneWaitPending = [] { return vornsim::WaitForPendingWaits(-1, 1, 3000); };
    WdEvent event = {};
    event.cardType = WD_EVENT_PCI_CARD;
    ASSERT_EQ(device->Send(WD_IOCTL_EVENT_REGISTER, event), 0u);
    const uint32_t handle = event.handle;
    ASSERT_NE(handle, 0u);
    WdInterruptDesc events = {};
    events.handle = handle;
    ASSERT_EQ(device->Send(WD_IOCTL_INT_ENABLE, events), 0u);
    {
        WaitThread waiter(handle);
        ASSERT_TRUE(OneWaitPending());
        vornsim::InjectEvent(handle, 0x0C);
        ASSERT_TRUE(waiter.Finished());
        EXPECT_EQ(waiter.stopState, 0u);
    }
    WdEvent pull = {};
    pull.handle = handle;
    for (uint32_t action : {0x0Cu, 0u}) {  // queued once
        pull.action = 0x55;
        ASSERT_EQ(device->Send(WD_IOCTL_EVENT_PULL, pull), 0u);
        EXPECT_EQ(pull.action, action);
    }
    {
        WaitThread waiter(handle);
        ASSERT_TRUE(OneWaitPending());
        EXPECT_EQ(device->Send(WD_IOCTL_EVENT_UNREGISTER, pull), 0u);
        ASSERT_TRUE(waiter.Finished());
        EXPECT_EQ(waiter.stopState, uint32_t{WD_STOP_DISABLED});
    }
    EXPECT_EQ(device->Send(WD_IOCTL_EVENT_PULL, pull), uint32_t{WD_INVALID_HANDLE});
    EXPECT_EQ(vornsim::GetCounters().enabledInterrupts, 0);
}

}  // namespace
