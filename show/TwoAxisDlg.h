// The two-axis page: its own main and slave axes, the linear and circular panels, the
// positions of both axes polled every 50 ms while shown and bound, drawn as a trajectory.
#pragma once

#include "DrawStatic.h"
#include "InterpolationDlg.h"
#include "MyStatic.h"
#include "MotionPage.h"
#include "dialog.h"
#include "vorn_305q_wrapper.h"

class CVorn_305q_showView;

class CTwoAxisDialog : public CMotionPage {
public:
    CTwoAxisDialog();
    ~CTwoAxisDialog() override;

    // Re-titles for a new pair and, when the card opens, binds the page; the same pair
    // binds once the card is open.
    void SetCardAxis(int card, int axis);

    CMyStatic m_staticRatio;
    CMyStatic m_staticMainPos;
    CMyStatic m_staticSlavePos;
    CDrawStatic m_drawStatic;
    CMyStatic m_staticTitle;
    int m_nMode = 0;
    int m_nMainAxis = 0;
    int m_nSlaveAxis = 1;
    CLinearDialog m_linearDlg;
    CCircleDialog m_circleDlg;

protected:
    void OnApplyInitData() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void ShowTitle() override;
    // The stored configurations of the page's two axes reach the card once per pair.
    void ApplyAxisPair() const;
    void OnAxisChosen();
    void OnSelectMode();
    void OnClearPosition();
    void ShowRatio();
    void OnTimer(UINT_PTR id) override;
};
