#include "interrupt_thread.h"

#include <process.h>

#include "wd_client.h"

namespace {

// Threads started by InterruptEnable and not yet joined by InterruptDisable. A thread
// counts until its handle has been waited for, because until then it may still run
// code of this module.
volatile LONG g_interruptThreads = 0;

// Pause after a failed wait request, so a service that keeps failing costs no CPU.
constexpr DWORD kFailedWaitPauseMs = 50;

struct ThreadStartRec {
    void (*func)(void*);
    void* arg;
};

unsigned __stdcall ThreadEntry(void* param) {
    ThreadStartRec* const start = static_cast<ThreadStartRec*>(param);
    start->func(start->arg);
    HeapFree(GetProcessHeap(), 0, start);
    return 0;
}

void WaitLoopEntry(void* rec) { InterruptWaitLoop(static_cast<IntThreadRec*>(rec)); }

bool StopRequested(IntThreadRec* rec) { return InterlockedCompareExchange(&rec->stop, 0, 0) != 0; }

}  // namespace

uint32_t ThreadStart(HANDLE* thread, void (*func)(void*), void* arg) {
    *thread = nullptr;
    ThreadStartRec* const start =
        static_cast<ThreadStartRec*>(HeapAlloc(GetProcessHeap(), 0, sizeof(ThreadStartRec)));
    if (start == nullptr) {
        return WD_INSUFFICIENT_RESOURCES;
    }
    start->func = func;
    start->arg = arg;
    // 4096 is the commit size only; the reservation stays the process default.
    const uintptr_t handle = _beginthreadex(nullptr, 4096, ThreadEntry, start, 0, nullptr);
    if (handle == 0) {
        HeapFree(GetProcessHeap(), 0, start);
        return WD_INSUFFICIENT_RESOURCES;
    }
    *thread = reinterpret_cast<HANDLE>(handle);
    return WD_STATUS_SUCCESS;
}

void ThreadWaitClose(HANDLE thread) {
    // Called from inside a message another thread sent us (a relay handler closing the
    // card): release the sender first, or it could never finish and end.
    if (InSendMessage()) {
        ReplyMessage(0);
    }
    // Deliver sent messages only; the caller's posted messages stay queued. The flush
    // comes first because a message already pending does not wake the wait.
    for (;;) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1) {
            break;  // the thread has ended, or the handle is unusable
        }
    }
    CloseHandle(thread);
}

uint32_t InterruptEnable(IntThreadRec** out, HANDLE hWD, WdInterruptDesc* desc, InterruptFunc func,
                         void* data) {
    *out = nullptr;
    IntThreadRec* const rec = static_cast<IntThreadRec*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(IntThreadRec)));
    if (rec == nullptr) {
        return WD_INSUFFICIENT_RESOURCES;
    }
    const uint32_t status =
        WD_DeviceIoControl(WD_IOCTL_INT_ENABLE, hWD, desc, sizeof(WdInterruptDesc), 0);
    if (status != WD_STATUS_SUCCESS) {
        HeapFree(GetProcessHeap(), 0, rec);
        return status;
    }
    rec->hWD = hWD;
    rec->func = func;
    rec->data = data;
    rec->desc = desc;
    InterlockedIncrement(&g_interruptThreads);
    if (ThreadStart(&rec->thread, WaitLoopEntry, rec) != WD_STATUS_SUCCESS) {
        InterlockedDecrement(&g_interruptThreads);
        WD_DeviceIoControl(WD_IOCTL_INT_DISABLE, hWD, desc, sizeof(WdInterruptDesc), 0);
        HeapFree(GetProcessHeap(), 0, rec);
        return WD_INSUFFICIENT_RESOURCES;
    }
    *out = rec;
    return WD_STATUS_SUCCESS;
}

void InterruptWaitLoop(IntThreadRec* rec) {
    WdInterruptDesc* const desc = rec->desc;
    for (;;) {
        // A request that never reaches the service leaves the stop state alone; the
        // preset keeps it from looking like a served interrupt.
        desc->stopState = WD_STOP_NO_INTERRUPT;
        const uint32_t status =
            WD_DeviceIoControl(WD_IOCTL_INT_WAIT, rec->hWD, desc, sizeof(WdInterruptDesc), 1);
        const uint32_t stopState = desc->stopState;
        if (stopState == WD_STOP_DISABLED) {
            return;
        }
        if (status != WD_STATUS_SUCCESS) {
            if (StopRequested(rec)) {
                return;
            }
            Sleep(kFailedWaitPauseMs);
            if (StopRequested(rec)) {
                return;
            }
            continue;
        }
        if (stopState == WD_STOP_NO_INTERRUPT) {
            continue;
        }
        rec->func(rec->data);
    }
}

uint32_t InterruptDisable(IntThreadRec* rec) {
    if (rec == nullptr) {
        return WD_INVALID_HANDLE;
    }
    // Before the request: a thread whose waits fail never sees the service's stop state.
    InterlockedExchange(&rec->stop, 1);
    const uint32_t status =
        WD_DeviceIoControl(WD_IOCTL_INT_DISABLE, rec->hWD, rec->desc, sizeof(WdInterruptDesc), 0);
    ThreadWaitClose(rec->thread);
    InterlockedDecrement(&g_interruptThreads);
    HeapFree(GetProcessHeap(), 0, rec);
    return status;
}

long InterruptThreadsAlive() { return InterlockedCompareExchange(&g_interruptThreads, 0, 0); }
