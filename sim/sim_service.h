// The simulated kernel PCI access service: an in-process stand-in that answers the
// service's requests on the same records and models the PLX 9050 bridge and the
// motion chip behind it. Test programs link it and drive it through this interface; a
// product loads it as the module Vorn_305q_sim.dll (sim_module.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "wd_backend.h"

class SimChip;

namespace vornsim {

enum class Window { Memory, Io };
// What a range of the card decodes to.
enum class Target { BridgeRegisters, Chip };
enum class Eeprom { Absent, Present, IgnoresWrites };

struct Range {
    Window kind;
    uint32_t bytes;  // a power of two
    uint32_t bar;    // base address register number reported for the range
    Target target;
};

struct CardProfile {
    uint32_t vendorId = 0xCDAB;
    uint32_t deviceId = 0x305C;
    uint32_t bus = 1;
    uint32_t slot = 0;  // DefaultProfile numbers the cards' slots 0, 1, ...
    uint32_t function = 0;
    // Default: space 0 the bridge registers in memory (128 bytes), space 1 the same
    // registers as a 128-byte I/O range, space 2 the chip as a 16-byte I/O range.
    std::vector<Range> ranges = DefaultRanges();
    int interruptItems = 1;
    bool busItem = true;
    bool bar0Bit7 = false;  // configuration BAR0 reads with bit 7 set
    Eeprom eeprom = Eeprom::Present;

    static std::vector<Range> DefaultRanges();
};

struct Profile {
    bool serviceAbsent = false;  // the device cannot be opened
    uint32_t version = 602;
    bool versionQueryFails = false;
    bool foreignDevice = true;  // the scan also lists a device that matches no filter
    // Claims are named objects that other processes see too. Off, they are private to
    // this process, so test programs running side by side cannot claim each other's cards.
    bool sharedClaims = false;
    // Entries each log (requests, chip accesses, debug messages) keeps, the oldest
    // dropped first; 0 keeps none. The trace file does not depend on them.
    size_t logEntries = size_t{1} << 16;
    std::vector<CardProfile> cards;
};

Profile DefaultProfile(int cards = 1);

// Resets the whole service to the profile: no handles, no registrations, clock at 0,
// virtual time, fast sleeps, empty logs.
void Configure(const Profile& profile);
// Configures the service from VORN305Q_SIMULATOR (number of cards, 0 to 8),
// VORN305Q_SIM_VERSION (default 602) and VORN305Q_SIM_TRACE (trace file), in real
// time, without logs. Returns false (and changes nothing) when VORN305Q_SIMULATOR is
// not set.
bool ConfigureFromEnvironment();
// The backend that the service answers through.
const WdBackend* Backend();

// For programs that link the service with the bridge library (vorn_sim): Configure or
// ConfigureFromEnvironment, then the service becomes the bridge library's backend.
void Install(const Profile& profile);
bool InstallFromEnvironment();
// The bridge library goes back to the real device.
void Uninstall();

// Time. Virtual: only Advance moves the clock (and runs motion, raises causes and
// serves interrupts). Real time: the clock follows the performance counter.
void SetRealTime(bool realTime);
void Advance(uint64_t microseconds);
uint64_t NowNs();
// Sleep requests return at once (and are only counted) while fast.
void SetFastSleep(bool fast);

struct Counters {
    long opens = 0;
    long closes = 0;
    long openHandles = 0;
    long registrations = 0;      // cards registered now
    long enabledInterrupts = 0;  // interrupt handles enabled now
    long interruptRecords = 0;   // interrupt and event handles whose registration lives
    long pendingWaits = 0;       // wait requests blocked now
    long interruptsServed = 0;
    long waitWakes = 0;  // blocked waits woken (a real-time wait's timed-out naps not counted)
    long sleeps = 0;
    long chipAccesses = 0;              // accesses that reached a motion chip
    std::map<uint32_t, long> requests;  // by request code
};
Counters GetCounters();
void ResetCounters();

// Every transfer and configuration request, in order (other requests by code only), as
// far as the profile's logEntries reach back.
struct Request {
    uint32_t code;
    uint32_t command;  // transfer command code
    uint32_t port;     // transfer port or address
    uint64_t value;    // written or read value (single transfers)
    uint32_t bytes;    // transfer byte count, or configuration byte count
    uint32_t autoIncrement;
    uint32_t configOffset;
    bool configRead;
    uint32_t status;
};
std::vector<Request> Requests();
void ClearRequests();

// Accesses that reached a motion chip, in the order they reached it (logEntries at most).
struct ChipAccess {
    int card;
    bool write;
    bool atInterrupt;  // run by the service's interrupt-time command list
    uint32_t offset;
    uint16_t value;
};
std::vector<ChipAccess> ChipAccesses();
void ClearChipAccesses();
// The same as trace lines: "<card> W 0x%02X 0x%04X" (R, IW, IR likewise).
std::string FormatTraceLine(const ChipAccess& access);
// Appends every chip access as a trace line to the file (empty path: off).
void SetTraceFile(const std::string& path);

// Bridge state, as the card sees it.
uint32_t BridgeRegister(int card, uint32_t offset);
void SetBridgeRegister(int card, uint32_t offset, uint32_t value);
uint32_t ConfigRegister(int card, uint32_t offset, uint32_t bytes);

// The chip of a card, under the service's lock (no request runs meanwhile).
void WithChip(int card, const std::function<void(SimChip&)>& f);

// Interrupts. A card's line is up while INTCSR bits 0 and 6 are set and its chip has a
// latched cause, or while a raise is pending. The command list runs only for a pending
// or arriving wait, never while the chip waits for the access after an axis select;
// what is due is served at the next request, Advance or RaiseInterrupt (in real time
// also by the blocked waits themselves, every few milliseconds).
void InjectStatus(int card, int axis, uint16_t word);  // latched whatever the enables
// Serve the latched status now (or for the next wait), whatever INTCSR holds.
void RaiseInterrupt(int card);
void ForceWake(int card);  // pending waits end with stop state 2
// Blocks until n waits are pending on the card, or the timeout passes.
bool WaitForPendingWaits(int card, long n, unsigned timeoutMs);
// The service raises the card's interrupt right after the next axis-select command.
void InterruptAfterNextSelect(int card);

// Failures and other programs.
void FailOpens(bool fail);            // every open fails from now on
void FailInterruptEnable(bool fail);  // enable requests are refused
void ClaimByOtherProgram(int card, bool claimed);

// EEPROM of a card (64 words). A present one starts with the device ID 0x305C, the
// vendor ID 0xCDAB, 0x0680 and 0x0001 (class code 0x068000, revision 1), 0x0000 and
// 0x0100 (interrupt pin 1) in words 0 to 5, and 0xFFFF in the others; a write takes
// effect as soon as chip select falls. One that ignores writes reads 0xFFFF everywhere.
uint16_t EepromWord(int card, int index);
void SetEepromWord(int card, int index, uint16_t value);

// Driver events: completes the event's pending wait and queues an action for the pull.
void InjectEvent(uint32_t eventHandle, uint32_t action);
std::vector<std::string> DebugMessages();

}  // namespace vornsim
