// What the demonstration program costs while nobody touches it, measured from outside:
// processor time and wake-ups per second of its Linux process, and the processor time of
// the prefix's wine server (which answers the program's every server call), in four
// states: just started, the one-axis page shown, the two-axis page shown and still, and
// the two-axis page shown while a circle drive adds a point at every poll. Each state's
// start and end are printed as UTC times, to cut a strace log of the same run. Run it under
// Xvfb in a prefix with the control registered (bench/run_show_startup.sh shows how).
//   bench_show_idle.exe <Vorn_305q_show.exe> [seconds per state]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_linux_process.h"
#include "gui_driver.h"

namespace {

const wchar_t kTitle[] = L"Kestrin运动控制卡(MCP305q) - ver1.0";
constexpr UINT kOneAxis = 32773;
constexpr UINT kTwoAxis = 32774;
constexpr int kTwoAxisTitle = 1117;
constexpr int kCircleMode = 1121;
constexpr int kRun = 1145;
constexpr int kPanelStop = 1146;
constexpr int kDirectionCombo = 1095;

void PrintUtcNow(const char* what) {
    SYSTEMTIME now;
    GetSystemTime(&now);
    std::printf("%s %02u:%02u:%02u.%03u", what, now.wHour, now.wMinute, now.wSecond,
                now.wMilliseconds);
}

void Measure(const char* state, const std::wstring& program, const std::wstring& server,
             int seconds) {
    PrintUtcNow("from");
    const double cpu = bench::CpuMilliseconds(program);
    const double serverCpu = server.empty() ? 0 : bench::CpuMilliseconds(server);
    const unsigned long long wakeUps = bench::WakeUps(program);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    const double cpuPerSecond = (bench::CpuMilliseconds(program) - cpu) / seconds;
    const double serverPerSecond =
        server.empty() ? -1 : (bench::CpuMilliseconds(server) - serverCpu) / seconds;
    const double wakeUpsPerSecond =
        static_cast<double>(bench::WakeUps(program) - wakeUps) / seconds;
    PrintUtcNow(" to");
    std::printf("  %-28s %7.1f ms/s processor  %8.1f wake-ups/s  server %7.1f ms/s\n", state,
                cpuPerSecond, wakeUpsPerSecond, serverPerSecond);
}

HWND PageOf(HWND frame, int titleId) {
    const HWND title = FindChild(frame, titleId);
    return title != nullptr ? GetParent(title) : nullptr;
}

HWND CirclePanel(HWND page) {
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) == L"#32770" && GetDlgItem(child, kDirectionCombo) != nullptr)
            return child;
    }
    return nullptr;
}

void SetText(HWND edit, const wchar_t* text) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_show_idle <Vorn_305q_show.exe> [seconds]\n");
        return 2;
    }
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    CLaunchOptions options;
    options.exePath = Utf8ToWide(argv[1]);
    options.simulatedCards = 1;
    CGuiProcess program(options);
    const HWND frame = program.WaitForTopLevel(kTitle, 20000);
    const std::wstring process = bench::FindProgramProcess(program.Directory());
    if (frame == nullptr || process.empty()) {
        std::printf("the program did not start\n");
        return 1;
    }
    const std::wstring server = bench::FindWineServer();
    WaitUntil([&] { return IsWindowEnabled(frame) != FALSE; }, 5000);
    Sleep(2000);
    std::printf("program process %ls, wine server %ls; %d s per state\n", process.c_str(),
                server.empty() ? L"not found" : server.c_str(), seconds);

    Measure("started", process, server, seconds);
    SendMessageW(frame, WM_COMMAND, kOneAxis, 0);
    Sleep(1000);
    Measure("one-axis page", process, server, seconds);
    SendMessageW(frame, WM_COMMAND, kTwoAxis, 0);
    Sleep(1000);
    Measure("two-axis page, still", process, server, seconds);

    const HWND page = PageOf(frame, kTwoAxisTitle);
    const HWND circle = page != nullptr ? CirclePanel(page) : nullptr;
    if (circle == nullptr) {
        std::printf("no circle panel\n");
    } else {
        // A circle of radius 3000 pulses at 1000 pulses a second takes about 19 s: a new
        // position at every poll for the whole state.
        Click(GetDlgItem(page, kCircleMode));
        SetText(GetDlgItem(circle, 1060), L"1000");
        SetText(GetDlgItem(circle, 1143), L"3000");
        SetText(GetDlgItem(circle, 1144), L"0");
        SetText(GetDlgItem(circle, 1148), L"0");
        SetText(GetDlgItem(circle, 1150), L"0");
        Click(GetDlgItem(circle, kRun));
        Sleep(1000);
        Measure("two-axis page, circling", process, server, seconds);
        Click(GetDlgItem(circle, kPanelStop));
    }
    program.Close(frame);
    program.WaitForExit(20000);
    return 0;
}
