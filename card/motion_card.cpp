#include "motion_card.h"

#include <cstring>

CMotionCard::CMotionCard() : m_hCard(nullptr), m_wWR5(0) {
    // The shadows get their first real values from InitCard; zero them so no
    // indeterminate value can ever be read.
    std::memset(m_szStatus, 0, sizeof(m_szStatus));
    for (int axis = 0; axis < 4; ++axis) {
        m_wWR1[axis] = m_wWR2[axis] = m_wWR3[axis] = 0;
        m_lStartSpeed[axis] = 8000;
        m_lAccel[axis] = 200000;
        m_lDecel[axis] = 200000;
        m_lJerk[axis] = 2000000;
        m_wAccOffset[axis] = 0;
        m_wMultiple[axis] = 1;
    }
}

CMotionCard::~CMotionCard() {
    // An open card must not outlive its object: its interrupt thread would relay to a
    // dead window and the card would stay claimed.
    if (m_hCard != nullptr) {
        CloseCard();
    }
}
