// The Vorn_305q control: the automation front of one motion card. Every method of the
// dispatch interface forwards unchanged to the embedded card object; InitCard also
// gives the card the relay window that turns its interrupts into FireInterrupt.
#pragma once

#include <windows.h>

#include <vector>

#include "motion_card.h"
#include "ole_control.h"
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
    short InitCard(short nCard);
    void CloseCard();
    short SetInterrupt(short axis, short nVal);
    short CloseInterrupt(short axis);
    short GetCardCount();
    short RunState(short axis);
    long GetPosition(short axis);
    void SetPosition(short axis, long data);
    void StopAxisDec(short axis);
    void StopAxisInst(short axis);
    void Stop2AxisDec(short axis0, short axis1);
    void Stop2AxisInst(short axis0, short axis1);
    void Stop3axisDec(short axis0, short axis1, short axis2);
    void Stop3AxisInst(short axis0, short axis1, short axis2);
    void StopAllDec();
    void StopAllInst();
    void PulseOutMode(short axis, short mode);
    void InputMode(short axis, short mode);
    void SignalAlmInp(short axis, short data);
    long GetInput();
    void Setoutput(short val);
    void SignalHardLmt(short axis, short data);
    void SignalSoftLmt(short axis, short data);
    short ManuMove(short axis, long sV, long rV);
    void SetComP(short axis, long data);
    void SetComM(short axis, long data);
    void SignalOrg(short axis, short mode);
    short TVMove(short axis, long sV, long rV, float Tacc, short dir);
    short SVMove(short axis, long sV, long rV, float Tacc, float Tsacc, short dir);
    short StartTRMove(short axis, long lPulse, long sV, long rV, float Tacc);
    short StartTRNMove(short axis, long lPulse, long sV, long rV, float Tacc, float Tdec);
    short StartSRMove(short axis, long lPulse, long sV, long rV, float Tacc, float Tsacc);
    short StartSRNMove(short axis, long lPulse, long sV, long rV, float Tlacc, float Tsacc,
                       float Tldec, float Tsdec);
    short StartTAMove(short axis, long lPulse, long sV, long rV, float Tacc);
    short StartSAMove(short axis, long lPulse, long sV, long rV, float Tlacc, float Tsacc);
    short StartTANMove(short axis, long lPulse, long sV, long rV, float Tacc, float Tdec);
    short StartSANMove(short axis, long lPulse, long sV, long rV, float Tlacc, float Tsacc,
                       float Tldec, float Tsdec);
    void LineRMove(short axis0, short axis1, long pulse0, long pulse1, long sV, long rV,
                   float Tacc);
    void LineAMove(short axis0, short axis1, long pulse0, long pulse1, long sV, long rV,
                   float Tacc);
    void Line3RMove(short axis0, short axis1, short axis2, long pulse0, long pulse1, long pulse2,
                    long sV, long rV, float Tacc);
    void Line3AMove(short axis0, short axis1, short axis2, long pulse0, long pulse1, long pulse2,
                    long sV, long rV, float Tacc);
    void CircleDrawR(short axis0, short axis1, long core0, long core1, long stop0, long stop1,
                     long sV, long rV, float Tacc, short dir);
    void LevelMode(short axis, short mode);
    void VChange(short axis, long rV);
    long GetExPosition(short axis);
    void SetExPosition(short axis, long data);
    void WhoCheckCom(short axis, short nWho);
    void CircleDrawA(short axis0, short axis1, long core0, long core1, long stop0, long stop1,
                     long sV, long rV, float Tacc, short dir);
    short ManuMove2(short axis, long sV, short rV);

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
