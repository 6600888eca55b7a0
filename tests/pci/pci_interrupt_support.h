// Thread helpers for tests around the interrupt thread: a watchdog that ends a hung test
// program, and waits with or without pumping the calling thread's messages.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>

// Ends the whole program with exit code 3 when the guarded scope runs longer than the
// limit: a deadlock must fail the test run, not hang it.
class Watchdog {
public:
    explicit Watchdog(DWORD limitMs = 15000) {
        CreateTimerQueueTimer(&m_timer, nullptr, Expire, nullptr, limitMs, 0, WT_EXECUTEONLYONCE);
    }
    ~Watchdog() { DeleteTimerQueueTimer(nullptr, m_timer, INVALID_HANDLE_VALUE); }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    static void CALLBACK Expire(void*, BOOLEAN) {
        std::fputs("watchdog: the test hung\n", stderr);
        std::fflush(stderr);
        ExitProcess(3);
    }
    HANDLE m_timer = nullptr;
};

// Until done() holds or the time runs out; returns done(). With pump set, the calling
// thread's sent and posted messages are dispatched meanwhile.
inline bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000,
                      bool pump = false) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        MSG msg;
        while (pump && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done() || GetTickCount64() >= end) return done();
        if (pump) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        } else {
            Sleep(1);
        }
    }
    return true;
}
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    return WaitUntil(done, timeoutMs, true);
}
// Pumps messages for a while, for tests that check that nothing arrives.
inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}
