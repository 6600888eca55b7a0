// The simulated service's state, its device handles and the request dispatch.
#include "sim_service.h"

#include <cstdlib>
#include <cstring>

#include "sim_state.h"

namespace vornsim {
namespace detail {

State::State() {
    InitializeCriticalSection(&cs);
    InitializeConditionVariable(&waitersAdded);
    QueryPerformanceFrequency(&qpcFrequency);
}

State::~State() { DeleteCriticalSection(&cs); }

State& S() {
    static State state;
    return state;
}

uint32_t NewToken(TokenKind kind) {
    State& s = S();
    uint32_t& next = kind == TokenKind::Card ? s.nextCardToken : s.nextInterruptToken;
    if (next == 0) {
        next = 2;
    }
    const uint32_t token = next;
    next += 2;
    return token;
}

bool Retired(uint32_t token) {
    const State& s = S();
    return (token & 1) != 0 && token >= s.firstInterruptToken && token < s.nextInterruptToken &&
           s.interrupts.count(token) == 0;
}

CardState* Card(int index) {
    State& s = S();
    if (index < 0 || static_cast<size_t>(index) >= s.cards.size()) {
        return nullptr;
    }
    return s.cards[static_cast<size_t>(index)].get();
}

uint64_t Now() {
    State& s = S();
    if (!s.realTime) {
        return s.virtualNs;
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const uint64_t ticks = static_cast<uint64_t>(now.QuadPart - s.qpcOrigin.QuadPart);
    const uint64_t frequency = static_cast<uint64_t>(s.qpcFrequency.QuadPart);
    return s.realBaseNs + ticks / frequency * 1000000000u +
           ticks % frequency * 1000000000u / frequency;
}

void Sync() {
    const uint64_t now = Now();
    for (const auto& card : S().cards) {
        card->chip->AdvanceTo(now);
    }
}

namespace {

// Device handles are numbers of the service's own, not kernel objects, so the open and
// close around every interrupt wait cost no system call. None is a multiple of four, as
// every real handle is, and none comes back within 2^28 opens, resets included, so a
// closed handle stays unanswered.
constexpr uintptr_t kDeviceHandleBase = 0x40000000;
constexpr uintptr_t kDeviceHandleSpan = uintptr_t{1} << 28;

HANDLE Open() {
    Locked lock;
    State& s = S();
    if (s.profile.serviceAbsent || s.failOpens) {
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h;
    do {
        const uintptr_t serial = s.nextDevice++ % kDeviceHandleSpan;
        h = reinterpret_cast<HANDLE>(kDeviceHandleBase + (serial << 2) + 1);
    } while (s.handles.count(h) != 0);
    s.handles.insert(h);
    ++s.counters.opens;
    return h;
}

void Close(HANDLE device) {
    Locked lock;
    State& s = S();
    if (s.handles.erase(device) != 0) {
        ++s.counters.closes;
    }
}

// The least record size of each request; 0 for codes the service does not know.
uint32_t RecordBytes(uint32_t code) {
    switch (code) {
        case WD_IOCTL_VERSION:
            return sizeof(WdVersion);
        case WD_IOCTL_PCI_SCAN:
            return sizeof(WdPciScan);
        case WD_IOCTL_PCI_CARD_INFO:
            return sizeof(WdPciCardInfo);
        case WD_IOCTL_CARD_REGISTER:
        case WD_IOCTL_CARD_UNREGISTER:
            return sizeof(WdCardRegistration);
        case WD_IOCTL_PCI_CONFIG:
            return sizeof(WdPciConfigAccess);
        case WD_IOCTL_TRANSFER:
            return sizeof(WdTransferCmd);
        case WD_IOCTL_SLEEP:
            return sizeof(WdSleep);
        case WD_IOCTL_INT_ENABLE:
        case WD_IOCTL_INT_DISABLE:
        case WD_IOCTL_INT_WAIT:
            return sizeof(WdInterruptDesc);
        case WD_IOCTL_DEBUG_ADD:
            return sizeof(WdDebugAdd);
        case WD_IOCTL_EVENT_REGISTER:
        case WD_IOCTL_EVENT_UNREGISTER:
        case WD_IOCTL_EVENT_PULL:
        case WD_IOCTL_EVENT_SEND:
            return sizeof(WdEvent);
        default:
            return 0;
    }
}

uint32_t VersionRequest(WdVersion& version) {
    const Profile& profile = S().profile;
    if (profile.versionQueryFails) {
        return WD_SYSTEM_INTERNAL_ERROR;
    }
    version.version = profile.version;
    std::memset(version.text, 0, sizeof(version.text));
    std::strncpy(version.text, "Vorn305q simulated PCI access service", sizeof(version.text) - 1);
    return WD_STATUS_SUCCESS;
}

uint32_t DebugRequest(const WdDebugAdd& debug) {
    // The text may arrive unterminated: read no further than the field.
    const void* end = std::memchr(debug.text, 0, sizeof(debug.text));
    const size_t length =
        end ? static_cast<size_t>(static_cast<const char*>(end) - debug.text) : sizeof(debug.text);
    AppendBounded(S().debugMessages, std::string(debug.text, length));
    return WD_STATUS_SUCCESS;
}

uint64_t ConfigValue(const WdPciConfigAccess& access) {
    uint64_t value = 0;
    if (access.buffer && access.bytes >= 1 && access.bytes <= 4) {
        std::memcpy(&value, access.buffer, access.bytes);
    }
    return value;
}

uint32_t Dispatch(uint32_t code, void* record, uint32_t bytes) {
    Request logged = {};
    logged.code = code;
    const uint32_t need = RecordBytes(code);
    uint32_t status;
    if (need == 0) {
        status = WD_NOT_IMPLEMENTED;
    } else if (record == nullptr || bytes < need) {
        status = WD_INVALID_PARAMETER;
    } else {
        switch (code) {
            case WD_IOCTL_VERSION:
                status = VersionRequest(*static_cast<WdVersion*>(record));
                break;
            case WD_IOCTL_PCI_SCAN:
                status = Scan(*static_cast<WdPciScan*>(record));
                break;
            case WD_IOCTL_PCI_CARD_INFO:
                status = CardInfo(*static_cast<WdPciCardInfo*>(record));
                break;
            case WD_IOCTL_CARD_REGISTER:
                status = Register(*static_cast<WdCardRegistration*>(record));
                break;
            case WD_IOCTL_CARD_UNREGISTER:
                status = Unregister(*static_cast<WdCardRegistration*>(record));
                break;
            case WD_IOCTL_PCI_CONFIG: {
                WdPciConfigAccess& access = *static_cast<WdPciConfigAccess*>(record);
                const bool read = access.isRead != 0;
                if (!read) {
                    logged.value = ConfigValue(access);
                }
                status = Config(access);
                if (read && status == WD_STATUS_SUCCESS) {
                    logged.value = ConfigValue(access);
                }
                logged.bytes = access.bytes;
                logged.configOffset = access.offset;
                logged.configRead = read;
                break;
            }
            case WD_IOCTL_TRANSFER: {
                WdTransferCmd& cmd = *static_cast<WdTransferCmd*>(record);
                logged.command = cmd.command;
                logged.port = cmd.port;
                logged.bytes = cmd.bytes;
                logged.autoIncrement = cmd.autoIncrement;
                status = Transfer(cmd, false, true, &logged.value);
                break;
            }
            case WD_IOCTL_SLEEP:
                status = SleepRequest(*static_cast<WdSleep*>(record));
                break;
            case WD_IOCTL_INT_ENABLE:
                status = InterruptEnableRequest(*static_cast<WdInterruptDesc*>(record));
                break;
            case WD_IOCTL_INT_DISABLE:
                status = InterruptDisableRequest(*static_cast<WdInterruptDesc*>(record));
                break;
            case WD_IOCTL_INT_WAIT:
                status = InterruptWaitRequest(*static_cast<WdInterruptDesc*>(record));
                break;
            case WD_IOCTL_DEBUG_ADD:
                status = DebugRequest(*static_cast<const WdDebugAdd*>(record));
                break;
            default:
                status = EventRequest(code, record, bytes);
                break;
        }
    }
    logged.status = status;
    AppendBounded(S().requests, logged);
    return status;
}

void Ioctl(HANDLE device, uint32_t code, void* record, uint32_t recordBytes, uint32_t* status) {
    Locked lock;
    State& s = S();
    if (s.handles.count(device) == 0) {
        return;  // not our handle: no answer, as from a failed DeviceIoControl
    }
    ++s.counters.requests[code];
    Sync();
    const uint32_t result = Dispatch(code, record, recordBytes);
    Serve();
    if (status) {
        *status = result;
    }
}

const WdBackend kBackend = {Open, Ioctl, Close};

// Ends whatever the previous configuration left: waits, handles, claims, logs.
void ResetState(const Profile& profile) {
    State& s = S();
    while (!s.waiters.empty()) {
        Complete(s.waiters.size() - 1, Waiter::Outcome::Disabled, nullptr);
    }
    s.handles.clear();
    s.interrupts.clear();
    s.firstInterruptToken = s.nextInterruptToken;
    s.cardHandles.clear();
    s.events.clear();
    s.cards.clear();

    s.profile = profile;
    s.realTime = false;
    s.virtualNs = 0;
    s.realBaseNs = 0;
    s.fastSleep = true;
    s.failOpens = false;
    s.failEnable = false;
    s.counters = Counters();
    s.requests.clear();
    s.chipAccesses.clear();
    s.debugMessages.clear();
    s.trace.reset();

    uint32_t nextPort = 0;
    uint32_t nextMemory = 0;
    for (size_t i = 0; i < profile.cards.size(); ++i) {
        s.cards.push_back(BuildCard(profile.cards[i], static_cast<int>(i), &nextPort, &nextMemory));
    }
    BuildForeign(s.foreign);
}

bool ParseNumber(const char* text, unsigned long* value) {
    if (text == nullptr || *text == '\0') {
        return false;
    }
    char* end = nullptr;
    *value = std::strtoul(text, &end, 0);
    return end != text;
}

}  // namespace

}  // namespace detail

using namespace detail;

std::vector<Range> CardProfile::DefaultRanges() {
    return {{Window::Memory, 128, 0, Target::BridgeRegisters},
            {Window::Io, 128, 1, Target::BridgeRegisters},
            {Window::Io, 16, 2, Target::Chip}};
}

Profile DefaultProfile(int cards) {
    Profile profile;
    for (int i = 0; i < cards; ++i) {
        CardProfile card;
        card.slot = static_cast<uint32_t>(i);
        profile.cards.push_back(card);
    }
    return profile;
}

void Configure(const Profile& profile) {
    Locked lock;
    ResetState(profile);
}

const WdBackend* Backend() { return &kBackend; }

bool ConfigureFromEnvironment() {
    const char* cards = std::getenv("VORN305Q_SIMULATOR");
    if (cards == nullptr) {
        return false;
    }
    char* end = nullptr;
    long count = std::strtol(cards, &end, 10);
    if (end == cards || count < 0) {
        count = 0;
    }
    Profile profile = DefaultProfile(static_cast<int>(count > 8 ? 8 : count));
    unsigned long version = 0;
    if (ParseNumber(std::getenv("VORN305Q_SIM_VERSION"), &version)) {
        profile.version = static_cast<uint32_t>(version);
    }
    profile.sharedClaims = true;
    profile.logEntries = 0;  // nobody reads the logs; the trace file is written directly
    Configure(profile);
    SetRealTime(true);
    SetFastSleep(false);
    const char* trace = std::getenv("VORN305Q_SIM_TRACE");
    if (trace != nullptr && *trace != '\0') {
        SetTraceFile(trace);
    }
    return true;
}

void SetRealTime(bool realTime) {
    Locked lock;
    State& s = S();
    if (realTime == s.realTime) {
        return;
    }
    if (realTime) {
        QueryPerformanceCounter(&s.qpcOrigin);
        s.realBaseNs = s.virtualNs;
    } else {
        s.virtualNs = Now();
    }
    s.realTime = realTime;
}

void Advance(uint64_t microseconds) {
    Locked lock;
    State& s = S();
    (s.realTime ? s.realBaseNs : s.virtualNs) += microseconds * 1000u;
    Sync();
    Serve();
}

uint64_t NowNs() {
    Locked lock;
    return Now();
}

void SetFastSleep(bool fast) {
    Locked lock;
    S().fastSleep = fast;
}

Counters GetCounters() {
    Locked lock;
    const State& s = S();
    Counters counters = s.counters;
    counters.openHandles = static_cast<long>(s.handles.size());
    counters.registrations = static_cast<long>(s.cardHandles.size());
    counters.enabledInterrupts = 0;
    counters.interruptRecords = static_cast<long>(s.interrupts.size());
    for (const auto& entry : s.interrupts) {
        counters.enabledInterrupts += entry.second.enabled ? 1 : 0;
    }
    counters.pendingWaits = static_cast<long>(s.waiters.size());
    return counters;
}

void ResetCounters() {
    Locked lock;
    S().counters = Counters();
}

std::vector<Request> Requests() {
    Locked lock;
    return std::vector<Request>(S().requests.begin(), S().requests.end());
}

void ClearRequests() {
    Locked lock;
    S().requests.clear();
}

void FailOpens(bool fail) {
    Locked lock;
    S().failOpens = fail;
}

std::vector<std::string> DebugMessages() {
    Locked lock;
    return std::vector<std::string>(S().debugMessages.begin(), S().debugMessages.end());
}

}  // namespace vornsim
