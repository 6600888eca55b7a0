// Shared pieces of the simulated service's tests: a watchdog, a device handle with request helpers,
// the registered card, and a fixture that checks nothing is left behind.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "sim_service.h"
#include "wd_records.h"

namespace simtest {

// Ends the program with exit code 3 when a test hangs.
struct Watchdog {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread thread{[this] {
        if (WaitForSingleObject(done, 10000) == WAIT_TIMEOUT) {
            std::fputs("watchdog: test hung\n", stderr);
            ExitProcess(3);
        }
    }};
    ~Watchdog() {
        SetEvent(done);
        thread.join();
        CloseHandle(done);
    }
};

// A device handle of the service, closed through the service.
class Device {
public:
    Device() : m_h(vornsim::Backend()->open()) {}
    ~Device() { vornsim::Backend()->close(m_h); }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Returns the status, WD_STATUS_NO_ANSWER when the service wrote none.
    uint32_t Send(uint32_t code, void* record, uint32_t bytes) const {
        uint32_t status = WD_STATUS_NO_ANSWER;
        vornsim::Backend()->ioctl(m_h, code, record, bytes, &status);
        return status;
    }
    template <typename T>
    uint32_t Send(uint32_t code, T& record) const {
        return Send(code, &record, sizeof(record));
    }
    // A single transfer: returns the data field afterwards (read data zero-extended).
    uint64_t Transfer(uint32_t command, uint32_t port, uint64_t data = 0,
                      uint32_t* status = nullptr) const {
        WdTransferCmd cmd = {};
        cmd.port = port;
        cmd.command = command;
        cmd.data.qword = data;
        const uint32_t result = Send(WD_IOCTL_TRANSFER, cmd);
        if (status) *status = result;
        return cmd.data.qword;
    }

private:
    HANDLE m_h;
};

// A card of the default profile as the service registered it: items in the order bridge registers
// in memory, the same as I/O, the chip's I/O range, the interrupt.
struct Card {
    WdCardRegistration reg = {};
    uint32_t status = WD_STATUS_NO_ANSWER;

    uint32_t Memory() const { return reg.card.items[0].u.memory.transAddr; }
    uint32_t Regs() const { return reg.card.items[1].u.io.port; }
    uint32_t Chip() const { return reg.card.items[2].u.io.port; }
    uint32_t InterruptHandle() const { return reg.card.items[3].u.interrupt.handle; }
};

inline Card Register(const Device& device, uint32_t slot = 0) {
    WdPciCardInfo info = {};
    info.slot = {1, slot, 0};
    device.Send(WD_IOCTL_PCI_CARD_INFO, info);
    Card card;
    card.reg.card = info.card;
    card.status = device.Send(WD_IOCTL_CARD_REGISTER, card.reg);
    return card;
}

inline uint32_t Unregister(const Device& device, Card& card) {
    return device.Send(WD_IOCTL_CARD_UNREGISTER, card.reg);
}

inline std::vector<std::string> Trace() {
    std::vector<std::string> lines;
    for (const vornsim::ChipAccess& access : vornsim::ChipAccesses()) {
        lines.push_back(vornsim::FormatTraceLine(access));
    }
    return lines;
}

// Every test starts from a fresh service and must leave no handle, registration or wait.
class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override { vornsim::Install(vornsim::DefaultProfile(1)); }
    void TearDown() override {
        const vornsim::Counters counters = vornsim::GetCounters();
        EXPECT_EQ(counters.openHandles, 0) << "a service handle was left open";
        EXPECT_EQ(counters.registrations, 0) << "a card was left registered";
        EXPECT_EQ(counters.pendingWaits, 0) << "a wait is still blocked";
        vornsim::Uninstall();
    }
};

}  // namespace simtest
