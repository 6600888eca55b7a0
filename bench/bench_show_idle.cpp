// What the demonstration program costs while nobody touches it, measured from outside:
// processor time and wake-ups per second of its Linux process, and the processor time of
// the prefix's wine server (which answers the program's every server call), in four
// states: just started, the one-axis page shown, the two-axis page shown and still, and
// the two-axis page shown while a circle drive adds a point at every poll. What a still page
// may cost is measured in the same run: a process of this program with one window and the
// pages' 50 ms timer alone. Each state's start and end are printed as UTC times, to cut a
// strace log of the same run. Run it under Xvfb in a prefix with the control registered
// (bench/run_show_startup.sh shows how).
//   bench_show_idle.exe <Vorn_305q_show.exe> [seconds per state]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_linux_process.h"
#include "gui_driver.h"
#include "show_program.h"

namespace {

// The argument that makes this program the window with the timer alone.
const char kTimerAlone[] = "--timer-alone";
constexpr UINT kPollPeriodMs = 50;

void PrintUtcNow(const char* what) {
    SYSTEMTIME now;
    GetSystemTime(&now);
    std::printf("%s %02u:%02u:%02u.%03u", what, now.wHour, now.wMinute, now.wSecond,
                now.wMilliseconds);
}

// A shown window whose 50 ms timer ticks and does nothing else, until it is closed.
int RunTimerAlone() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"bench_show_idle.timer";
    if (RegisterClassW(&windowClass) == 0) return 1;
    const HWND window = CreateWindowExW(
        0, windowClass.lpszClassName, L"bench_show_idle: timer alone",
        WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr, instance, nullptr);
    if (window == nullptr || SetTimer(window, 1, kPollPeriodMs, nullptr) == 0) return 1;
    MSG msg;
    while (IsWindow(window) && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

// This program started again as the window with the timer alone; its Linux process is the
// one whose command line carries the marker.
class CTimerAlone {
public:
    CTimerAlone() {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        m_marker = "timer-alone-" + std::to_string(GetCurrentProcessId());
        std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + Utf8ToWide(kTimerAlone) +
                                   L" " + Utf8ToWide(m_marker);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info)) {
            return;
        }
        m_process.Reset(info.hProcess);
        CloseHandle(info.hThread);
        m_threadId = info.dwThreadId;
    }
    ~CTimerAlone() {
        if (!m_process.Get()) return;
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        if (WaitForSingleObject(m_process.Get(), 10000) != WAIT_OBJECT_0)
            TerminateProcess(m_process.Get(), 1);
    }
    CTimerAlone(const CTimerAlone&) = delete;
    CTimerAlone& operator=(const CTimerAlone&) = delete;

    // Its Linux process once its window is up; empty when it did not start.
    std::wstring WaitForProcess() const {
        if (!m_process.Get()) return std::wstring();
        std::wstring pid;
        WaitUntil(
            [&] {
                pid = bench::FindLinuxProcess(m_marker, "bench_show_idle");
                return !pid.empty() && FindWindowW(L"bench_show_idle.timer", nullptr) != nullptr;
            },
            20000);
        return pid;
    }

private:
    CHandle m_process;
    DWORD m_threadId = 0;
    std::string m_marker;
};

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
        if (ClassName(child) == L"#32770" && GetDlgItem(child, IDC_CIRCLE_DIR) != nullptr)
            return child;
    }
    return nullptr;
}

void SetText(HWND edit, const wchar_t* text) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kTimerAlone) return RunTimerAlone();
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_show_idle <Vorn_305q_show.exe> [seconds]\n");
        return 2;
    }
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    CLaunchOptions options;
    options.exePath = Utf8ToWide(argv[1]);
    options.simulatedCards = 1;
    // As a user runs it: the test kit's logs (every control call, every chip access) are
    // the tests' instruments, not the program's cost.
    options.environment.push_back({L"VORN_SHOW_TRACE", L""});
    options.environment.push_back({L"VORN305Q_SIM_TRACE", L""});
    CGuiProcess program(options);
    const HWND frame = program.WaitForTopLevel(kShowTitle, 20000);
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
    {
        const CTimerAlone timerAlone;
        const std::wstring timerProcess = timerAlone.WaitForProcess();
        if (timerProcess.empty()) {
            std::printf("the window with the timer alone did not start\n");
        } else {
            Sleep(1000);
            Measure("a window, the timer alone", timerProcess, server, seconds);
        }
    }
    SendMessageW(frame, WM_COMMAND, ID_ONEAXIS, 0);
    Sleep(1000);
    Measure("one-axis page", process, server, seconds);
    SendMessageW(frame, WM_COMMAND, ID_TWOAXIS, 0);
    Sleep(1000);
    Measure("two-axis page, still", process, server, seconds);

    const HWND page = PageOf(frame, IDC_TWOAXIS_TITLE);
    const HWND circle = page != nullptr ? CirclePanel(page) : nullptr;
    if (circle == nullptr) {
        std::printf("no circle panel\n");
    } else {
        // A circle of radius 3000 pulses at 1000 pulses a second takes about 19 s: a new
        // position at every poll for the whole state.
        Click(GetDlgItem(page, IDC_MODE_CIRCLE));
        SetText(GetDlgItem(circle, IDC_RUN_SPEED), L"1000");
        SetText(GetDlgItem(circle, IDC_TARGET_X), L"3000");
        SetText(GetDlgItem(circle, IDC_TARGET_Y), L"0");
        SetText(GetDlgItem(circle, IDC_END_X), L"0");
        SetText(GetDlgItem(circle, IDC_END_Y), L"0");
        Click(GetDlgItem(circle, IDC_RUN));
        Sleep(1000);
        Measure("two-axis page, circling", process, server, seconds);
        Click(GetDlgItem(circle, IDC_PANEL_STOP));
    }
    program.Close(frame);
    program.WaitForExit(20000);
    return 0;
}
