// Cost and fidelity of the motion calls against the simulated service: chip accesses
// and service requests per call beside the least their register sequence allows, the
// simulated time of trapezoidal drives against the closed form, and the worst path
// deviation of a full circle of radius 100000.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>

#include "card_message.h"
#include "motion_card.h"
#include "sim_chip.h"
#include "sim_service.h"

namespace {

long g_messages = 0;
void CountMessage(const char*, void*) { ++g_messages; }

long TotalRequests(const vornsim::Counters& counters) {
    long total = 0;
    for (const auto& entry : counters.requests) total += entry.second;
    return total;
}

struct PerCall {
    double chipAccesses;
    double requests;
    double microseconds;
};

PerCall Measure(const std::function<void()>& call, int calls) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    vornsim::ClearChipAccesses();
    vornsim::ResetCounters();
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < calls; ++i) call();
    QueryPerformanceCounter(&end);
    const vornsim::Counters counters = vornsim::GetCounters();
    vornsim::ClearChipAccesses();
    return {static_cast<double>(counters.chipAccesses) / calls,
            static_cast<double>(TotalRequests(counters)) / calls,
            1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart / calls};
}

bool Driving(int axis) {
    bool driving = false;
    vornsim::WithChip(0, [&](SimChip& chip) { driving = chip.Driving(axis); });
    return driving;
}

// Runs the clock from event to event until the axis stops; returns the stop time (ns).
uint64_t RunToStop(int axis) {
    while (Driving(axis)) {
        uint64_t next = UINT64_MAX;
        vornsim::WithChip(0, [&](SimChip& chip) { next = chip.NextEventNs(); });
        const uint64_t now = vornsim::NowNs();
        const uint64_t stepUs = next == UINT64_MAX || next <= now ? 1 : (next - now + 999) / 1000;
        vornsim::Advance(stepUs);
    }
    return vornsim::NowNs();
}

// A linear fixed drive's time from the parameters on the chip (M = 8000000 / R).
double ClosedFormSeconds(int axis, double pulses) {
    SimChip::AxisParams p{};
    uint16_t wr3 = 0;
    vornsim::WithChip(0, [&](SimChip& chip) {
        p = chip.Params(axis);
        wr3 = chip.WR3(axis);
    });
    const double m = 8000000.0 / p.range;
    const double vs = p.startSpeed * m;
    const double v = p.driveSpeed * m;
    const double acc = p.accel * 125.0 * m;
    const double dec = (wr3 & 2) ? p.decel * 125.0 * m : acc;
    const double up = (v * v - vs * vs) / (2 * acc);
    const double down = (v * v - vs * vs) / (2 * dec);
    if (up + down <= pulses) return (v - vs) / acc + (v - vs) / dec + (pulses - up - down) / v;
    const double peak = std::sqrt((2 * pulses * acc * dec + vs * vs * (acc + dec)) / (acc + dec));
    return (peak - vs) / acc + (peak - vs) / dec;
}

void CallCosts(CMotionCard& card) {
    struct Row {
        const char* name;
        std::function<void()> call;
        int sequence;  // accesses of the register sequence the call must write
    };
    const Row rows[] = {
        {"StartTRMove(0,1000,1000,9000,0.1)", [&] { card.StartTRMove(0, 1000, 1000, 9000, 0.1f); },
         18},
        {"SVMove(1,1000,9000,0.2,0.1,0)", [&] { card.SVMove(1, 1000, 9000, 0.2f, 0.1f, 0); }, 14},
        {"LineRMove(0,1,1000,-2000,1000,20000,0.5)",
         [&] { card.LineRMove(0, 1, 1000, -2000, 1000, 20000, 0.5f); }, 37},
        {"Line3RMove(0,1,2,-500,100,0,1000,20000,0.5)",
         [&] { card.Line3RMove(0, 1, 2, -500, 100, 0, 1000, 20000, 0.5f); }, 54},
        {"CircleDrawR(0,1,1000,0,2000,0,1000,20000,0.5,0)",
         [&] { card.CircleDrawR(0, 1, 1000, 0, 2000, 0, 1000, 20000, 0.5f, 0); }, 32},
    };
    std::printf(
        "Chip accesses and service requests per call (I/O-mapped chip: one transfer "
        "request per access at least)\n");
    std::printf("%-50s %9s %9s %9s %9s %9s\n", "call", "accesses", "minimum", "requests", "minimum",
                "us/call");
    for (const Row& row : rows) {
        const PerCall m = Measure(row.call, 2000);
        std::printf("%-50s %9.1f %9d %9.1f %9d %9.2f\n", row.name, m.chipAccesses, row.sequence,
                    m.requests, row.sequence, m.microseconds);
    }
    card.StopAllInst();
}

void ProfileAccuracy(CMotionCard& card) {
    struct Row {
        const char* name;
        int axis;
        int32_t pulses;
        std::function<short()> start;
    };
    const Row rows[] = {
        {"StartTRMove 200000 p, 1000->100000 pps, 0.5 s", 0, 200000,
         [&] { return card.StartTRMove(0, 200000, 1000, 100000, 0.5f); }},
        {"StartTRMove 10000 p, 1000->20000 pps, 0.2 s", 1, 10000,
         [&] { return card.StartTRMove(1, 10000, 1000, 20000, 0.2f); }},
        {"StartTRMove 300 p (triangle), 1000->50000, 1 s", 2, 300,
         [&] { return card.StartTRMove(2, 300, 1000, 50000, 1.0f); }},
        {"StartTRNMove 1e6 p, 0->4000000 pps, 0.1/0.4 s", 3, 1000000,
         [&] { return card.StartTRNMove(3, 1000000, 0, 4000000, 0.1f, 0.4f); }},
    };
    std::printf(
        "\nTrapezoidal drives: simulated time against the closed form of the written "
        "parameters\n");
    std::printf("%-50s %12s %12s %10s %10s\n", "drive", "closed (s)", "simulated", "error",
                "end pos");
    for (const Row& row : rows) {
        const uint64_t start = vornsim::NowNs();
        if (row.start() != 0) {
            std::printf("%-50s refused\n", row.name);
            continue;
        }
        const double expected = ClosedFormSeconds(row.axis, row.pulses);
        const double simulated = (RunToStop(row.axis) - start) / 1e9;
        std::printf("%-50s %12.6f %12.6f %9.4f%% %10d\n", row.name, expected, simulated,
                    100.0 * (simulated - expected) / expected, card.GetPosition(row.axis));
        card.SetPosition(row.axis, 0);
    }
}

void CircleDeviation(CMotionCard& card) {
    const double radius = 100000;
    card.SetPosition(0, 0);
    card.SetPosition(1, 0);
    card.CircleDrawR(0, 1, 100000, 0, 0, 0, 1000, 400000, 0.5f, 0);
    double worst = 0;
    long samples = 0;
    const uint64_t start = vornsim::NowNs();
    for (;;) {
        bool driving = false;
        int32_t x = 0;
        int32_t y = 0;
        vornsim::WithChip(0, [&](SimChip& chip) {
            driving = chip.Driving(0) || chip.Driving(1);
            x = chip.LogicalPosition(0);
            y = chip.LogicalPosition(1);
        });
        worst = std::max(worst, std::abs(std::hypot(x - radius, static_cast<double>(y)) - radius));
        ++samples;
        if (!driving) {
            std::printf(
                "\nFull circle, radius 100000, rV 400000 pps: %ld samples every 2 us over "
                "%.3f s, worst deviation %.3f pulse, end (%d, %d)\n",
                samples, (vornsim::NowNs() - start) / 1e9, worst, x, y);
            return;
        }
        vornsim::Advance(2);
    }
}

}  // namespace

int main() {
    vornsim::Install(vornsim::DefaultProfile(1));
    SetCardMessageSink(&CountMessage, nullptr);
    CMotionCard card;
    if (card.InitCard(0, nullptr) != 0) {
        std::printf("InitCard failed\n");
        return 1;
    }
    CallCosts(card);
    ProfileAccuracy(card);
    CircleDeviation(card);
    card.CloseCard();
    vornsim::Uninstall();
    if (g_messages != 0) std::printf("unexpected card messages: %ld\n", g_messages);
    return g_messages == 0 ? 0 : 1;
}
