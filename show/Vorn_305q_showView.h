// The program's form view: it hosts the motion control (hidden) through the wrapper,
// lists the cards in the frame's selectors, owns the configuration and motion records and
// the three pages, opens the card for the first page that needs it, sends each pair's
// configuration once, receives the control's event and closes the card when it goes.
#pragma once

#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "axis_records.h"
#include "dialog.h"
#include "event_sink.h"
#include "vorn_305q_wrapper.h"

class CMainFrame;
class CConfigDialog;
class COneAxisDialog;
class CTwoAxisDialog;

class CVorn_305q_showView : public CFormView {
public:
    CVorn_305q_showView();
    ~CVorn_305q_showView() override;

    using CFormView::Create;
    // The form, then the control in its placeholder's place, loaded with the form's
    // persisted state, and the event connection. Fails when the control cannot be made.
    BOOL Create(CFrameWnd* parent, UINT id, CCreateContext* context) override;
    void OnInitialUpdate() override;

    // The frame's selector choices.
    void OnCardChanged(int card);
    void OnAxisChanged(int axis);
    // 1 when the frame lists cards.
    int CardsAvailable() const;

    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnUpdateCommand(UINT id, bool& enable) override;

    // Called by the pages. Nonzero when the card is open (opening it the first time);
    // zero for a negative card or a refused opening.
    BOOL OnSelectCard(int card);
    // Makes the records of (m_nCard, m_nAxis) current, creating them when missing, and
    // sends the pair's configuration the first time in the run.
    void SelectAxis();
    void SelectMotionParams();
    // Sends the pair's stored configuration (made with defaults when missing) unless it
    // went to the open card already; the current records stay as they are.
    void EnsureApplied(int card, int axis);
    // The pair's configuration went to the card in this run.
    bool IsApplied(int card, int axis) const;

    CVorn_305q m_control;
    AxisConfig* m_pCurConfig = nullptr;    // in m_configRecords, or null
    MotionParams* m_pCurMotion = nullptr;  // in m_motionRecords, or null
    int m_bCardNotOpen = 1;
    int m_nCard = 0;
    int m_nAxis = 0;
    int m_nPage = 0;  // 0 none yet, 1 configuration, 2 one-axis, 3 two-axis
    // The pages, owned by m_pages; a null page's command does nothing.
    CConfigDialog* m_pConfigDlg = nullptr;
    COneAxisDialog* m_pOneAxisDlg = nullptr;
    CTwoAxisDialog* m_pTwoAxisDlg = nullptr;

    static const CRuntimeClass classCVorn_305q_showView;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCVorn_305q_showView; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CMainFrame* MainFrame() const;
    void OnInterruptVorn305qctrl(short axis, long lResult);
    void OnPageCommand(UINT id);
    // The page of m_nPage-style number 1..3, or null.
    CDialog* Page(int page) const;
    // Has page 1..3 show (m_nCard, m_nAxis).
    void SetPageCardAxis(int page);
    // Constructs page 1..3, creates it hidden as a child of the view, sizes it to client
    // and keeps it; null when it could not be created.
    template <class TPage>
    TPage* CreatePage(int page, const RECT& client);
    void LoadSettings();
    void ReportUnreadSettings() const;
    void OnSaveConfig();
    void OnLoadDefaultConfig();
    void ApplyAxisConfig(AxisConfig* pConfig);
    void SendAxisConfig(const AxisConfig& config, int card, int nAxis);
    AxisConfig* FindOrAddConfig(bool reset);
    void OnUpdatePageCommand(bool& enable) const;
    void OnFilePrint(bool withDialog);
    void OnDestroy();

    CEventSink m_sink;
    bool m_bInitialUpdateDone = false;  // the one-time steps ran
    AxisConfigList m_configRecords;     // the settings file's first, in file order
    // Why the settings file could not be read at start; until a save replaces it with the
    // operator's consent.
    DWORD m_settingsReadError = ERROR_SUCCESS;
    MotionParamsList m_motionRecords;
    std::set<std::pair<int, int>> m_applied;  // (card, axis) pairs sent in this run
    std::vector<std::unique_ptr<CDialog>> m_pages;
    CDialog* m_pageWindows[4] = {};  // page 1..3 as a dialog
};
