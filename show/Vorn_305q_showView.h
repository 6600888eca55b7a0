// The program's form view: it hosts the motion control (hidden) through the wrapper,
// lists the cards in the frame's selectors, enables the page commands while cards are
// available, receives the control's event and closes the card when it goes.
#pragma once

#include "dialog.h"
#include "event_sink.h"
#include "vorn_305q_wrapper.h"

class CMainFrame;

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

    CVorn_305q m_control;
    int m_bCardNotOpen = 1;
    int m_nCard = 0;
    int m_nAxis = 0;
    int m_nPage = 0;

    static const CRuntimeClass classCVorn_305q_showView;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCVorn_305q_showView; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CMainFrame* MainFrame() const;
    void OnInterruptVorn305qctrl(short axis, long lResult);
    void OnPageCommand(UINT id);
    void OnUpdatePageCommand(bool& enable) const;
    void OnFilePrint(bool withDialog);
    void OnDestroy();

    CEventSink m_sink;
    bool m_bInitialUpdateDone = false;  // the one-time steps ran
};
