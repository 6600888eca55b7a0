#include "vorn_305q_wrapper.h"

#include <cstdio>

namespace {

// {0BAAC4F3-9558-49B4-A90F-4CF8BD3EED65}
const CLSID kClsidVorn_305q = {
    0x0BAAC4F3, 0x9558, 0x49B4, {0xA9, 0x0F, 0x4C, 0xF8, 0xBD, 0x3E, 0xED, 0x65}};

// Parameter-type strings, one byte per argument: the type library's types.
constexpr BYTE S = VT_I2;
constexpr BYTE L = VT_I4;
constexpr BYTE F = VT_R4;
const BYTE kS[] = {S, 0};
const BYTE kSS[] = {S, S, 0};
const BYTE kSSS[] = {S, S, S, 0};
const BYTE kSL[] = {S, L, 0};
const BYTE kSLL[] = {S, L, L, 0};
const BYTE kSLLFS[] = {S, L, L, F, S, 0};
const BYTE kSLLFFS[] = {S, L, L, F, F, S, 0};
const BYTE kSLLLF[] = {S, L, L, L, F, 0};
const BYTE kSLLLFF[] = {S, L, L, L, F, F, 0};
const BYTE kSLLLFFFF[] = {S, L, L, L, F, F, F, F, 0};
const BYTE kSSLLLLF[] = {S, S, L, L, L, L, F, 0};
const BYTE kSSSLLLLLF[] = {S, S, S, L, L, L, L, L, F, 0};
const BYTE kSSLLLLLLFS[] = {S, S, L, L, L, L, L, L, F, S, 0};

// What a failed call answers in place of the control.
constexpr short kRefused = -1;  // methods that answer 0 or -1
constexpr short kNoCount = 0;   // counts and reads

}  // namespace

const CLSID& CVorn_305q::GetClsid() { return kClsidVorn_305q; }

BOOL CVorn_305q::Create(LPCWSTR /*className*/, LPCWSTR windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, CCreateContext* /*context*/) {
    return CreateControl(GetClsid(), windowName, style, rect, parent, id);
}

bool CVorn_305q::Traced(DISPID dispid, HRESULT hr) {
    if (SUCCEEDED(hr)) return true;
    char line[96];
    snprintf(line, sizeof line, "CVorn_305q: dispatch id %ld failed, HRESULT 0x%08lX\n",
             static_cast<long>(dispid), static_cast<unsigned long>(hr));
    OutputDebugStringA(line);
    return false;
}

short CVorn_305q::InitCard(short nCard) {
    short result = 0;
    return Call(1, VT_I2, &result, kS, nCard) ? result : kRefused;
}

void CVorn_305q::CloseCard() { Call(2, VT_EMPTY, nullptr, nullptr); }

short CVorn_305q::SetInterrupt(short axis, short nVal) {
    short result = 0;
    return Call(3, VT_I2, &result, kSS, axis, nVal) ? result : kRefused;
}

short CVorn_305q::CloseInterrupt(short axis) {
    short result = 0;
    return Call(4, VT_I2, &result, kS, axis) ? result : kRefused;
}

short CVorn_305q::GetCardCount() {
    short result = 0;
    return Call(5, VT_I2, &result, nullptr) ? result : kNoCount;
}

short CVorn_305q::RunState(short axis) {
    short result = 0;
    return Call(6, VT_I2, &result, kS, axis) ? result : kNoCount;
}

long CVorn_305q::GetPosition(short axis) {
    long result = 0;
    return Call(7, VT_I4, &result, kS, axis) ? result : kNoCount;
}

void CVorn_305q::SetPosition(short axis, long data) { Call(8, VT_EMPTY, nullptr, kSL, axis, data); }

void CVorn_305q::StopAxisDec(short axis) { Call(9, VT_EMPTY, nullptr, kS, axis); }

void CVorn_305q::StopAxisInst(short axis) { Call(10, VT_EMPTY, nullptr, kS, axis); }

void CVorn_305q::Stop2AxisDec(short axis0, short axis1) {
    Call(11, VT_EMPTY, nullptr, kSS, axis0, axis1);
}

void CVorn_305q::Stop2AxisInst(short axis0, short axis1) {
    Call(12, VT_EMPTY, nullptr, kSS, axis0, axis1);
}

void CVorn_305q::Stop3axisDec(short axis0, short axis1, short axis2) {
    Call(13, VT_EMPTY, nullptr, kSSS, axis0, axis1, axis2);
}

void CVorn_305q::Stop3AxisInst(short axis0, short axis1, short axis2) {
    Call(14, VT_EMPTY, nullptr, kSSS, axis0, axis1, axis2);
}

void CVorn_305q::StopAllDec() { Call(15, VT_EMPTY, nullptr, nullptr); }

void CVorn_305q::StopAllInst() { Call(16, VT_EMPTY, nullptr, nullptr); }

void CVorn_305q::PulseOutMode(short axis, short mode) {
    Call(17, VT_EMPTY, nullptr, kSS, axis, mode);
}

void CVorn_305q::InputMode(short axis, short mode) { Call(18, VT_EMPTY, nullptr, kSS, axis, mode); }

void CVorn_305q::SignalAlmInp(short axis, short data) {
    Call(19, VT_EMPTY, nullptr, kSS, axis, data);
}

long CVorn_305q::GetInput() {
    long result = 0;
    return Call(20, VT_I4, &result, nullptr) ? result : kNoCount;
}

void CVorn_305q::Setoutput(short val) { Call(21, VT_EMPTY, nullptr, kS, val); }

void CVorn_305q::SignalHardLmt(short axis, short data) {
    Call(22, VT_EMPTY, nullptr, kSS, axis, data);
}

void CVorn_305q::SignalSoftLmt(short axis, short data) {
    Call(23, VT_EMPTY, nullptr, kSS, axis, data);
}

short CVorn_305q::ManuMove(short axis, long sV, long rV) {
    short result = 0;
    return Call(24, VT_I2, &result, kSLL, axis, sV, rV) ? result : kRefused;
}

void CVorn_305q::SetComP(short axis, long data) { Call(25, VT_EMPTY, nullptr, kSL, axis, data); }

void CVorn_305q::SetComM(short axis, long data) { Call(26, VT_EMPTY, nullptr, kSL, axis, data); }

void CVorn_305q::SignalOrg(short axis, short mode) { Call(27, VT_EMPTY, nullptr, kSS, axis, mode); }

short CVorn_305q::TVMove(short axis, long sV, long rV, float Tacc, short dir) {
    short result = 0;
    return Call(28, VT_I2, &result, kSLLFS, axis, sV, rV, Tacc, dir) ? result : kRefused;
}

short CVorn_305q::SVMove(short axis, long sV, long rV, float Tacc, float Tsacc, short dir) {
    short result = 0;
    return Call(29, VT_I2, &result, kSLLFFS, axis, sV, rV, Tacc, Tsacc, dir) ? result : kRefused;
}

short CVorn_305q::StartTRMove(short axis, long lPulse, long sV, long rV, float Tacc) {
    short result = 0;
    return Call(30, VT_I2, &result, kSLLLF, axis, lPulse, sV, rV, Tacc) ? result : kRefused;
}

short CVorn_305q::StartTRNMove(short axis, long lPulse, long sV, long rV, float Tacc, float Tdec) {
    short result = 0;
    return Call(31, VT_I2, &result, kSLLLFF, axis, lPulse, sV, rV, Tacc, Tdec) ? result : kRefused;
}

short CVorn_305q::StartSRMove(short axis, long lPulse, long sV, long rV, float Tacc, float Tsacc) {
    short result = 0;
    return Call(32, VT_I2, &result, kSLLLFF, axis, lPulse, sV, rV, Tacc, Tsacc) ? result : kRefused;
}

short CVorn_305q::StartSRNMove(short axis, long lPulse, long sV, long rV, float Tlacc, float Tsacc,
                               float Tldec, float Tsdec) {
    short result = 0;
    return Call(33, VT_I2, &result, kSLLLFFFF, axis, lPulse, sV, rV, Tlacc, Tsacc, Tldec, Tsdec)
               ? result
               : kRefused;
}

short CVorn_305q::StartTAMove(short axis, long lPulse, long sV, long rV, float Tacc) {
    short result = 0;
    return Call(34, VT_I2, &result, kSLLLF, axis, lPulse, sV, rV, Tacc) ? result : kRefused;
}

short CVorn_305q::StartSAMove(short axis, long lPulse, long sV, long rV, float Tlacc, float Tsacc) {
    short result = 0;
    return Call(35, VT_I2, &result, kSLLLFF, axis, lPulse, sV, rV, Tlacc, Tsacc) ? result
                                                                                 : kRefused;
}

short CVorn_305q::StartTANMove(short axis, long lPulse, long sV, long rV, float Tacc, float Tdec) {
    short result = 0;
    return Call(36, VT_I2, &result, kSLLLFF, axis, lPulse, sV, rV, Tacc, Tdec) ? result : kRefused;
}

short CVorn_305q::StartSANMove(short axis, long lPulse, long sV, long rV, float Tlacc, float Tsacc,
                               float Tldec, float Tsdec) {
    short result = 0;
    return Call(37, VT_I2, &result, kSLLLFFFF, axis, lPulse, sV, rV, Tlacc, Tsacc, Tldec, Tsdec)
               ? result
               : kRefused;
}

void CVorn_305q::LineRMove(short axis0, short axis1, long pulse0, long pulse1, long sV, long rV,
                           float Tacc) {
    Call(38, VT_EMPTY, nullptr, kSSLLLLF, axis0, axis1, pulse0, pulse1, sV, rV, Tacc);
}

void CVorn_305q::LineAMove(short axis0, short axis1, long pulse0, long pulse1, long sV, long rV,
                           float Tacc) {
    Call(39, VT_EMPTY, nullptr, kSSLLLLF, axis0, axis1, pulse0, pulse1, sV, rV, Tacc);
}

void CVorn_305q::Line3RMove(short axis0, short axis1, short axis2, long pulse0, long pulse1,
                            long pulse2, long sV, long rV, float Tacc) {
    Call(40, VT_EMPTY, nullptr, kSSSLLLLLF, axis0, axis1, axis2, pulse0, pulse1, pulse2, sV, rV,
         Tacc);
}

void CVorn_305q::Line3AMove(short axis0, short axis1, short axis2, long pulse0, long pulse1,
                            long pulse2, long sV, long rV, float Tacc) {
    Call(41, VT_EMPTY, nullptr, kSSSLLLLLF, axis0, axis1, axis2, pulse0, pulse1, pulse2, sV, rV,
         Tacc);
}

void CVorn_305q::CircleDrawR(short axis0, short axis1, long core0, long core1, long stop0,
                             long stop1, long sV, long rV, float Tacc, short dir) {
    Call(42, VT_EMPTY, nullptr, kSSLLLLLLFS, axis0, axis1, core0, core1, stop0, stop1, sV, rV, Tacc,
         dir);
}

void CVorn_305q::LevelMode(short axis, short mode) { Call(43, VT_EMPTY, nullptr, kSS, axis, mode); }

void CVorn_305q::VChange(short axis, long rV) { Call(44, VT_EMPTY, nullptr, kSL, axis, rV); }

long CVorn_305q::GetExPosition(short axis) {
    long result = 0;
    return Call(45, VT_I4, &result, kS, axis) ? result : kNoCount;
}

void CVorn_305q::SetExPosition(short axis, long data) {
    Call(46, VT_EMPTY, nullptr, kSL, axis, data);
}

void CVorn_305q::WhoCheckCom(short axis, short nWho) {
    Call(47, VT_EMPTY, nullptr, kSS, axis, nWho);
}

void CVorn_305q::CircleDrawA(short axis0, short axis1, long core0, long core1, long stop0,
                             long stop1, long sV, long rV, float Tacc, short dir) {
    Call(48, VT_EMPTY, nullptr, kSSLLLLLLFS, axis0, axis1, core0, core1, stop0, stop1, sV, rV, Tacc,
         dir);
}

short CVorn_305q::ManuMove2(short axis, long sV, long rV) {
    short result = 0;
    return Call(49, VT_I2, &result, kSLL, axis, sV, rV) ? result : kRefused;
}
