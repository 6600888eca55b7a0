// Start-up and close of the demonstration program, measured from outside as an operator
// sees them, on one simulated card: start-up from process creation until the main window
// is visible with the card selector filled (the control exists and has counted the cards),
// close from WM_CLOSE until the process has ended. Median of 20 runs; run it under Xvfb
// in a prepared prefix (bench/run_show_startup.sh does both).
//   bench_show_startup.exe <Vorn_305q_show.exe> [runs]
#include <windows.h>

#include "bench_clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "show_program.h"

namespace {

void Report(const char* what, std::vector<double> values) {
    if (values.empty()) {
        std::printf("%-9s no successful run\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    std::printf("%-9s median %7.1f ms   min %7.1f   max %7.1f   (%zu runs)\n", what, median,
                values.front(), values.back(), n);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_show_startup <Vorn_305q_show.exe> [runs]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    CLaunchOptions options;
    options.exePath = Utf8ToWide(argv[1]);
    options.simulatedCards = 1;

    std::vector<double> startUp, close;
    for (int run = 0; run < runs; ++run) {
        // The copy into the run's directory happens before the clock starts.
        CGuiProcess program(options);
        const LARGE_INTEGER started = Now();
        if (!program.Started()) {
            std::fprintf(stderr, "run %d: the program did not start\n", run);
            continue;
        }
        HWND frame = nullptr;
        HWND card = nullptr;
        const bool up = WaitUntil(
            [&] {
                if (!frame) frame = program.FindTopLevel(kShowTitle);
                if (frame && !card) card = FindChild(frame, ID_CARD_SELECTOR);
                return card && SendMessageW(card, CB_GETCOUNT, 0, 0) > 0;
            },
            30000, 1);
        const LARGE_INTEGER visible = Now();
        if (!up) {
            std::fprintf(stderr, "run %d: no main window with a filled card selector\n", run);
            continue;
        }
        startUp.push_back(Milliseconds(started, visible));
        const LARGE_INTEGER closing = Now();
        PostMessageW(frame, WM_CLOSE, 0, 0);
        DWORD code = 0;
        if (!program.WaitForExit(30000, &code) || code != 0) {
            std::fprintf(stderr, "run %d: no clean exit after WM_CLOSE\n", run);
            continue;
        }
        close.push_back(Milliseconds(closing, Now()));
    }
    Report("start-up", startUp);
    Report("close", close);
    return startUp.size() == static_cast<size_t>(runs) && close.size() == startUp.size() ? 0 : 1;
}
