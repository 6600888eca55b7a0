// The axis configuration page: the signal settings of one axis of one card, each change
// sent to the card at once and kept in the view's current record, with a summary beside.
#pragma once

#include "MyStatic.h"
#include "PageHost.h"
#include "axis_records.h"

class CVorn_305q;

class CConfigDialog : public CViewPage {
public:
    // The parent is given at creation (CreateModeless); the host serves the page.
    explicit CConfigDialog(IPageHost* host = nullptr);
    ~CConfigDialog() override = default;

    enum { IDD = 131 };  // IDD_CONFIG_DIALOG of resource.h

    // Shows the pair: re-titles, has the view open the card and binds to it, loads the
    // pair's record. The same pair again changes nothing, unless the page was left
    // unbound and the card has been opened since.
    void SetCardAxis(int nCard, int nAxis) override;
    // The view's current record into the members and the controls.
    void LoadFromRecord();
    // The summary from the members; the members back into the record while bound.
    void UpdateSummary();

    CMyStatic m_staticSummary;
    CMyStatic m_staticTitle;
    // The page's settings as the record's fields (kConfigFields); its card and axis are unused.
    AxisConfig m_values = MakeAxisConfig(0, 0);
    CVorn_305q* m_pWrapper = nullptr;

    static const CRuntimeClass classCConfigDialog;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCConfigDialog; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnOK() override {}
    void OnCancel() override {}
    void ShowTitle() override;

private:
    AxisConfig* CurrentRecord() const;
    void EnablePair(int firstId, int secondId, int enable) const;
    short Axis() const { return static_cast<short>(m_nAxis); }

    void OnPulseOut();
    void OnPulseIn();
    void OnAlmEnable();
    void OnAlarmWord();
    void OnInpEnable();
    void OnLimitWord();
    void OnOrgEnable();
    void OnOrgLevel();
    void OnInterruptCheck();
    void OnPulseEdge();
};
