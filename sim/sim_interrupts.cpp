// Interrupt enable, wait and disable. The command list runs only for a wait that is
// pending or arriving, never between an axis select and the access after it; causes
// stay latched in the chip meanwhile, so nothing is lost or delivered twice.
#include <algorithm>

#include "sim_state.h"

namespace vornsim {
namespace detail {

namespace {

bool LineAsserted(CardState& card) {
    if (card.raisePending) {
        return true;
    }
    return (ReadRegister(card, bridge::kIntcsr) & bridge::kIntcsrEnable) == bridge::kIntcsrEnable &&
           card.chip->InterruptAsserted();
}

void RunList(const InterruptState& state) {
    const bool copyReads = (state.options & WD_INTERRUPT_OPTION_COPY_READS) != 0;
    for (uint32_t i = 0; i < state.cmdCount && state.cmds != nullptr; ++i) {
        Transfer(state.cmds[i], true, copyReads, nullptr);
    }
}

// Ends every pending wait that matches.
template <typename Match>
void CompleteWaits(Waiter::Outcome outcome, Match match) {
    State& s = S();
    for (size_t i = 0; i < s.waiters.size();) {
        Waiter* waiter = s.waiters[i];
        if (!match(*waiter)) {
            ++i;
            continue;
        }
        const auto it = s.interrupts.find(waiter->token);
        Complete(i, outcome, it == s.interrupts.end() ? nullptr : &it->second);
    }
}

uint64_t NextChipEventNs() {
    uint64_t next = UINT64_MAX;
    for (const auto& card : S().cards) {
        next = std::min(next, card->chip->NextEventNs());
    }
    return next;
}

// How long a blocked wait sleeps in real time before it looks at the chips again: until
// woken when no chip has an event scheduled (an idle card costs no wake-ups).
DWORD PollMs() {
    const uint64_t next = NextChipEventNs();
    if (next == UINT64_MAX) {
        return INFINITE;
    }
    const uint64_t now = Now();
    if (next <= now) {
        return 1;
    }
    const uint64_t ms = (next - now + 999999) / 1000000;
    return static_cast<DWORD>(std::min<uint64_t>(std::max<uint64_t>(ms, 1), 5));
}

}  // namespace

// Under the lock, which the woken thread needs before it can leave its wait and with it
// the waiter: the waiter is alive here.
void Complete(size_t index, Waiter::Outcome outcome, const InterruptState* state) {
    State& s = S();
    Waiter* waiter = s.waiters[index];
    waiter->outcome = outcome;
    if (state != nullptr) {
        waiter->count = state->count;
        waiter->lost = state->lost;
    }
    s.waiters.erase(s.waiters.begin() + static_cast<std::ptrdiff_t>(index));
    WakeConditionVariable(&waiter->wake);
}

void Serve() {
    State& s = S();
    Sync();
    for (size_t i = 0; i < s.waiters.size();) {
        Waiter* waiter = s.waiters[i];
        const auto it = s.interrupts.find(waiter->token);
        bool deliver = false;
        if (it != s.interrupts.end()) {
            InterruptState& state = it->second;
            if (state.card < 0) {
                if (state.undelivered > 0) {
                    --state.undelivered;
                    deliver = true;
                }
            } else if (CardState* card = Card(state.card)) {
                if (!card->chip->SelectPending() && LineAsserted(*card)) {
                    card->raisePending = false;
                    RunList(state);
                    deliver = true;
                }
            }
            if (deliver) {
                ++state.count;
                ++s.counters.interruptsServed;
                Complete(i, Waiter::Outcome::Served, &state);
            }
        }
        if (!deliver) {
            ++i;
        }
    }
}

void DisableToken(uint32_t token) {
    State& s = S();
    const auto it = s.interrupts.find(token);
    if (it == s.interrupts.end()) {
        return;
    }
    InterruptState& state = it->second;
    state.enabled = false;
    state.cmds = nullptr;
    state.cmdCount = 0;
    CompleteWaits(Waiter::Outcome::Disabled,
                  [token](const Waiter& waiter) { return waiter.token == token; });
}

uint32_t InterruptEnableRequest(WdInterruptDesc& desc) {
    State& s = S();
    const auto it = s.interrupts.find(desc.handle);
    if (s.failEnable || desc.handle == 0 || it == s.interrupts.end()) {
        return WD_FAILED_ENABLING_INTERRUPT;
    }
    InterruptState& state = it->second;
    if (state.enabled) {
        return WD_OPERATION_ALREADY_DONE;
    }
    if (desc.cmdCount > 0 && desc.cmds == nullptr) {
        return WD_INVALID_PARAMETER;
    }
    state.cmds = desc.cmds;
    state.cmdCount = desc.cmdCount;
    state.options = desc.options;
    state.count = 0;
    state.lost = 0;
    state.enabled = true;
    desc.enableResult = 1;
    return WD_STATUS_SUCCESS;
}

uint32_t InterruptDisableRequest(WdInterruptDesc& desc) {
    if (S().interrupts.count(desc.handle) == 0 && !Retired(desc.handle)) {
        return WD_INTERRUPT_NOT_ENABLED;
    }
    DisableToken(desc.handle);
    desc.stopState = WD_STOP_DISABLED;
    return WD_STATUS_SUCCESS;
}

uint32_t InterruptWaitRequest(WdInterruptDesc& desc) {
    State& s = S();
    const auto it = s.interrupts.find(desc.handle);
    if (it == s.interrupts.end()) {
        desc.stopState = WD_STOP_DISABLED;
        return Retired(desc.handle) ? WD_STATUS_SUCCESS : WD_INTERRUPT_NOT_ENABLED;
    }
    if (!it->second.enabled) {  // never enabled, or disabled since
        desc.stopState = WD_STOP_DISABLED;
        return WD_STATUS_SUCCESS;
    }
    Waiter waiter;
    waiter.token = desc.handle;
    waiter.card = it->second.card;
    s.waiters.push_back(&waiter);
    WakeAllConditionVariable(&s.waitersAdded);
    Serve();
    while (waiter.outcome == Waiter::Outcome::Pending) {
        const DWORD sleepMs = s.realTime ? PollMs() : INFINITE;
        const bool idle = s.realTime && sleepMs == INFINITE;
        if (idle) {
            ++s.idleWaits;
        }
        if (SleepConditionVariableCS(&waiter.wake, &s.cs, sleepMs)) {
            ++s.counters.waitWakes;
        }
        if (idle) {
            --s.idleWaits;
        }
        if (waiter.outcome == Waiter::Outcome::Pending && s.realTime) {
            Serve();
        }
    }
    switch (waiter.outcome) {
        case Waiter::Outcome::Served:
            desc.count = waiter.count;
            desc.lost = waiter.lost;
            desc.stopState = 0;
            break;
        case Waiter::Outcome::Forced:
            desc.stopState = WD_STOP_NO_INTERRUPT;
            break;
        default:
            desc.stopState = WD_STOP_DISABLED;
            break;
    }
    return WD_STATUS_SUCCESS;
}

void RouseIdleWaits() {
    State& s = S();
    if (s.idleWaits == 0 || s.rousing) {
        return;
    }
    s.rousing = true;
    Serve();
    if (NextChipEventNs() != UINT64_MAX) {
        for (Waiter* waiter : s.waiters) {
            WakeConditionVariable(&waiter->wake);
        }
    }
    s.rousing = false;
}

}  // namespace detail

using namespace detail;

void InjectStatus(int card, int axis, uint16_t word) {
    Locked lock;
    if (CardState* c = Card(card)) {
        c->chip->AdvanceTo(Now());
        c->chip->InjectStatus(axis, word);
    }
}

void RaiseInterrupt(int card) {
    Locked lock;
    if (CardState* c = Card(card)) {
        c->raisePending = true;
        Serve();
    }
}

void ForceWake(int card) {
    Locked lock;
    CompleteWaits(Waiter::Outcome::Forced,
                  [card](const Waiter& waiter) { return waiter.card == card; });
}

bool WaitForPendingWaits(int card, long n, unsigned timeoutMs) {
    Locked lock;
    State& s = S();
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const long pending = static_cast<long>(
            std::count_if(s.waiters.begin(), s.waiters.end(),
                          [card](const Waiter* waiter) { return waiter->card == card; }));
        if (pending >= n) {
            return true;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        SleepConditionVariableCS(&s.waitersAdded, &s.cs, static_cast<DWORD>(deadline - now));
    }
}

void InterruptAfterNextSelect(int card) {
    Locked lock;
    if (CardState* c = Card(card)) {
        c->raiseAfterSelect = true;
    }
}

void FailInterruptEnable(bool fail) {
    Locked lock;
    S().failEnable = fail;
}

}  // namespace vornsim
