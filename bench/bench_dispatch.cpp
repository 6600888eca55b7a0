// Cost of the automation layer: GetPosition through IDispatch::Invoke on the control
// (loaded from Vorn_305q.dll, as a client loads it) against CMotionCard::GetPosition
// called directly, both on one simulated card in real time.
//
//   bench_dispatch [path\to\Vorn_305q.dll] [calls]
// The DLL defaults to ..\control\Vorn_305q.dll beside this program's directory.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "control_dll.h"
#include "motion_card.h"
#include "sim_service.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// Best of several rounds, in calls per second.
template <typename F>
double CallsPerSecond(int calls, F&& call) {
    double best = 0;
    for (int round = 0; round < 5; ++round) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        for (int i = 0; i < calls; ++i) call();
        QueryPerformanceCounter(&end);
        best = std::max(best, calls / Seconds(start, end));
    }
    return best;
}

std::wstring DefaultDllPath() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    dir.resize(dir.find_last_of(L'\\'));
    return dir + L"\\..\\control\\Vorn_305q.dll";
}

HRESULT Invoke(IDispatch* control, DISPID id, VARIANT* args, UINT count, VARIANT* result) {
    DISPPARAMS params = {args, nullptr, count, 0};
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result,
                           nullptr, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    std::wstring dllPath = DefaultDllPath();
    if (argc > 1) {
        const std::string narrow = argv[1];
        dllPath.assign(narrow.begin(), narrow.end());
    }
    const int calls = argc > 2 ? std::atoi(argv[2]) : 100000;
    // One simulated card for this program and for the DLL (same C runtime environment).
    _putenv("VORN305Q_SIMULATOR=1");
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;

    // Direct calls on the card object.
    vornsim::InstallFromEnvironment();
    double direct = 0;
    {
        CMotionCard card;
        if (card.InitCard(0, nullptr) != 0) {
            std::fprintf(stderr, "InitCard failed on the simulated card\n");
            return 1;
        }
        volatile long sink = 0;
        direct = CallsPerSecond(calls, [&] { sink = sink + card.GetPosition(0); });
        card.CloseCard();
    }

    // The same through the control's IDispatch.
    CBenchRef<IDispatch> control;
    if (!CreateControlFromDll(dllPath, control)) return 1;

    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_I2;
    V_I2(&arg) = 0;
    VARIANT result;
    VariantInit(&result);
    if (FAILED(Invoke(control.Get(), 1, &arg, 1, &result)) || V_I2(&result) != 0) {
        std::fprintf(stderr, "InitCard through the control failed\n");
        return 1;
    }
    const double dispatchI2 =
        CallsPerSecond(calls, [&] { Invoke(control.Get(), 7, &arg, 1, &result); });
    // Script engines such as JScript send every integer as VT_I4: the coercion path.
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = 0;
    const double dispatchI4 =
        CallsPerSecond(calls, [&] { Invoke(control.Get(), 7, &arg, 1, &result); });
    // Late binding as a script does it: the name looked up on every call.
    LPOLESTR name = const_cast<LPOLESTR>(L"getposition");
    const double lateBound = CallsPerSecond(calls, [&] {
        DISPID id = 0;
        control->GetIDsOfNames(IID_NULL, &name, 1, 0, &id);
        Invoke(control.Get(), id, &arg, 1, &result);
    });
    Invoke(control.Get(), 2, nullptr, 0, nullptr);  // CloseCard

    std::printf("GetPosition on one simulated card, best of 5 rounds of %d calls\n", calls);
    std::printf("  CMotionCard::GetPosition direct        %12.0f calls/s\n", direct);
    std::printf("  IDispatch::Invoke, axis VT_I2          %12.0f calls/s  ratio %.2f\n", dispatchI2,
                direct / dispatchI2);
    std::printf("  IDispatch::Invoke, axis VT_I4          %12.0f calls/s  ratio %.2f\n", dispatchI4,
                direct / dispatchI4);
    std::printf("  GetIDsOfNames + Invoke (late bound)    %12.0f calls/s  ratio %.2f\n", lateBound,
                direct / lateBound);
    control.Reset();
    CoUninitialize();
    return 0;
}
