// Cost of four everyday card calls against the simulated service: chip accesses and
// service requests per call beside the least the register layer allows, and calls
// per second.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>

#include "card_message.h"
#include "motion_card.h"
#include "sim_service.h"

namespace {

struct Measured {
    double chipAccesses;
    double requests;
};

long TotalRequests(const vornsim::Counters& counters) {
    long total = 0;
    for (const auto& entry : counters.requests) total += entry.second;
    return total;
}

Measured CountPerCall(const std::function<void()>& call, int calls) {
    vornsim::ClearChipAccesses();
    vornsim::ResetCounters();
    for (int i = 0; i < calls; ++i) call();
    const vornsim::Counters counters = vornsim::GetCounters();
    vornsim::ClearChipAccesses();
    return {static_cast<double>(counters.chipAccesses) / calls,
            static_cast<double>(TotalRequests(counters)) / calls};
}

double CallsPerSecond(const std::function<void()>& call) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const int kBatch = 1000;
    int64_t calls = 0;
    int64_t ticks = 0;
    // Batches, with the access log emptied outside the timed part.
    while (ticks < frequency.QuadPart / 2 || calls < 5 * kBatch) {
        vornsim::ClearChipAccesses();
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        for (int i = 0; i < kBatch; ++i) call();
        QueryPerformanceCounter(&end);
        ticks += end.QuadPart - start.QuadPart;
        calls += kBatch;
    }
    return static_cast<double>(calls) * frequency.QuadPart / ticks;
}

long g_messages = 0;
void CountMessage(const char*, void*) { ++g_messages; }

}  // namespace

int main() {
    vornsim::Install(vornsim::DefaultProfile(1));
    SetCardMessageSink(&CountMessage, nullptr);
    CMotionCard card;
    if (card.InitCard(0, nullptr) != 0) {
        std::printf("InitCard failed\n");
        return 1;
    }

    volatile int32_t sink = 0;
    struct Row {
        const char* name;
        std::function<void()> call;
        int minimumAccesses;  // one service request per access of the I/O-mapped chip
    };
    const Row rows[] = {
        {"GetPosition", [&] { sink = card.GetPosition(1); }, 3},   // W0 R12 R14
        {"SetPosition", [&] { card.SetPosition(1, -12345); }, 3},  // W14 W12 W0
        {"GetInput", [&] { sink = card.GetInput(); }, 10},         // R8 R10, select + R4 per axis
        {"PulseOutMode", [&] { card.PulseOutMode(1, 1); }, 2},     // select + W4
    };

    std::printf("%-14s %14s %8s %16s %8s %14s\n", "call", "chip acc/call", "minimum",
                "requests/call", "minimum", "calls/s");
    for (const Row& row : rows) {
        const Measured measured = CountPerCall(row.call, 1000);
        const double rate = CallsPerSecond(row.call);
        std::printf("%-14s %14.2f %8d %16.2f %8d %14.0f\n", row.name, measured.chipAccesses,
                    row.minimumAccesses, measured.requests, row.minimumAccesses, rate);
    }
    (void)sink;
    card.CloseCard();
    SetCardMessageSink(nullptr, nullptr);
    vornsim::Uninstall();
    if (g_messages != 0) {
        std::printf("unexpected card messages: %ld\n", g_messages);
        return 1;
    }
    return 0;
}
