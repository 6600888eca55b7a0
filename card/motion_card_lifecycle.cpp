// Counting, opening and closing the card.
#include <cstdint>

#include "card_message.h"
#include "chip_registers.h"
#include "motion_card.h"
#include "wd_client.h"

namespace {

// Hardware limit bits 110, what SignalHardLmt gives for data 0.
constexpr uint16_t kOpeningWR2 = 6u << chip::kWR2HardLimitShift;

}  // namespace

short CMotionCard::GetCardCount() {
    char discarded[1024];
    return static_cast<short>(P9050_CountCards(MOTION_VENDOR_ID, MOTION_DEVICE_ID, discarded));
}

short CMotionCard::InitCard(short nCard, HWND hWnd) {
    if (m_hCard != nullptr) {
        ShowCardMessage(card_text::kAlreadyOpen);
        return -1;
    }

    HANDLE hCheck = INVALID_HANDLE_VALUE;
    if (!WD_OpenAndCheckVersion(&hCheck)) {
        ShowCardMessage(card_text::kNoDriver);
        return -1;
    }
    WD_CloseDevice(hCheck);  // the handle served only the version check

    P9050Handle* handle = nullptr;
    if (!P9050_Open(&handle, MOTION_VENDOR_ID, MOTION_DEVICE_ID, static_cast<uint32_t>(nCard), 0,
                    m_szStatus)) {
        m_hCard = nullptr;
        ShowCardMessage(card_text::kCardBusy);
        return -1;
    }
    m_hCard = handle;

    P9050_WriteSpaceWord(handle, MOTION_BRIDGE_IO_SPACE, P9050_REG_INTCSR, P9050_INTCSR_ENABLE);
    // The card counts as open even when interrupt delivery did not start.
    P9050_IntEnable(handle, &CMotionCard::OnCardInterrupt, m_szStatus);

    ResetChip();
    for (uint16_t axis = 0; axis < 4; ++axis) {
        const short a = static_cast<short>(axis);
        WriteWR1(axis, 0);
        WriteWR2(axis, kOpeningWR2);
        WriteWR3(axis, 0);
        PulseOutMode(a, 0);
        InputMode(a, 3);
        SetLogicalPos(axis, 0);
        SetRealPos(axis, 0);
    }
    WriteWR4(0);
    WriteWR5(0);

    // The actual values of the last moves carry over into a reopened card. The range
    // is left to the first move.
    for (uint16_t axis = 0; axis < 4; ++axis) {
        SetMultiple(axis, 1);
        SetStartSpeed(axis, SpeedToSV(axis, m_lStartSpeed[axis]));
        SetAccel(axis, AccelToA(axis, m_lAccel[axis]));
        SetDecel(axis, DecelToD(axis, m_lDecel[axis]));
        SetJerk(axis, JerkToK(axis, m_lJerk[axis]));
        SetAccOffset(axis, m_wAccOffset[axis]);
        SetDriveSpeed(axis, 0);
    }

    // The interrupt thread reads these two without a lock; until now it relays nothing.
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&handle->hNotifyWnd), hWnd);
    InterlockedExchangePointer(&handle->pCardObject, this);
    return 0;
}

void CMotionCard::CloseCard() {
    if (m_hCard == nullptr) return;
    // Closed from here on: the disable below waits while delivering sent messages, and
    // a client's event handler may call back into this object meanwhile.
    P9050Handle* const handle = m_hCard;
    m_hCard = nullptr;
    P9050_IntDisable(handle);
    P9050_Close(handle);
}
