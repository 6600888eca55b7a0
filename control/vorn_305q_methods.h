// The 49 methods of the dispatch interface _DVorn_305q as the type library publishes
// them, once, for the program's wrapper, which is generated from this list. Header only, so
// the wrapper shares it by include path without linking the control. (The control's own
// dispatch table and handlers are written out in vorn_305q_ctrl.*; tests hold both to the
// published contract.)
//
// VORN_305Q_METHODS(X) calls X(dispid, name, result, count, (params)) per method in
// dispatch identifier order. result is NONE (void), CODE (short, 0 or -1), SHORT (short)
// or LONG (long); params are count pairs (type, name) with type S short, L long, F float
// or LS: long in the type library, short in the control's own table, so that a larger
// value fails in the dispatch layer before the card is reached.
#pragma once

// clang-format off
#define VORN_305Q_METHODS(X) \
    X(1, InitCard, CODE, 1, ((S, nCard))) \
    X(2, CloseCard, NONE, 0, ()) \
    X(3, SetInterrupt, CODE, 2, ((S, axis), (S, nVal))) \
    X(4, CloseInterrupt, CODE, 1, ((S, axis))) \
    X(5, GetCardCount, SHORT, 0, ()) \
    X(6, RunState, SHORT, 1, ((S, axis))) \
    X(7, GetPosition, LONG, 1, ((S, axis))) \
    X(8, SetPosition, NONE, 2, ((S, axis), (L, data))) \
    X(9, StopAxisDec, NONE, 1, ((S, axis))) \
    X(10, StopAxisInst, NONE, 1, ((S, axis))) \
    X(11, Stop2AxisDec, NONE, 2, ((S, axis0), (S, axis1))) \
    X(12, Stop2AxisInst, NONE, 2, ((S, axis0), (S, axis1))) \
    X(13, Stop3axisDec, NONE, 3, ((S, axis0), (S, axis1), (S, axis2))) \
    X(14, Stop3AxisInst, NONE, 3, ((S, axis0), (S, axis1), (S, axis2))) \
    X(15, StopAllDec, NONE, 0, ()) \
    X(16, StopAllInst, NONE, 0, ()) \
    X(17, PulseOutMode, NONE, 2, ((S, axis), (S, mode))) \
    X(18, InputMode, NONE, 2, ((S, axis), (S, mode))) \
    X(19, SignalAlmInp, NONE, 2, ((S, axis), (S, data))) \
    X(20, GetInput, LONG, 0, ()) \
    X(21, Setoutput, NONE, 1, ((S, val))) \
    X(22, SignalHardLmt, NONE, 2, ((S, axis), (S, data))) \
    X(23, SignalSoftLmt, NONE, 2, ((S, axis), (S, data))) \
    X(24, ManuMove, CODE, 3, ((S, axis), (L, sV), (L, rV))) \
    X(25, SetComP, NONE, 2, ((S, axis), (L, data))) \
    X(26, SetComM, NONE, 2, ((S, axis), (L, data))) \
    X(27, SignalOrg, NONE, 2, ((S, axis), (S, mode))) \
    X(28, TVMove, CODE, 5, ((S, axis), (L, sV), (L, rV), (F, Tacc), (S, dir))) \
    X(29, SVMove, CODE, 6, ((S, axis), (L, sV), (L, rV), (F, Tacc), (F, Tsacc), (S, dir))) \
    X(30, StartTRMove, CODE, 5, ((S, axis), (L, lPulse), (L, sV), (L, rV), (F, Tacc))) \
    X(31, StartTRNMove, CODE, 6, \
      ((S, axis), (L, lPulse), (L, sV), (L, rV), (F, Tacc), (F, Tdec))) \
    X(32, StartSRMove, CODE, 6, \
      ((S, axis), (L, lPulse), (L, sV), (L, rV), (F, Tacc), (F, Tsacc))) \
    X(33, StartSRNMove, CODE, 8, \
      ((S, axis), (L, lPulse), (L, sV), (L, rV), (F, Tlacc), (F, Tsacc), (F, Tldec), \
       (F, Tsdec))) \
    X(34, StartTAMove, CODE, 5, ((S, axis), (L, lPulse), (L, sV), (L, rV), (F, Tacc))) \
    X(35, StartSAMove, CODE, 6, \
      ((S, axis), (L, lPulse), (L, sV), (L, rV), (F, Tlacc), (F, Tsacc))) \
    X(36, StartTANMove, CODE, 6, \
      ((S, axis), (L, lPulse), (L, sV), (L, rV), (F, Tacc), (F, Tdec))) \
    X(37, StartSANMove, CODE, 8, \
      ((S, axis), (L, lPulse), (L, sV), (L, rV), (F, Tlacc), (F, Tsacc), (F, Tldec), \
       (F, Tsdec))) \
    X(38, LineRMove, NONE, 7, \
      ((S, axis0), (S, axis1), (L, pulse0), (L, pulse1), (L, sV), (L, rV), (F, Tacc))) \
    X(39, LineAMove, NONE, 7, \
      ((S, axis0), (S, axis1), (L, pulse0), (L, pulse1), (L, sV), (L, rV), (F, Tacc))) \
    X(40, Line3RMove, NONE, 9, \
      ((S, axis0), (S, axis1), (S, axis2), (L, pulse0), (L, pulse1), (L, pulse2), (L, sV), \
       (L, rV), (F, Tacc))) \
    X(41, Line3AMove, NONE, 9, \
      ((S, axis0), (S, axis1), (S, axis2), (L, pulse0), (L, pulse1), (L, pulse2), (L, sV), \
       (L, rV), (F, Tacc))) \
    X(42, CircleDrawR, NONE, 10, \
      ((S, axis0), (S, axis1), (L, core0), (L, core1), (L, stop0), (L, stop1), (L, sV), \
       (L, rV), (F, Tacc), (S, dir))) \
    X(43, LevelMode, NONE, 2, ((S, axis), (S, mode))) \
    X(44, VChange, NONE, 2, ((S, axis), (L, rV))) \
    X(45, GetExPosition, LONG, 1, ((S, axis))) \
    X(46, SetExPosition, NONE, 2, ((S, axis), (L, data))) \
    X(47, WhoCheckCom, NONE, 2, ((S, axis), (S, nWho))) \
    X(48, CircleDrawA, NONE, 10, \
      ((S, axis0), (S, axis1), (L, core0), (L, core1), (L, stop0), (L, stop1), (L, sV), \
       (L, rV), (F, Tacc), (S, dir))) \
    X(49, ManuMove2, CODE, 3, ((S, axis), (L, sV), (LS, rV)))
// clang-format on

// Result types.
#define VORN_RESULT_NONE void
#define VORN_RESULT_CODE short
#define VORN_RESULT_SHORT short
#define VORN_RESULT_LONG long

// Parameter types as the type library publishes them (what clients send).
#define VORN_LIB_TYPE_S short
#define VORN_LIB_TYPE_L long
#define VORN_LIB_TYPE_F float
#define VORN_LIB_TYPE_LS long

// One parameter as a declaration or as an argument.
#define VORN_LIB_PARAM(type, name) VORN_LIB_TYPE_##type name
#define VORN_ARG(type, name) name

// VORN_EACH(count, M, (params)): M(type, name) for each parameter, comma-separated.
#define VORN_EACH(count, M, params) VORN_EACH_APPLY(VORN_EACH_##count, (M, VORN_EACH_UNPACK params))
#define VORN_EACH_APPLY(f, args) f args
#define VORN_EACH_UNPACK(...) __VA_ARGS__
#define VORN_EACH_0(M, ...)
#define VORN_EACH_1(M, a) M a
#define VORN_EACH_2(M, a, ...) M a, VORN_EACH_1(M, __VA_ARGS__)
#define VORN_EACH_3(M, a, ...) M a, VORN_EACH_2(M, __VA_ARGS__)
#define VORN_EACH_4(M, a, ...) M a, VORN_EACH_3(M, __VA_ARGS__)
#define VORN_EACH_5(M, a, ...) M a, VORN_EACH_4(M, __VA_ARGS__)
#define VORN_EACH_6(M, a, ...) M a, VORN_EACH_5(M, __VA_ARGS__)
#define VORN_EACH_7(M, a, ...) M a, VORN_EACH_6(M, __VA_ARGS__)
#define VORN_EACH_8(M, a, ...) M a, VORN_EACH_7(M, __VA_ARGS__)
#define VORN_EACH_9(M, a, ...) M a, VORN_EACH_8(M, __VA_ARGS__)
#define VORN_EACH_10(M, a, ...) M a, VORN_EACH_9(M, __VA_ARGS__)
