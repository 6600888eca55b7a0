// The two-axis page's panels: a relative linear move and a relative circular arc of the
// page's main and slave axes, each with its run and stop buttons.
#pragma once

#include <optional>
#include <string>

#include "NumEdit.h"
#include "dialog.h"
#include "panel_calls.h"

class CVorn_305q;

// What a panel takes from its page when a button is pressed.
class IPanelPage {
public:
    // The control to call; null while no card has been opened for the page.
    virtual CVorn_305q* PanelControl() const = 0;
    virtual int MainAxis() const = 0;
    virtual int SlaveAxis() const = 0;

protected:
    ~IPanelPage() = default;
};

// What the two kinds of panel share: the page they act for, the focus-loss refill and the
// guard against running with values that were refused.
class CInterpolationPanel : public CDialog {
public:
    CInterpolationPanel(UINT templateId, IPanelPage* page) : CDialog(templateId), m_pPage(page) {}

protected:
    // Created hidden or inside a hidden page: the focus must not move into it.
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        return FALSE;
    }
    void OnOK() override {}
    void OnCancel() override {}
    bool OnCommand(UINT id, UINT code, HWND control) override;

    // The refill of an emptied edit with a focus-loss handler; nothing for other controls.
    virtual std::optional<std::wstring> RefillText(int id) const = 0;
    virtual void Run(CVorn_305q& control, int mainAxis, int slaveAxis) = 0;

private:
    void OnRun();
    void OnStop();
    void OnEditKillFocus(int id, const std::wstring& refill);

    IPanelPage* const m_pPage;
};

class CLinearDialog : public CInterpolationPanel {
public:
    explicit CLinearDialog(IPanelPage* page = nullptr);

    CLongEdit m_editTargetY;
    CLongEdit m_editTargetX;
    CFloatEdit m_editAccTime;
    // The digits-only speed edits, for what is pasted into them.
    CDigitsEdit m_editStartSpeed;
    CDigitsEdit m_editMaxSpeed;
    LinearPanelValues m_values;  // kLinearFields

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    std::optional<std::wstring> RefillText(int id) const override;
    void Run(CVorn_305q& control, int mainAxis, int slaveAxis) override;
};

class CCircleDialog : public CInterpolationPanel {
public:
    explicit CCircleDialog(IPanelPage* page = nullptr);

    CLongEdit m_editEndY;
    CLongEdit m_editEndX;
    CLongEdit m_editCenterY;
    CLongEdit m_editCenterX;
    CFloatEdit m_editAccTime;
    CDigitsEdit m_editMaxSpeed;
    CDigitsEdit m_editStartSpeed;
    CirclePanelValues m_values;  // kCircleFields

protected:
    void OnApplyInitData() override;
    void DoDataExchange(CDataExchange* pDX) override;
    std::optional<std::wstring> RefillText(int id) const override;
    void Run(CVorn_305q& control, int mainAxis, int slaveAxis) override;
};
