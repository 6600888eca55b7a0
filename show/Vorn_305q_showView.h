// The program's form view: it hosts the motion control (hidden) through the wrapper,
// lists the cards in the frame's selectors, owns the three pages and the records (kept and
// sent by m_records), opens the card for the first page that needs it, routes the commands,
// shows the settings file's boxes, receives the control's event and closes the card when it
// goes.
#pragma once

#include <array>
#include <memory>

#include "ControlConfigCalls.h"
#include "PageHost.h"
#include "axis_records.h"
#include "dialog.h"
#include "event_sink.h"
#include "view_records.h"
#include "vorn_305q_wrapper.h"

class CMainFrame;
class CConfigDialog;
class COneAxisDialog;

class CVorn_305q_showView : public CFormView, public IPageHost {
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

    BOOL OnSelectCard(int card) override;
    void SelectAxis() override;
    void EnsureApplied(int card, int axis) override;
    AxisConfig* CurrentConfig() const override { return m_records.CurrentConfig(); }
    MotionParams* CurrentMotion() const override { return m_records.CurrentMotion(); }
    CVorn_305q& Control() override { return m_control; }
    bool IsCardOpen() const override { return m_bCardNotOpen == 0; }

    // The pair's configuration went to the card in this run.
    bool IsApplied(int card, int axis) const { return m_records.IsApplied(card, axis); }

    static const CRuntimeClass classCVorn_305q_showView;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCVorn_305q_showView; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The framework's print dialog; the page is blank: nothing is drawn on it.
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(HDC dc, CPrintInfo* info) override;
    void OnPrint(HDC dc, CPrintInfo* info) override;
    void OnEndPrinting(HDC dc, CPrintInfo* info) override;

private:
    // In-process tests stand in for a card that opened.
    friend struct CViewTestAccess;

    // The page numbers of m_nPage.
    enum { kConfigPage = 1, kOneAxisPage = 2, kTwoAxisPage = 3 };

    CMainFrame* MainFrame() const;
    void OnInterruptVorn305qctrl(short axis, long lResult);
    void OnPageCommand(UINT id);
    // Page 1..3, null for another number or a page that could not be created.
    CViewPage* Page(int page) const;
    CConfigDialog* ConfigPage() const;
    COneAxisDialog* OneAxisPage() const;
    // Constructs page 1..3 with the view as its host, creates it hidden as a child of the
    // view, sizes it to client and keeps it.
    template <class TPage>
    void CreatePage(int page, const RECT& client);
    void LoadSettings();
    void ReportUnreadSettings() const;
    void OnSaveConfig();
    void OnLoadDefaultConfig();
    void OnUpdatePageCommand(bool& enable) const;
    void OnDestroy();

    CVorn_305q m_control;
    CControlConfigCalls m_configCalls{m_control};
    CViewRecords m_records{m_configCalls};
    CEventSink m_sink;
    bool m_bInitialUpdateDone = false;  // the one-time steps ran
    int m_bCardNotOpen = 1;
    int m_nCard = 0;
    int m_nAxis = 0;
    int m_nPage = 0;  // 0 none yet, else the page shown
    // Indexed by page number; gone before the records they point into.
    std::array<std::unique_ptr<CViewPage>, 4> m_pages;
};
