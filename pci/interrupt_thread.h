// The interrupt wait thread: one per enabled interrupt (a card, or a driver-event
// registration). It blocks in the service's wait and calls its function for every
// served interrupt until the interrupt is disabled.
#pragma once

#include <windows.h>

#include <cstdint>

#include "wd_records.h"

typedef void (*InterruptFunc)(void* data);

struct IntThreadRec {
    HANDLE hWD;
    InterruptFunc func;
    void* data;
    WdInterruptDesc* desc;
    HANDLE thread;
    volatile LONG stop;  // set before the disable request, so the loop ends
};

uint32_t InterruptEnable(IntThreadRec** out, HANDLE hWD, WdInterruptDesc* desc, InterruptFunc func,
                         void* data);
void InterruptWaitLoop(IntThreadRec* rec);
uint32_t InterruptDisable(IntThreadRec* rec);
uint32_t ThreadStart(HANDLE* thread, void (*func)(void*), void* arg);
// Waits for the thread's end while delivering messages sent to this thread, then closes it.
void ThreadWaitClose(HANDLE thread);
// Number of interrupt threads alive in the process (the module must not unload then).
long InterruptThreadsAlive();
