// The trajectory plot in process, in a real window (run it under Xvfb): its share of the
// two-axis page's poll tick while a drive adds a point at every tick (AddPoint of the next
// position and the paint of what it invalidated), with 1,000, 10,000, 100,000 and 1,000,000
// points on the path; the whole redraw that a zoom, an offset or a clear brings at the same
// lengths; and the memory each stored point takes. The path is a spiral inside the grid,
// about two pulses between points, as a slow circling drive draws it.
//   bench_plot_redraw.exe [ticks per length]
#include <windows.h>

#include "bench_clock.h"
#include "bench_linux_process.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DrawStatic.h"

namespace {

constexpr size_t kLongest = 1000000;

// The spiral's point number i: out from 20 to 450 pulses over the longest path.
POINT SpiralPoint(size_t i) {
    static double angle = 0;
    const double radius = 20.0 + 430.0 * static_cast<double>(i) / kLongest;
    angle += 2.0 / radius;
    return {static_cast<LONG>(radius * std::cos(angle)),
            static_cast<LONG>(radius * std::sin(angle))};
}

struct Times {
    double median;
    double worst;
};

Times Summary(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

// Wine reports no private usage: the anonymous memory in use is read where Linux keeps it,
// for the Linux process running this program (Wine's path "self" would name its server).
double AnonymousBytes(const std::wstring& pid) {
    const std::string status = bench::ReadSmallFile(L"Z:\\proc\\" + pid + L"\\status");
    const size_t at = status.find("\nRssAnon:");
    return at == std::string::npos ? -1 : std::strtod(status.c_str() + at + 9, nullptr) * 1024;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int ticks = argc > 1 ? std::max(1, _wtoi(argv[1])) : 200;
    // The plot's size on the page (267 x 264 dialog units with the program's font).
    const HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 534, 572,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    CDrawStatic plot;
    if (hwnd == nullptr || !plot.SubclassWindow(hwnd)) {
        std::printf("no window\n");
        return 1;
    }
    plot.InitDraw();
    UpdateWindow(hwnd);
    const std::wstring self = bench::FindLinuxProcessNamed("bench_plot_redraw.exe");
    const double before = AnonymousBytes(self);
    size_t added = 0;  // spiral points made, the repeats the plot dropped included
    std::printf(
        "points     tick median  worst    (AddPoint median)    full redraw median  worst\n");
    for (const size_t target : {size_t{1000}, size_t{10000}, size_t{100000}, kLongest}) {
        while (plot.Model().Points().size() < target) {
            const POINT p = SpiralPoint(added++);
            plot.Model().AddPoint(p.x, p.y);
        }
        const size_t length = plot.Model().Points().size();
        const int redraws = target >= kLongest ? 5 : 20;
        std::vector<double> full;
        for (int i = 0; i < redraws; ++i) {
            const LARGE_INTEGER start = Now();
            plot.Redraw();
            InvalidateRect(hwnd, nullptr, TRUE);
            UpdateWindow(hwnd);
            GdiFlush();
            full.push_back(Milliseconds(start, Now()));
        }
        std::vector<double> tick;
        std::vector<double> drawing;
        for (int i = 0; i < ticks; ++i) {
            POINT p;
            do {
                p = SpiralPoint(added++);
            } while (p.x == plot.Model().Points().back().x &&
                     p.y == plot.Model().Points().back().y);
            const LARGE_INTEGER start = Now();
            plot.AddPoint(p.x, p.y);
            GdiFlush();
            const LARGE_INTEGER drawn = Now();
            UpdateWindow(hwnd);
            GdiFlush();
            tick.push_back(Milliseconds(start, Now()));
            drawing.push_back(Milliseconds(start, drawn));
        }
        const Times t = Summary(tick);
        const Times d = Summary(drawing);
        const Times f = Summary(full);
        std::printf("%-10zu %8.3f ms %8.3f ms     (%8.3f ms)       %8.2f ms %8.2f ms\n", length,
                    t.median, t.worst, d.median, f.median, f.worst);
    }
    const double after = AnonymousBytes(self);
    if (before < 0 || after < 0) {
        std::printf("memory: the process's resident memory could not be read\n");
    } else {
        std::printf("memory: %.1f bytes per stored point (%zu points, resident anonymous memory)\n",
                    (after - before) / plot.Model().Points().size(), plot.Model().Points().size());
    }
    plot.DestroyWindow();
    return 0;
}
