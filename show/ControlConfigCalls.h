// The configuration calls made on the hosted control, for the view's records.
#pragma once

#include "config_calls.h"
#include "vorn_305q_wrapper.h"

class CControlConfigCalls : public IConfigCalls {
public:
    explicit CControlConfigCalls(CVorn_305q& control) : m_control(control) {}

    void PulseOutMode(short axis, short mode) override { m_control.PulseOutMode(axis, mode); }
    void InputMode(short axis, short mode) override { m_control.InputMode(axis, mode); }
    void SignalAlmInp(short axis, short data) override { m_control.SignalAlmInp(axis, data); }
    void SignalHardLmt(short axis, short data) override { m_control.SignalHardLmt(axis, data); }
    void SignalOrg(short axis, short mode) override { m_control.SignalOrg(axis, mode); }
    void LevelMode(short axis, short mode) override { m_control.LevelMode(axis, mode); }
    short CloseInterrupt(short axis) override { return m_control.CloseInterrupt(axis); }
    short SetInterrupt(short axis, short nVal) override {
        return m_control.SetInterrupt(axis, nVal);
    }

private:
    CVorn_305q& m_control;
};
