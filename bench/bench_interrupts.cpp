// Interrupt latency through the whole road (simulated service -> wait thread -> handler
// -> relay window on this thread) against the platform's floors for that road (a thread
// woken through a kernel event, and one woken through a condition variable as the
// simulated service wakes its waits), and the cost of opening and closing a card.
// Interrupts come as they do to the program: from elsewhere, while this thread waits for
// messages.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "card_message.h"
#include "interrupt_relay_window.h"
#include "interrupt_thread.h"
#include "motion_card.h"
#include "sim_service.h"

namespace {

constexpr int kInterrupts = 10000;
constexpr int kCycles = 1000;

double g_tickUs = 0;
long long Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

struct Relay {
    long events = 0;
    long long lastTicks = 0;
};

void OnRelay(void* context, short /*axis*/, long /*status*/) {
    Relay* const relay = static_cast<Relay*>(context);
    relay->lastTicks = Now();
    ++relay->events;
}

void IgnoreMessage(const char* /*text*/, void* context) { ++*static_cast<long*>(context); }

long TotalRequests() {
    long total = 0;
    for (const auto& entry : vornsim::GetCounters().requests) {
        total += entry.second;
    }
    return total;
}

long ThreadCount() {
    const DWORD pid = GetCurrentProcessId();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    long count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == pid) {
            ++count;
        }
    }
    CloseHandle(snapshot);
    return count;
}

long HandleCount() {
    DWORD count = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &count) ? static_cast<long>(count) : -1;
}

// The value of a newly created handle: handles take the lowest free slot, so a leak
// pushes this value up even where the handle count is not reported (Wine reports 0).
uintptr_t NextHandleValue() {
    HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const uintptr_t value = reinterpret_cast<uintptr_t>(probe);
    CloseHandle(probe);
    return value;
}

// Waits for the relay to reach the count while handling this thread's messages.
bool PumpUntilEvents(const Relay& relay, long events) {
    const ULONGLONG end = GetTickCount64() + 5000;
    while (relay.events < events) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        if (relay.events >= events) {
            break;
        }
        if (GetTickCount64() > end) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    return true;
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(p * values.size()));
    return values[index];
}

// The platform's floor under the same road: a thread blocked on an event is woken by a
// set from the source and sends the relay window the same message, with no simulator.
class FloorThread {
public:
    explicit FloorThread(HWND relay) : m_relay(relay) {}
    // Started as the interrupt thread is, and stopped as it is: a message the thread may
    // still be sending here is delivered meanwhile.
    ~FloorThread() {
        if (m_thread != nullptr) {
            m_stop = true;
            SetEvent(m_go.get());
            ThreadWaitClose(m_thread);
        }
    }
    FloorThread(const FloorThread&) = delete;
    FloorThread& operator=(const FloorThread&) = delete;

    bool Start() { return m_armed && m_go && ThreadStart(&m_thread, Entry, this) == 0; }
    // Until the thread is about to wait again, as WaitForPendingWaits is for the card.
    bool WaitArmed() const { return WaitForSingleObject(m_armed.get(), 5000) == WAIT_OBJECT_0; }
    void Fire(int axis) {
        m_axis = axis;
        SetEvent(m_go.get());
    }

private:
    struct CloseEvent {
        void operator()(HANDLE h) const { CloseHandle(h); }
    };
    using Event = std::unique_ptr<void, CloseEvent>;

    static void Entry(void* self) { static_cast<FloorThread*>(self)->Run(); }
    void Run() {
        for (;;) {
            SetEvent(m_armed.get());
            WaitForSingleObject(m_go.get(), INFINITE);
            if (m_stop) {
                return;
            }
            SendMessageA(m_relay, WM_INTERRUPT_X + m_axis, 0x0080, 0);
        }
    }

    HWND m_relay;
    Event m_armed{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    Event m_go{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_axis{0};
    HANDLE m_thread = nullptr;
};

// The floor that does the simulated service's work: a thread asleep on a condition
// variable of its own under a critical section is woken by the source, which marks the
// round under that lock, as the service completes a wait; it leaves the lock and sends the
// relay window the same message.
class ConditionFloorThread {
public:
    explicit ConditionFloorThread(HWND relay) : m_relay(relay) { InitializeCriticalSection(&m_cs); }
    // Stopped as the interrupt thread is: a message it may still be sending here is
    // delivered meanwhile.
    ~ConditionFloorThread() {
        if (m_thread != nullptr) {
            EnterCriticalSection(&m_cs);
            m_stop = true;
            WakeConditionVariable(&m_wake);
            LeaveCriticalSection(&m_cs);
            ThreadWaitClose(m_thread);
        }
        DeleteCriticalSection(&m_cs);
    }
    ConditionFloorThread(const ConditionFloorThread&) = delete;
    ConditionFloorThread& operator=(const ConditionFloorThread&) = delete;

    bool Start() { return ThreadStart(&m_thread, Entry, this) == 0; }
    // Until the thread sleeps on its condition again, as WaitForPendingWaits is for the card.
    bool WaitArmed() {
        const ULONGLONG end = GetTickCount64() + 5000;
        EnterCriticalSection(&m_cs);
        while (!m_asleep) {
            const ULONGLONG now = GetTickCount64();
            if (now >= end) break;
            SleepConditionVariableCS(&m_asleepChanged, &m_cs, static_cast<DWORD>(end - now));
        }
        const bool asleep = m_asleep;
        LeaveCriticalSection(&m_cs);
        return asleep;
    }
    void Fire(int axis) {
        EnterCriticalSection(&m_cs);
        m_axis = axis;
        m_go = true;
        WakeConditionVariable(&m_wake);
        LeaveCriticalSection(&m_cs);
    }

private:
    static void Entry(void* self) { static_cast<ConditionFloorThread*>(self)->Run(); }
    void Run() {
        EnterCriticalSection(&m_cs);
        for (;;) {
            m_asleep = true;
            WakeAllConditionVariable(&m_asleepChanged);
            while (!m_go && !m_stop) {
                SleepConditionVariableCS(&m_wake, &m_cs, INFINITE);
            }
            m_asleep = false;
            if (m_stop) break;
            m_go = false;
            const int axis = m_axis;
            LeaveCriticalSection(&m_cs);
            SendMessageA(m_relay, WM_INTERRUPT_X + axis, 0x0080, 0);
            EnterCriticalSection(&m_cs);
        }
        LeaveCriticalSection(&m_cs);
    }

    HWND m_relay;
    CRITICAL_SECTION m_cs;
    CONDITION_VARIABLE m_wake = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE m_asleepChanged = CONDITION_VARIABLE_INIT;
    bool m_asleep = false;  // these four under m_cs
    bool m_go = false;
    bool m_stop = false;
    int m_axis = 0;
    HANDLE m_thread = nullptr;
};

// Where the rounds' events come from: a thread of its own, as a card's interrupt does not
// come from the interface thread. It lets that thread go back to its message wait first,
// so that both roads end by waking it, and notes the time it fires.
class Source {
public:
    explicit Source(double settleUs) : m_settleTicks(static_cast<long long>(settleUs / g_tickUs)) {}
    ~Source() {
        m_stop = true;
        SetEvent(m_go.get());
        m_thread.join();
    }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    void Fire(std::function<void()> fire) {
        m_fire = std::move(fire);
        SetEvent(m_go.get());
    }
    // When the last round fired; read once its message has arrived.
    long long Fired() const { return m_fired; }

private:
    struct CloseEvent {
        void operator()(HANDLE h) const { CloseHandle(h); }
    };

    void Run() {
        for (;;) {
            WaitForSingleObject(m_go.get(), INFINITE);
            if (m_stop) return;
            const long long until = Now() + m_settleTicks;
            while (Now() < until) {
            }
            m_fired = Now();
            m_fire();
        }
    }

    const long long m_settleTicks;
    std::unique_ptr<void, CloseEvent> m_go{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::function<void()> m_fire;
    std::atomic<long long> m_fired{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread{[this] { Run(); }};
};

void PrintSpread(const char* what, const std::vector<double>& us) {
    std::printf("  %s: median %.1f us, 99th percentile %.1f us, max %.1f us\n", what,
                Percentile(us, 0.5), Percentile(us, 0.99), Percentile(us, 1.0));
}

double Ratio(const std::vector<double>& a, const std::vector<double>& b, double p) {
    return Percentile(a, p) / Percentile(b, p);
}

// Rounds of the two floors and of the card alternate, so a load that comes and goes on
// the machine weighs on all three alike.
int BenchLatency() {
    vornsim::Install(vornsim::DefaultProfile(1));
    Relay relay;
    CInterruptRelayWindow window;
    if (!window.Create(OnRelay, &relay)) {
        std::printf("relay window could not be created\n");
        return 1;
    }
    FloorThread eventFloor(window.GetSafeHwnd());
    ConditionFloorThread conditionFloor(window.GetSafeHwnd());
    if (!eventFloor.Start() || !conditionFloor.Start()) {
        std::printf("a floor thread could not be started\n");
        return 1;
    }
    CMotionCard card;
    if (card.InitCard(0, window.GetSafeHwnd()) != 0) {
        std::printf("InitCard failed\n");
        return 1;
    }
    std::vector<double> latencies;
    std::vector<double> eventFloors;
    std::vector<double> conditionFloors;
    latencies.reserve(kInterrupts);
    eventFloors.reserve(kInterrupts);
    conditionFloors.reserve(kInterrupts);
    if (!vornsim::WaitForPendingWaits(0, 1, 5000)) {
        std::printf("the wait thread never waited\n");
        return 1;
    }
    const long requestsBefore = TotalRequests();
    const long opensBefore = vornsim::GetCounters().opens;
    Source source(300);
    long events = 0;
    for (int i = 0; i < kInterrupts; ++i) {
        const int axis = i % 4;
        if (!eventFloor.WaitArmed()) {
            std::printf("the event floor's thread stopped waiting at round %d\n", i);
            return 1;
        }
        source.Fire([&eventFloor, axis] { eventFloor.Fire(axis); });
        if (!PumpUntilEvents(relay, ++events)) {
            std::printf("event floor round %d never reached the relay\n", i);
            return 1;
        }
        eventFloors.push_back((relay.lastTicks - source.Fired()) * g_tickUs);

        if (!conditionFloor.WaitArmed()) {
            std::printf("the condition floor's thread stopped waiting at round %d\n", i);
            return 1;
        }
        source.Fire([&conditionFloor, axis] { conditionFloor.Fire(axis); });
        if (!PumpUntilEvents(relay, ++events)) {
            std::printf("condition floor round %d never reached the relay\n", i);
            return 1;
        }
        conditionFloors.push_back((relay.lastTicks - source.Fired()) * g_tickUs);

        if (!vornsim::WaitForPendingWaits(0, 1, 5000)) {
            std::printf("the wait thread stopped waiting at interrupt %d\n", i);
            return 1;
        }
        vornsim::InjectStatus(0, axis, 0x0080);
        source.Fire([] { vornsim::RaiseInterrupt(0); });
        if (!PumpUntilEvents(relay, ++events)) {
            std::printf("interrupt %d never reached the relay\n", i);
            return 1;
        }
        latencies.push_back((relay.lastTicks - source.Fired()) * g_tickUs);
    }
    // Let the thread send its next wait, so every interrupt is charged a full round.
    vornsim::WaitForPendingWaits(0, 1, 5000);
    const double requests = static_cast<double>(TotalRequests() - requestsBefore) / kInterrupts;
    const double opens =
        static_cast<double>(vornsim::GetCounters().opens - opensBefore) / kInterrupts;
    card.CloseCard();
    window.Destroy();
    vornsim::Uninstall();

    const bool conditionFaster = Percentile(conditionFloors, 0.5) <= Percentile(eventFloors, 0.5);
    const std::vector<double>& faster = conditionFaster ? conditionFloors : eventFloors;
    std::printf(
        "interrupt latency over %d interrupts (raised by another thread while this one\n"
        "waits for messages -> relay callback on this thread), against two platform floors\n"
        "in alternate rounds, each a waiting thread that sends the same message to the relay\n"
        "window: woken through a kernel event, or through a condition variable under a\n"
        "critical section as the simulated service wakes its waits\n",
        kInterrupts);
    PrintSpread("interrupt          ", latencies);
    PrintSpread("floor, event       ", eventFloors);
    PrintSpread("floor, condition   ", conditionFloors);
    std::printf("  interrupt / faster floor (%s): median %.2f, 99th percentile %.2f\n",
                conditionFaster ? "condition" : "event", Ratio(latencies, faster, 0.5),
                Ratio(latencies, faster, 0.99));
    std::printf("  service requests per interrupt %.2f (device opens per interrupt %.2f)\n",
                requests, opens);
    return relay.events == 3 * kInterrupts ? 0 : 1;
}

int BenchLifecycle() {
    vornsim::Install(vornsim::DefaultProfile(1));
    long messages = 0;
    SetCardMessageSink(IgnoreMessage, &messages);
    Relay relay;
    CInterruptRelayWindow window;
    window.Create(OnRelay, &relay);
    CMotionCard card;
    // One cycle first, so lazily created process resources are not counted as growth.
    card.InitCard(0, window.GetSafeHwnd());
    card.CloseCard();

    const long handlesBefore = HandleCount();
    const uintptr_t probeBefore = NextHandleValue();
    const long threadsBefore = ThreadCount();
    const long requestsBefore = TotalRequests();
    const long long start = Now();
    int failures = 0;
    for (int i = 0; i < kCycles; ++i) {
        if (card.InitCard(0, window.GetSafeHwnd()) != 0) {
            ++failures;
        }
        card.CloseCard();
    }
    const double totalMs = (Now() - start) * g_tickUs / 1000.0;
    const double requests = static_cast<double>(TotalRequests() - requestsBefore) / kCycles;
    const long handlesAfter = HandleCount();
    const uintptr_t probeAfter = NextHandleValue();
    const long threadsAfter = ThreadCount();
    const vornsim::Counters counters = vornsim::GetCounters();
    window.Destroy();
    SetCardMessageSink(nullptr, nullptr);
    vornsim::Uninstall();

    std::printf("InitCard + CloseCard over %d cycles\n", kCycles);
    std::printf("  %.1f service requests per cycle, %.1f ms total, %.3f ms per cycle\n", requests,
                totalMs, totalMs / kCycles);
    std::printf("  process handles %ld -> %ld, next handle value 0x%llx -> 0x%llx\n", handlesBefore,
                handlesAfter, static_cast<unsigned long long>(probeBefore),
                static_cast<unsigned long long>(probeAfter));
    std::printf("  threads %ld -> %ld, interrupt threads alive %ld\n", threadsBefore, threadsAfter,
                InterruptThreadsAlive());
    std::printf(
        "  service afterwards: open handles %ld, registrations %ld, enabled interrupts %ld\n",
        counters.openHandles, counters.registrations, counters.enabledInterrupts);
    std::printf("  failed InitCard calls %d, messages %ld\n", failures, messages);
    const bool stable = handlesAfter <= handlesBefore && probeAfter <= probeBefore &&
                        threadsAfter <= threadsBefore && InterruptThreadsAlive() == 0;
    return failures == 0 && messages == 0 && stable && counters.openHandles == 0 ? 0 : 1;
}

}  // namespace

int main() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_tickUs = 1e6 / static_cast<double>(frequency.QuadPart);
    const int latency = BenchLatency();
    const int lifecycle = BenchLifecycle();
    return latency != 0 || lifecycle != 0 ? 1 : 0;
}
