#include <cstdint>

#include "chip_registers.h"
#include "motion_card.h"

namespace {

constexpr int kAxes = 4;

template <typename T>
T LoadContext(T* field) {
    return static_cast<T>(InterlockedCompareExchangePointer(
        reinterpret_cast<void* volatile*>(field), nullptr, nullptr));
}

}  // namespace

short CMotionCard::SetInterrupt(short axis, short nVal) {
    if (!CheckAxis(axis) || !CheckOpen()) {
        return -1;
    }
    const uint16_t a = static_cast<uint16_t>(axis);
    // Enables accumulate: a cause once enabled stays so until CloseInterrupt.
    WriteWR1(a, static_cast<uint16_t>((static_cast<uint16_t>(nVal) << chip::kWR1InterruptShift) |
                                      m_wWR1[a]));
    return 0;
}

short CMotionCard::CloseInterrupt(short axis) {
    if (!CheckAxis(axis) || !CheckOpen()) {
        return -1;
    }
    const uint16_t a = static_cast<uint16_t>(axis);
    WriteWR1(a, static_cast<uint16_t>(m_wWR1[a] & ~chip::kWR1InterruptEnables));
    return 0;
}

// Runs on the interrupt thread with a small stack: no large locals, nothing but the
// handle's status words and context fields.
void __stdcall CMotionCard::OnCardInterrupt(P9050Handle* hCard, P9050IntResult* /*result*/) {
    uint16_t words[kAxes];
    for (int axis = 0; axis < kAxes; ++axis) {
        words[axis] = hCard->intCmds[2 + 2 * axis].data.word;
    }
    const HWND hWnd = LoadContext(&hCard->hNotifyWnd);
    if (hWnd == nullptr) {
        return;  // InitCard has not finished yet: nobody to tell
    }
    const LPARAM cardObject = reinterpret_cast<LPARAM>(LoadContext(&hCard->pCardObject));
    for (int axis = 0; axis < kAxes; ++axis) {
        if (words[axis] != 0) {
            SendMessageA(hWnd, WM_INTERRUPT_X + axis, static_cast<WPARAM>(words[axis]), cardObject);
        }
    }
}
