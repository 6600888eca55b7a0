// The one-axis page's 50 ms poll while a drive runs, measured from outside: the program's
// processor time per poll tick (page shown and driving, minus the same time with the page
// hidden, so the idle loop and the simulated card's own work are taken out) as a share
// of the 50 ms period, and the control calls per tick from the program's trace. Run it
// under Xvfb in a prefix with the control registered (bench/run_show_startup.sh shows how).
//   bench_one_axis_poll.exe <Vorn_305q_show.exe> [seconds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_linux_process.h"
#include "gui_driver.h"
#include "show_program.h"

namespace {

struct Window {
    double cpu;
    size_t ticks;
    size_t calls;
};

// Processor time, poll ticks (one input trace line each) and poll calls over seconds.
Window Measure(const CGuiProcess& program, const std::wstring& process, int seconds) {
    const size_t from = program.TraceLines().size();
    const double start = bench::CpuMilliseconds(process);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    const double end = bench::CpuMilliseconds(process);
    const std::vector<std::wstring> lines = program.TraceLines();
    Window w = {end - start, 0, 0};
    for (size_t i = from; i < lines.size(); ++i) {
        const std::wstring& l = lines[i];
        if (l.find(L"invoke dispid=6 ") != std::wstring::npos ||
            l.find(L"invoke dispid=7 ") != std::wstring::npos ||
            l.find(L"invoke dispid=20 ") != std::wstring::npos) {
            ++w.calls;
        } else if (!l.empty() && l.size() <= 8 &&
                   l.find_first_not_of(L"0123456789abcdef") == std::wstring::npos) {
            ++w.ticks;
        }
    }
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_one_axis_poll <Vorn_305q_show.exe> [seconds]\n");
        return 2;
    }
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    CLaunchOptions options;
    options.exePath = Utf8ToWide(argv[1]);
    options.simulatedCards = 1;
    CGuiProcess program(options);
    const HWND frame = program.WaitForTopLevel(kShowTitle, 20000);
    const std::wstring process = bench::FindProgramProcess(program.Directory());
    if (frame == nullptr || process.empty()) {
        std::printf("the program did not start\n");
        return 1;
    }
    WaitUntil([&] { return IsWindowEnabled(frame) != FALSE; }, 5000);
    Sleep(1000);
    SendMessageW(frame, WM_COMMAND, ID_ONEAXIS, 0);  // 单轴运动
    HWND title = FindChild(frame, IDC_ONEAXIS_TITLE);
    HWND page = title ? GetParent(title) : nullptr;
    if (page == nullptr) {
        std::printf("no one-axis page\n");
        return 1;
    }
    Click(GetDlgItem(page,
                     IDC_MOTION_T_CONTINUOUS));  // continuous: it drives for the whole measurement
    Click(GetDlgItem(page, IDC_START));
    Sleep(500);
    const Window shown = Measure(program, process, seconds);
    SendMessageW(frame, WM_COMMAND, ID_CONFIG, 0);  // another page: the poll stops
    Sleep(500);
    const Window hidden = Measure(program, process, seconds);
    SendMessageW(frame, WM_COMMAND, ID_ONEAXIS, 0);
    Click(GetDlgItem(page, IDC_STOP));
    program.Close(frame);
    program.WaitForExit(20000);

    const double perTick = shown.ticks ? (shown.cpu - hidden.cpu) / shown.ticks : 0;
    std::printf("shown:  %zu ticks in %d s, %.1f ms processor time, %zu poll calls\n", shown.ticks,
                seconds, shown.cpu, shown.calls);
    std::printf("hidden: %zu ticks, %.1f ms processor time, %zu poll calls\n", hidden.ticks,
                hidden.cpu, hidden.calls);
    std::printf("control calls per tick %.2f (minimum 3); ticks per second %.1f of 20\n",
                shown.ticks ? double(shown.calls) / shown.ticks : 0,
                static_cast<double>(shown.ticks) / seconds);
    if (shown.cpu > 0) {
        std::printf("per tick: %.2f ms = %.1f %% of 50 ms\n", perTick, perTick / 50 * 100);
    } else {
        std::printf("per tick: no processor time could be read from /proc\n");
    }
    return 0;
}
