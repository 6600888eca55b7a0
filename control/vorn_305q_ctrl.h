// The Vorn_305q control: the automation front of one motion card. Every method of the
// dispatch interface forwards unchanged to the embedded card object; InitCard also
// gives the card the relay window that turns its interrupts into FireInterrupt.
#pragma once

#include <windows.h>

#include <vector>

#include "motion_card.h"
#include "ole_control.h"
#include "vorn_305q_methods.h"
#include "vorn_dialog.h"

class CVorn_305qCtrl final : public COleControlBase {
public:
    CVorn_305qCtrl();
    ~CVorn_305qCtrl() override;

    // Class factory entry and self-registration of the class.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    static const CRuntimeClass classCVorn_305qCtrl;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCVorn_305qCtrl; }
    static HRESULT UpdateRegistry(bool registering);

    // The type library shared by all controls of the module.
    static CTypeLibCache& TypeLibCache();
    // Cards opened through controls and not closed yet.
    static long OpenCards();
    // The dispatch and event tables (for tests that compare them with the type library).
    static const CDispatchMap& DispatchMap();
    static const CEventMap& EventMap();

    // Automation methods, dispatch identifiers 1 to 49, with the types of the control's
    // dispatch table: ManuMove2's rV is published as long but taken as short, so larger
    // values fail in the dispatch layer with an overflow before the card is reached.
#define VORN_CTRL_DECLARE(dispid, name, result, count, params) \
    VORN_RESULT_##result name(VORN_EACH(count, VORN_CTRL_PARAM, params));
    VORN_305Q_METHODS(VORN_CTRL_DECLARE)
#undef VORN_CTRL_DECLARE

    // Fires FireInterrupt to every connected sink; called by the relay window.
    void FireInterruptEvent(short axis, long lResult);

protected:
    void* GetDispatchTarget() override { return this; }
    void OnDraw(HDC hdc, const RECT& bounds) override;
    HRESULT DoPropExchange(CPropExchange& px) override;
    const std::vector<CLSID>& GetPropPageIDs() override;

private:
    // Keeps the module's count of open cards in step with the card.
    void UpdateOpenCard();

    CMotionCard m_card;
    CVornDialog m_interruptDlg;
    bool m_cardCounted = false;
};
