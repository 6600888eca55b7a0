// The one-axis page: twelve motion types of one axis, start and stop, and a 50 ms poll of
// run state, positions, deviation, in-position state and the axis's input bits while the
// page is shown and bound; and the last interrupt status the control reported.
#pragma once

#include <cstdint>
#include <string>

#include "MotionPage.h"
#include "MyStatic.h"
#include "NumEdit.h"
#include "axis_records.h"
#include "vorn_305q_wrapper.h"

class COneAxisDialog : public CMotionPage {
public:
    explicit COneAxisDialog(IPageHost* host = nullptr);
    ~COneAxisDialog() override;

    // Re-titles for a new pair and, when the card opens, binds and refills the page. The
    // same pair binds once the card is open, keeping what was entered meanwhile.
    void SetCardAxis(int card, int axis) override;
    // Refills from the view's current motion record, its motion type's row included.
    void RefreshParams();
    // Shows status when wrapper is the one the page is bound to.
    void ShowInterrupt(long status, CVorn_305q* wrapper);

    CMyStatic m_staticElMinus;
    CMyStatic m_staticElPlus;
    CFloatEdit m_editTDec;
    CFloatEdit m_editTAcc;
    CFloatEdit m_editSDec;
    CFloatEdit m_editSAcc;
    CMyStatic m_staticAlm;
    CMyStatic m_staticInp;
    CMyStatic m_staticSdPlus;
    CMyStatic m_staticSdMinus;
    CMyStatic m_staticOrg;
    CMyStatic m_staticEz;
    CMyStatic m_staticCurPos;
    CMyStatic m_staticDeviation;
    CMyStatic m_staticInterrupt;
    CMyStatic m_staticCmdPos;
    CMyStatic m_staticInPos;
    CMyStatic m_staticRunState;
    CMyStatic m_staticTitle;
    // The digits-only edits, for what is pasted into them.
    CDigitsEdit m_editTolerance;
    CDigitsEdit m_editStartSpeed;
    CDigitsEdit m_editRunSpeed;
    CDigitsEdit m_editDistance;

    // The page's values as the record's fields (kOneAxisFields); its card and axis are unused.
    MotionParams m_values;

    BOOL m_bContinuous = TRUE;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    MotionParams* CurrentRecord() const;
    void ShowTitle() override;
    // The page's values into the view's current motion record: all, or one field's.
    void StoreParams() const;
    void StoreField(int id) const;
    // The motion type's row of enabled controls and its continuous flag.
    void ApplyMotionTypeRow(int motionType);
    bool Exchange();
    void OnMotionType(int motionType);
    void OnDirection();
    void OnEditKillFocus(int id, const std::wstring& refill);
    void OnStart();
    void OnStop();
    void OnTimer(UINT_PTR id) override;
    void ShowInputs(int32_t inputs);
    // The painted field of a control id, null for another id.
    const CMyStatic* Field(int id) const;
    void SetField(int id, const std::wstring& text) const;

    // The last exchange from the controls refused a value: a start would drive with
    // values the operator did not enter.
    bool m_bExchangeRefused = false;
};
