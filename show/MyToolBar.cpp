#include "MyToolBar.h"

CMyToolBar::~CMyToolBar() {
    m_wndAxisCombo.DestroyWindow();
    m_wndCardCombo.DestroyWindow();
}
