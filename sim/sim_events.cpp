// Driver-event requests. An event handle shares the token space of interrupt handles
// and works as one (with an empty list): injected events complete its waits.
#include <algorithm>
#include <cstring>

#include "sim_state.h"

namespace vornsim {
namespace detail {

uint32_t EventRequest(uint32_t code, void* record, uint32_t bytes) {
    State& s = S();
    WdEvent& event = *static_cast<WdEvent*>(record);
    if (code == WD_IOCTL_EVENT_REGISTER) {
        // Only the entries that lie inside the record as sent are read.
        const uint32_t fit = (bytes - WD_EVENT_HEADER_BYTES) / WD_EVENT_MATCH_BYTES;
        const uint32_t entries = std::min(event.matchCount, fit);
        const uint32_t token = NewToken(TokenKind::Interrupt);
        EventRegistration& registration = s.events[token];
        std::memcpy(&registration.header, &event, sizeof(WdEvent));
        const uint8_t* matches = static_cast<const uint8_t*>(record) + WD_EVENT_HEADER_BYTES;
        registration.matches.assign(matches, matches + entries * WD_EVENT_MATCH_BYTES);
        s.interrupts[token] = InterruptState();
        event.handle = token;
        return WD_STATUS_SUCCESS;
    }
    const auto it = s.events.find(event.handle);
    if (event.handle == 0 || it == s.events.end()) {
        return WD_INVALID_HANDLE;
    }
    switch (code) {
        case WD_IOCTL_EVENT_UNREGISTER:
            DisableToken(event.handle);
            s.interrupts.erase(event.handle);
            s.events.erase(it);
            break;
        case WD_IOCTL_EVENT_PULL: {
            // The pulled record carries what was registered, so the caller can honour
            // the send-back option.
            std::deque<uint32_t>& actions = it->second.actions;
            event.options = it->second.header.options;
            event.action = 0;
            if (!actions.empty()) {
                event.action = actions.front();
                actions.pop_front();
            }
            break;
        }
        default:
            break;  // send: accepted
    }
    return WD_STATUS_SUCCESS;
}

}  // namespace detail

using namespace detail;

void InjectEvent(uint32_t eventHandle, uint32_t action) {
    Locked lock;
    State& s = S();
    const auto it = s.events.find(eventHandle);
    if (it == s.events.end()) {
        return;
    }
    it->second.actions.push_back(action);
    ++s.interrupts[eventHandle].undelivered;
    Serve();
}

}  // namespace vornsim
