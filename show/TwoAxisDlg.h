// The two-axis page: its own main and slave axes, the linear and circular panels, the
// positions of both axes polled every 50 ms while shown and bound, drawn as a trajectory.
#pragma once

#include "DrawStatic.h"
#include "InterpolationDlg.h"
#include "MotionPage.h"
#include "MyStatic.h"
#include "vorn_305q_wrapper.h"

class CTwoAxisDialog : public CMotionPage, public IPanelPage {
public:
    explicit CTwoAxisDialog(IPageHost* host = nullptr);
    ~CTwoAxisDialog() override;

    // Re-titles for a new pair and, when the card opens, binds the page; the same pair
    // binds once the card is open.
    void SetCardAxis(int card, int axis) override;

    CVorn_305q* PanelControl() const override { return m_pControl; }
    int MainAxis() const override { return m_nMainAxis; }
    int SlaveAxis() const override { return m_nSlaveAxis; }

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
