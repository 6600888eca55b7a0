// Driver events that the kernel service reports about a card. A registration owns an
// interrupt wait thread on the event handle; every wake-up pulls the event and calls
// the caller's callback.
#pragma once

#include <windows.h>

#include <cstdint>

#include "interrupt_thread.h"
#include "wd_records.h"

// Above this many match entries a record is refused.
enum : uint32_t { WD_EVENT_MAX_MATCHES = 256 };

typedef void (*EventCallback)(WdEvent* event, void* data);

struct EventRegistration {
    EventCallback callback;
    HANDLE hWD;
    void* data;
    IntThreadRec* thread;
    WdInterruptDesc desc;  // its handle is the event handle
};

// Records, allocated zero-filled; release them with EventFree. Null when no memory or
// more than WD_EVENT_MAX_MATCHES entries.
WdEvent* EventAlloc(uint32_t n);
WdEvent* EventCreatePci(uint32_t vendorId, uint32_t deviceId, uint32_t bus, uint32_t slot,
                        uint32_t function, uint32_t options, uint32_t action);
// entries: n match entries of 10 bytes each. Null when exactly one of them is missing.
WdEvent* EventCreateMatch(const void* entries, uint32_t n, uint32_t options, uint32_t action);
WdEvent* EventDup(const WdEvent* event);
void EventFree(WdEvent* event);

// Registers the event and starts its wait thread. Returns 0 with *out set, else a status.
uint32_t EventRegister(EventRegistration** out, HANDLE hWD, WdEvent* event, EventCallback callback,
                       void* data);
// Ends the thread, unregisters and frees the registration; returns the unregister status.
uint32_t EventUnregister(EventRegistration* registration);
// The wait thread's function: its argument is the registration.
void EventWaitHandler(void* registration);

EventRegistration* EventRegisterOrNull(HANDLE hWD, WdEvent* event, EventCallback callback,
                                       void* data);
uint32_t EventUnregisterForward(HANDLE hWD, EventRegistration* registration);
int InterruptEnableBool(IntThreadRec** out, HANDLE hWD, WdInterruptDesc* desc, InterruptFunc func,
                        void* data);
uint32_t InterruptDisableForward(IntThreadRec* rec);
