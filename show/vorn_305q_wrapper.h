// The program's proxy for the Vorn_305q control: the control's window in the form and
// one member function per automation method, each calling the control by its dispatch
// identifier. The program never links the control module or looks a name up.
//
// A call that cannot be made (no control, or the control rejects the arguments) throws
// nothing: it writes the failure to the debug trace and returns -1 from the methods that
// answer 0 or -1, 0 from counts and reads, and nothing from the others.
#pragma once

#include <windows.h>

#include "wnd.h"

class CVorn_305q : public CWnd {
public:
    CVorn_305q() = default;
    ~CVorn_305q() override = default;

    static const CLSID& GetClsid();

    // Creates the control of GetClsid() whatever the class name; the creation context
    // is not used.
    BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                UINT id, CCreateContext* context = nullptr) override;

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
    // rV is sent as a long; the control takes only -32768 to 32767.
    short ManuMove2(short axis, long sV, long rV);

private:
    // InvokeHelper with DISPATCH_METHOD; false (and a trace line) when the call failed.
    template <typename... A>
    bool Call(DISPID dispid, VARTYPE resultType, void* result, const BYTE* paramTypes, A... args) {
        return Traced(
            dispid, InvokeHelper(dispid, DISPATCH_METHOD, resultType, result, paramTypes, args...));
    }
    static bool Traced(DISPID dispid, HRESULT hr);
};
