// The control's methods through which an axis configuration reaches the card, with the
// wrapper's types: the view's records send through this, the hosted control answers it.
#pragma once

class IConfigCalls {
public:
    virtual void PulseOutMode(short axis, short mode) = 0;
    virtual void InputMode(short axis, short mode) = 0;
    virtual void SignalAlmInp(short axis, short data) = 0;
    virtual void SignalHardLmt(short axis, short data) = 0;
    virtual void SignalOrg(short axis, short mode) = 0;
    virtual void LevelMode(short axis, short mode) = 0;
    virtual short CloseInterrupt(short axis) = 0;
    virtual short SetInterrupt(short axis, short nVal) = 0;

protected:
    ~IConfigCalls() = default;
};
