// Chip register accesses per second through the bridge library against the simulated
// service, and the service requests each access costs.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "p9050.h"
#include "sim_service.h"

namespace {

using vornsim::Range;
using vornsim::Target;
using vornsim::Window;

constexpr uint32_t kChipSpace = 2;
constexpr uint32_t kWr2 = 4;  // a mode register: writing it starts nothing
constexpr uint32_t kRr0 = 0;  // drive status
constexpr int kBatch = 10000;
constexpr double kSecondsPerProfile = 1.0;

volatile uint16_t g_sink;  // keeps the reads

long TotalRequests() {
    long total = 0;
    for (const auto& entry : vornsim::GetCounters().requests) {
        total += entry.second;
    }
    return total;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

vornsim::Profile WithRanges(Window space0, Window chip) {
    vornsim::Profile profile = vornsim::DefaultProfile(1);
    profile.cards[0].ranges = {{space0, 128, 0, Target::BridgeRegisters},
                               {Window::Io, 128, 1, Target::BridgeRegisters},
                               {chip, 16, 2, Target::Chip}};
    return profile;
}

void Measure(const char* name, const vornsim::Profile& profile) {
    vornsim::Install(profile);
    P9050Handle* hPlx = nullptr;
    char msg[140];
    if (!P9050_Open(&hPlx, 0xCDAB, 0x305C, 0, 0, msg)) {
        std::fprintf(stderr, "%s: open failed: %s", name, msg);
        std::exit(1);
    }
    const long requestsBefore = TotalRequests();
    long accesses = 0;
    double seconds = 0;
    while (seconds < kSecondsPerProfile) {
        // The service's logs grow with every request; empty them outside the clock.
        vornsim::ClearRequests();
        vornsim::ClearChipAccesses();
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        for (int i = 0; i < kBatch; i += 2) {
            P9050_WriteSpaceWord(hPlx, kChipSpace, kWr2, static_cast<uint16_t>(i));
            g_sink = P9050_ReadSpaceWord(hPlx, kChipSpace, kRr0);
        }
        QueryPerformanceCounter(&end);
        seconds += Seconds(start, end);
        accesses += kBatch;
    }
    const long requests = TotalRequests() - requestsBefore;
    P9050_Close(hPlx);
    vornsim::Uninstall();
    std::printf("%-44s %12.0f %10.2f\n", name, accesses / seconds,
                static_cast<double>(requests) / accesses);
}

}  // namespace

int main() {
    std::printf("%-44s %12s %10s\n", "chip register access (word write / read)", "accesses/s",
                "req/access");
    Measure("chip I/O range, local base in memory (default)", vornsim::DefaultProfile(1));
    Measure("chip memory window, local base in memory", WithRanges(Window::Memory, Window::Memory));
    Measure("chip I/O range, local base in I/O", WithRanges(Window::Io, Window::Io));
    return 0;
}
