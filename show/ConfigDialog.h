// The axis configuration page: the signal settings of one axis of one card, each change
// sent to the card at once and kept in the view's current record, with a summary beside.
#pragma once

#include "MyStatic.h"
#include "dialog.h"

class CVorn_305q;
class CVorn_305q_showView;
struct AxisConfig;

class CConfigDialog : public CDialog {
public:
    // The parent is given at creation (CreateModeless).
    explicit CConfigDialog(CWnd* pParent = nullptr);
    ~CConfigDialog() override = default;

    enum { IDD = 131 };  // IDD_CONFIG_DIALOG of resource.h

    // Shows the pair: re-titles, has the view open the card and binds to it, loads the
    // pair's record. The same pair again changes nothing, unless the page was left
    // unbound and the card has been opened since.
    void SetCardAxis(int nCard, int nAxis);
    // The view's current record into the members and the controls.
    void LoadFromRecord();
    // The summary from the members; the members back into the record while bound.
    void UpdateSummary();

    CMyStatic m_staticSummary;
    CMyStatic m_staticTitle;
    int m_nPulseOut = 0;
    int m_nPulseIn = 0;
    int m_nAlmLevel = 0;
    int m_nInpLevel = 0;
    int m_nLimitLevel = 0;
    int m_nLimitStop = 0;
    int m_bInterrupt[7] = {};  // checks 1031 down to 1025
    int m_bInpEnable = 1;
    int m_bAlmEnable = 1;
    int m_bOrgEnable = 1;
    int m_nPulseEdge = 0;
    int m_nOrgLevel = 0;
    CVorn_305q* m_pWrapper = nullptr;
    int m_nCard = -1;
    int m_nAxis = -1;

    static const CRuntimeClass classCConfigDialog;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCConfigDialog; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnOK() override {}
    void OnCancel() override {}

private:
    CVorn_305q_showView* View() const;
    AxisConfig* CurrentRecord() const;
    // The members as a record's eighteen settings (card and axis left as given).
    void MembersToRecord(AxisConfig& record) const;
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
