// The main frame's tool bar: it holds the card and axis selectors, which the frame
// creates in its first two slots, fills and listens to.
#pragma once

#include "bars.h"

class CMyToolBar : public CToolBar {
public:
    CMyToolBar() = default;
    // The selectors go before the bar itself.
    ~CMyToolBar() override;

    CComboBox m_wndCardCombo;
    CComboBox m_wndAxisCombo;
};
