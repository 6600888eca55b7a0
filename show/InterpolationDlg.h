// The two-axis page's panels: a relative linear move and a relative circular arc of the
// page's main and slave axes, each with its run and stop buttons.
#pragma once

#include "NumEdit.h"
#include "dialog.h"
#include "panel_calls.h"

class CTwoAxisDialog;

// What the two kinds of panel share: the page they act for, the focus-loss refill and the
// guard against running with values that were refused.
class CInterpolationPanel : public CDialog {
public:
    explicit CInterpolationPanel(UINT templateId) : CDialog(templateId) {}

protected:
    // Created hidden or inside a hidden page: the focus must not move into it.
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        return FALSE;
    }
    void OnOK() override {}
    void OnCancel() override {}
    bool OnCommand(UINT id, UINT code, HWND control) override;

    CTwoAxisDialog* Page() const;
    // The refill text of an emptied edit with a focus-loss handler; empty for others.
    virtual std::wstring RefillText(int id) const = 0;
    virtual void Run(CTwoAxisDialog& page) = 0;

private:
    void OnRun();
    void OnStop();
    void OnEditKillFocus(int id);
};

class CLinearDialog : public CInterpolationPanel {
public:
    CLinearDialog();

    CLongEdit m_editTargetY;
    CLongEdit m_editTargetX;
    CFloatEdit m_editAccTime;
    LinearPanelValues m_values;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    std::wstring RefillText(int id) const override;
    void Run(CTwoAxisDialog& page) override;
};

class CCircleDialog : public CInterpolationPanel {
public:
    CCircleDialog();

    CLongEdit m_editEndY;
    CLongEdit m_editEndX;
    CLongEdit m_editCenterY;
    CLongEdit m_editCenterX;
    CFloatEdit m_editAccTime;
    CirclePanelValues m_values;

protected:
    void OnApplyInitData() override;
    void DoDataExchange(CDataExchange* pDX) override;
    std::wstring RefillText(int id) const override;
    void Run(CTwoAxisDialog& page) override;
};
