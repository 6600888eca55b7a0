// The simulated service's shared state and the helpers its parts call on each other.
// Everything here is guarded by the one process-global lock (State::cs).
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "p9050_registers.h"
#include "sim_chip.h"
#include "sim_service.h"
#include "wd_records.h"

namespace vornsim {
namespace detail {

enum : uint32_t {
    kRegisterFileBytes = 128,
    kConfigBytes = 256,
    kChipLocals = 16,  // the chip answers local addresses 0 to 15
};

// Closes a kernel handle on destruction.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : m_h(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    HANDLE Release() {
        HANDLE h = m_h;
        m_h = nullptr;
        return h;
    }
    void Reset(HANDLE h = nullptr) {
        if (m_h != nullptr) {
            CloseHandle(m_h);
        }
        m_h = h;
    }

private:
    HANDLE m_h = nullptr;
};

// A 93C46-style serial EEPROM of 64 sixteen-bit words behind CNTRL bits 24 to 27.
class EepromModel {
public:
    void Reset(Eeprom mode);
    // Follows the bridge's change of CNTRL from previous to current.
    void Follow(uint32_t previous, uint32_t current);
    bool DataOut() const { return m_dataOut; }
    bool Present() const { return m_mode != Eeprom::Absent; }
    uint16_t Word(int index) const { return m_words[index & 63]; }
    void SetWord(int index, uint16_t value) { m_words[index & 63] = value; }

private:
    enum class Phase { Standby, Idle, Command, ReadData, WriteData, Done };
    void ClockIn(bool bit);
    void Decode();

    Eeprom m_mode = Eeprom::Present;
    uint16_t m_words[64] = {};
    bool m_writeEnabled = false;
    Phase m_phase = Phase::Standby;
    uint32_t m_shift = 0;
    int m_bits = 0;
    uint32_t m_address = 0;
    uint16_t m_data = 0;
    bool m_dataOut = false;
};

struct RangeState {
    Range range;
    uint32_t base = 0;          // port, or physical and transfer address
    std::vector<uint64_t> ram;  // a chip range seen as a memory window: plain RAM
};

struct CardState {
    CardProfile profile;
    int index = 0;
    uint32_t irq = 0;
    std::unique_ptr<SimChip> chip;
    std::vector<uint64_t> registerStore;  // the bridge register file (8-byte aligned)
    uint32_t registerBytes = kRegisterFileBytes;
    std::vector<RangeState> ranges;
    uint8_t config[kConfigBytes] = {};
    std::map<uint32_t, uint8_t> scratch;  // local addresses outside the chip
    EepromModel eeprom;
    uint32_t lastCntrl = 0;  // CNTRL as the EEPROM last saw it

    bool registered = false;
    uint32_t cardHandle = 0;
    std::vector<uint32_t> interruptTokens;
    UniqueHandle claim;
    UniqueHandle otherProgram;

    bool raisePending = false;
    bool raiseAfterSelect = false;

    uint8_t* Registers() { return reinterpret_cast<uint8_t*>(registerStore.data()); }
};

// A device on the bus that is not a motion card: it matches no filter of the system.
struct ForeignDevice {
    WdPciSlot slot = {0, 7, 0};
    uint32_t vendorId = 0x8086;
    uint32_t deviceId = 0x7000;
    uint8_t config[kConfigBytes] = {};
};

struct InterruptState {
    int card = -1;         // -1: a driver-event token
    bool enabled = false;  // off: waits return at once with stop state 1
    WdTransferCmd* cmds = nullptr;
    uint32_t cmdCount = 0;
    uint32_t options = 0;
    uint32_t count = 0;
    uint32_t lost = 0;
    uint32_t undelivered = 0;  // injected driver events that no wait has taken yet
};

// A blocked wait request, on its own thread's stack. It sleeps on its own condition, so a
// completion wakes that request alone.
struct Waiter {
    enum class Outcome { Pending, Served, Disabled, Forced };
    uint32_t token = 0;
    int card = -1;
    Outcome outcome = Outcome::Pending;
    uint32_t count = 0;
    uint32_t lost = 0;
    CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
};

struct EventRegistration {
    WdEvent header = {};  // the registered record's fields (first entry only)
    std::vector<uint8_t> matches;
    std::deque<uint32_t> actions;
};

struct State {
    State();
    ~State();
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    CRITICAL_SECTION cs;
    CONDITION_VARIABLE waitersAdded;  // for WaitForPendingWaits alone

    Profile profile;
    std::vector<std::unique_ptr<CardState>> cards;
    ForeignDevice foreign;
    std::set<HANDLE> handles;
    uintptr_t nextDevice = 0;  // never reset, like the tokens below
    std::map<uint32_t, InterruptState> interrupts;
    std::map<uint32_t, int> cardHandles;
    std::map<uint32_t, EventRegistration> events;
    std::vector<Waiter*> waiters;
    // Waits asleep in real time with no chip event scheduled: they look again only when
    // a holder of the lock changed something.
    int idleWaits = 0;
    bool rousing = false;  // a lock taken again while they are roused does it no second time

    bool realTime = false;
    uint64_t virtualNs = 0;
    uint64_t realBaseNs = 0;
    LARGE_INTEGER qpcOrigin = {};
    LARGE_INTEGER qpcFrequency = {};
    bool fastSleep = true;
    bool failOpens = false;
    bool failEnable = false;
    // Never reset: a token is never handed out twice. Card handles are even, interrupt
    // and event handles odd and handed out in order, so one retired since the last
    // reset is known without a record of it.
    uint32_t nextCardToken = 0x1000;
    uint32_t nextInterruptToken = 0x1001;
    uint32_t firstInterruptToken = 0x1001;  // the first one since the last reset

    Counters counters;
    std::deque<Request> requests;
    std::deque<ChipAccess> chipAccesses;
    std::deque<std::string> debugMessages;
    std::unique_ptr<FILE, int (*)(FILE*)> trace{nullptr, &std::fclose};
};

State& S();

// Before the lock goes: waits asleep with nothing scheduled are served what is due now and
// woken if a chip has an event scheduled since (sim_interrupts.cpp).
void RouseIdleWaits();

// Holds the service's lock for a scope.
class Locked {
public:
    Locked() : m_cs(&S().cs) { EnterCriticalSection(m_cs); }
    ~Locked() {
        RouseIdleWaits();
        LeaveCriticalSection(m_cs);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION* m_cs;
};

// Lets go of the (once-held) lock for a scope, so a request can block without it.
class Unlocked {
public:
    Unlocked() : m_cs(&S().cs) { LeaveCriticalSection(m_cs); }
    ~Unlocked() { EnterCriticalSection(m_cs); }
    Unlocked(const Unlocked&) = delete;
    Unlocked& operator=(const Unlocked&) = delete;

private:
    CRITICAL_SECTION* m_cs;
};

// Keeps the newest entries, as many as the profile asks for.
template <typename T>
void AppendBounded(std::deque<T>& log, T item) {
    const size_t limit = S().profile.logEntries;
    if (limit == 0) {
        return;
    }
    while (log.size() >= limit) {
        log.pop_front();
    }
    log.push_back(std::move(item));
}

enum class TokenKind { Card, Interrupt };
uint32_t NewToken(TokenKind kind);
// An interrupt or event handle handed out since the last reset whose registration has
// ended: it still answers "disabled", though its record is gone.
bool Retired(uint32_t token);
CardState* Card(int index);
uint64_t Now();
// Runs every chip up to the service clock.
void Sync();

// Bridge and bus (sim_bridge.cpp).
std::unique_ptr<CardState> BuildCard(const CardProfile& profile, int index, uint32_t* nextPort,
                                     uint32_t* nextMemory);
void BuildForeign(ForeignDevice& foreign);
uint32_t Scan(WdPciScan& scan);
uint32_t CardInfo(WdPciCardInfo& info);
uint32_t Register(WdCardRegistration& reg);
uint32_t Unregister(WdCardRegistration& reg);
uint32_t Config(WdPciConfigAccess& access);
// One transfer command. A single read stores the value into the command's data when
// writeBack is set; *value (if given) receives the value written or read.
uint32_t Transfer(WdTransferCmd& cmd, bool atInterrupt, bool writeBack, uint64_t* value);
uint32_t ReadRegister(CardState& card, uint32_t offset);
void WriteRegisterRaw(CardState& card, uint32_t offset, uint32_t value);
std::string ClaimName(const CardState& card);

// EEPROM (sim_eeprom.cpp): samples CNTRL and drives bits 27 and 28.
void SampleCntrl(CardState& card);
void InitialEeprom(EepromModel& eeprom, Eeprom mode);
uint32_t SleepRequest(WdSleep& sleep);

// Interrupts (sim_interrupts.cpp).
uint32_t InterruptEnableRequest(WdInterruptDesc& desc);
uint32_t InterruptDisableRequest(WdInterruptDesc& desc);
uint32_t InterruptWaitRequest(WdInterruptDesc& desc);
// Disables the handle and ends its waits with stop state 1.
void DisableToken(uint32_t token);
// Delivers what is due to pending waits.
void Serve();
// Ends a pending wait: takes it off the list and wakes its thread.
void Complete(size_t index, Waiter::Outcome outcome, const InterruptState* state);

// Driver events (sim_events.cpp).
uint32_t EventRequest(uint32_t code, void* record, uint32_t bytes);

// Chip access log and trace (sim_trace.cpp).
void RecordChipAccess(const ChipAccess& access);

}  // namespace detail
}  // namespace vornsim
