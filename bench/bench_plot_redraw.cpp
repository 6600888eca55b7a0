// The trajectory plot's full redraw into its off-screen surface, as the two-axis page's
// 50 ms poll does it, with 1,000, 10,000 and 100,000 points on the path (a spiral inside
// the grid), and the copy to the screen. Median and worst of 30 redraws each; run it under
// Xvfb (the plot needs a window's device context).
//   bench_plot_redraw.exe [redraws]
#include <windows.h>

#include "bench_clock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "DrawStatic.h"

namespace {}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int redraws = argc > 1 ? std::max(1, _wtoi(argv[1])) : 30;
    // The plot's size on the page (267 x 264 dialog units with the program's font).
    const HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 534, 572,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    CDrawStatic plot;
    if (hwnd == nullptr || !plot.SubclassWindow(hwnd)) {
        std::printf("no window\n");
        return 1;
    }
    plot.InitDraw();
    std::printf("points    redraw median  worst     copy median\n");
    double angle = 0;
    for (const size_t target : {1000u, 10000u, 100000u}) {
        // A spiral out to 450 pulses, about two pulses between points, inside the grid.
        while (plot.Model().Points().size() < target) {
            const double radius = 20.0 + 430.0 * plot.Model().Points().size() / 100000.0;
            angle += 2.0 / radius;
            plot.Model().AddPoint(static_cast<int>(radius * std::cos(angle)),
                                  static_cast<int>(radius * std::sin(angle)));
        }
        std::vector<double> times;
        std::vector<double> copies;
        for (int i = 0; i < redraws; ++i) {
            const LARGE_INTEGER start = Now();
            plot.Redraw();
            GdiFlush();
            const LARGE_INTEGER drawn = Now();
            const HDC screen = GetDC(hwnd);
            BitBlt(screen, 0, 0, 534, 572, plot.Surface(), 0, 0, SRCCOPY);
            GdiFlush();
            ReleaseDC(hwnd, screen);
            const LARGE_INTEGER copied = Now();
            times.push_back(Milliseconds(start, drawn));
            copies.push_back(Milliseconds(drawn, copied));
        }
        std::sort(times.begin(), times.end());
        std::sort(copies.begin(), copies.end());
        std::printf("%-9zu %8.2f ms  %8.2f ms  %8.2f ms\n", plot.Model().Points().size(),
                    times[times.size() / 2], times.back(), copies[copies.size() / 2]);
    }
    plot.DestroyWindow();
    return 0;
}
