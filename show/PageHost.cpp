#include "PageHost.h"

bool CViewPage::ChangeCardAxis(int card, int axis, CVorn_305q*& binding) {
    if (card == m_nCard && axis == m_nAxis) {
        // The same pair is never retried: only a card opened since binds the page.
        if (binding != nullptr || m_pHost == nullptr || !m_pHost->IsCardOpen()) return false;
    } else {
        m_nCard = card;
        m_nAxis = axis;
        ShowTitle();
    }
    if (m_pHost == nullptr || !m_pHost->OnSelectCard(m_nCard)) return false;
    binding = &m_pHost->Control();
    m_pHost->SelectAxis();
    return true;
}
