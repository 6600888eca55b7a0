// Growth of committed memory over long runs through the control, as a client loads it:
// many GetPosition calls on an open card, then many InitCard/CloseCard cycles, on one
// simulated card in real time.
//
//   bench_memory [path\to\Vorn_305q.dll] [positions] [cycles]
// The DLL defaults to ..\control\Vorn_305q.dll beside this program's directory.
#include <windows.h>
#include <oleauto.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "control_dll.h"

namespace {

enum : DISPID { kInitCard = 1, kCloseCard = 2, kGetPosition = 7 };

std::wstring DefaultDllPath() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    dir.resize(dir.find_last_of(L'\\'));
    return dir + L"\\..\\control\\Vorn_305q.dll";
}

// Wine leaves PrivateUsage at 0 and reports the same commit charge as PagefileUsage.
SIZE_T PrivateUsage() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

// The answer of a method taking the axis or card number (VT_I2) or nothing.
long Call(IDispatch* control, DISPID id, bool withArg) {
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_I2;
    V_I2(&arg) = 0;
    DISPPARAMS params = {withArg ? &arg : nullptr, nullptr, withArg ? 1u : 0u, 0};
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                       &result, nullptr, nullptr);
    long value = FAILED(hr) ? -1000 : 0;
    if (V_VT(&result) == VT_I2) value = V_I2(&result);
    if (V_VT(&result) == VT_I4) value = V_I4(&result);
    VariantClear(&result);
    return value;
}

void Report(const char* phase, int count, SIZE_T before, SIZE_T after) {
    const long long growth = static_cast<long long>(after) - static_cast<long long>(before);
    std::printf("  %-28s %7d  before %8.1f KiB  after %8.1f KiB  growth %+9.1f KiB\n", phase, count,
                before / 1024.0, after / 1024.0, growth / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    std::wstring dllPath = DefaultDllPath();
    if (argc > 1) {
        const std::string narrow = argv[1];
        dllPath.assign(narrow.begin(), narrow.end());
    }
    const int positions = argc > 2 ? std::atoi(argv[2]) : 100000;
    const int cycles = argc > 3 ? std::atoi(argv[3]) : 10000;
    _putenv("VORN305Q_SIMULATOR=1");
    _putenv("VORN305Q_SIM_TRACE=");  // a trace file would be written, not measured
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;

    CBenchRef<IDispatch> control;
    if (!CreateControlFromDll(dllPath, control)) return 1;

    // One warm-up cycle: what is allocated once per process is not growth.
    for (int i = 0; i < 2; ++i) {
        if (Call(control.Get(), kInitCard, true) != 0) {
            std::fprintf(stderr,
                         "InitCard through the control failed (is the simulator beside "
                         "the control?)\n");
            return 1;
        }
        for (int j = 0; j < 1000; ++j) Call(control.Get(), kGetPosition, true);
        Call(control.Get(), kCloseCard, false);
    }

    std::printf("Committed memory (PrivateUsage) through Vorn_305q.dll on one simulated card\n");
    Call(control.Get(), kInitCard, true);
    Sleep(300);  // the card's interrupt thread starts meanwhile: its stack is not growth
    SIZE_T before = PrivateUsage();
    volatile long sink = 0;
    for (int i = 0; i < positions; ++i) sink = sink + Call(control.Get(), kGetPosition, true);
    Report("GetPosition calls", positions, before, PrivateUsage());
    Call(control.Get(), kCloseCard, false);

    before = PrivateUsage();
    int failures = 0;
    for (int i = 0; i < cycles; ++i) {
        failures += Call(control.Get(), kInitCard, true) != 0;
        Call(control.Get(), kCloseCard, false);
    }
    Report("InitCard/CloseCard cycles", cycles, before, PrivateUsage());
    control.Reset();
    CoUninitialize();
    if (failures != 0) {
        std::fprintf(stderr, "%d InitCard calls failed\n", failures);
        return 1;
    }
    return 0;
}
