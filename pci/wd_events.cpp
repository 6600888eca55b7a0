#include "wd_events.h"

#include <cstdlib>
#include <cstring>

#include "wd_client.h"

namespace {

constexpr uint32_t kEventVersion = 1;
constexpr uint32_t kOptionSendBack = 1;

// Bytes of a record with room for n match entries (n 0 counts as 1).
uint32_t EventRecordBytes(uint32_t n) {
    return sizeof(WdEvent) + WD_EVENT_MATCH_BYTES * (n == 0 ? 0 : n - 1);
}

uint8_t* MatchEntries(WdEvent* event) {
    return reinterpret_cast<uint8_t*>(event) + WD_EVENT_HEADER_BYTES;
}

// A one-entry record naming an event handle, for the requests that need no entries.
WdEvent HandleRecord(uint32_t eventHandle) {
    WdEvent event{};
    event.handle = eventHandle;
    event.version = kEventVersion;
    event.matchCount = 1;
    return event;
}

}  // namespace

WdEvent* EventAlloc(uint32_t n) {
    if (n > WD_EVENT_MAX_MATCHES) return nullptr;
    auto* event = static_cast<WdEvent*>(calloc(1, EventRecordBytes(n)));
    if (!event) return nullptr;
    event->version = kEventVersion;
    event->matchCount = n;
    return event;
}

WdEvent* EventCreatePci(uint32_t vendorId, uint32_t deviceId, uint32_t bus, uint32_t slot,
                        uint32_t function, uint32_t options, uint32_t action) {
    WdEvent* event = EventAlloc(1);
    if (!event) return nullptr;
    event->cardType = WD_EVENT_PCI_CARD;
    event->vendorId = vendorId;
    event->deviceId = deviceId;
    event->bus = bus;
    event->slot = slot;
    event->function = function;
    event->options = options;
    event->action = action;
    return event;
}

WdEvent* EventCreateMatch(const void* entries, uint32_t n, uint32_t options, uint32_t action) {
    if ((entries == nullptr) != (n == 0)) return nullptr;
    WdEvent* event = EventAlloc(n);
    if (!event) return nullptr;
    event->cardType = WD_EVENT_MATCH_CARD;
    event->options = options;
    event->action = action;
    if (n) memcpy(MatchEntries(event), entries, static_cast<size_t>(n) * WD_EVENT_MATCH_BYTES);
    return event;
}

WdEvent* EventDup(const WdEvent* event) {
    if (!event) return nullptr;
    WdEvent* copy = EventAlloc(event->matchCount);
    if (copy) memcpy(copy, event, EventRecordBytes(event->matchCount));
    return copy;
}

void EventFree(WdEvent* event) { free(event); }

uint32_t EventRegister(EventRegistration** out, HANDLE hWD, WdEvent* event, EventCallback callback,
                       void* data) {
    *out = nullptr;
    if (!event || event->matchCount > WD_EVENT_MAX_MATCHES) return WD_INVALID_PARAMETER;
    auto* registration = static_cast<EventRegistration*>(calloc(1, sizeof(EventRegistration)));
    if (!registration) return WD_INSUFFICIENT_RESOURCES;
    registration->callback = callback;
    registration->hWD = hWD;
    registration->data = data;

    // The record goes with its real size, so that no match entry is lost.
    const uint32_t bytes = EventRecordBytes(event->matchCount);
    uint32_t status = WD_DeviceIoControl(WD_IOCTL_EVENT_REGISTER, hWD, event, bytes, 0);
    if (status) {
        free(registration);
        return status;
    }
    registration->desc.handle = event->handle;
    status = InterruptEnable(&registration->thread, hWD, &registration->desc, EventWaitHandler,
                             registration);
    if (status) {
        WD_DeviceIoControl(WD_IOCTL_EVENT_UNREGISTER, hWD, event, bytes, 0);
        free(registration);
        return status;
    }
    *out = registration;
    return WD_STATUS_SUCCESS;
}

void EventWaitHandler(void* data) {
    auto* registration = static_cast<EventRegistration*>(data);
    WdEvent event = HandleRecord(registration->desc.handle);
    WD_DeviceIoControl(WD_IOCTL_EVENT_PULL, registration->hWD, &event, sizeof(event), 0);
    if (event.action && registration->callback) registration->callback(&event, registration->data);
    if (event.options & kOptionSendBack) {
        WD_DeviceIoControl(WD_IOCTL_EVENT_SEND, registration->hWD, &event, sizeof(event), 0);
    }
}

uint32_t EventUnregister(EventRegistration* registration) {
    if (!registration) return WD_INVALID_HANDLE;
    WdEvent event = HandleRecord(registration->desc.handle);
    InterruptDisable(registration->thread);
    const uint32_t status =
        WD_DeviceIoControl(WD_IOCTL_EVENT_UNREGISTER, registration->hWD, &event, sizeof(event), 0);
    free(registration);
    return status;
}

EventRegistration* EventRegisterOrNull(HANDLE hWD, WdEvent* event, EventCallback callback,
                                       void* data) {
    EventRegistration* registration = nullptr;
    EventRegister(&registration, hWD, event, callback, data);
    return registration;
}

uint32_t EventUnregisterForward(HANDLE, EventRegistration* registration) {
    return EventUnregister(registration);
}

int InterruptEnableBool(IntThreadRec** out, HANDLE hWD, WdInterruptDesc* desc, InterruptFunc func,
                        void* data) {
    return InterruptEnable(out, hWD, desc, func, data) == WD_STATUS_SUCCESS ? 1 : 0;
}

uint32_t InterruptDisableForward(IntThreadRec* rec) { return InterruptDisable(rec); }
