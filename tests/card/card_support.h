// Fixture of the card tests: one simulated card on the virtual clock, messages recorded
// instead of shown, a watchdog, and table-driven steps (result, chip trace, messages).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "../pci/pci_interrupt_support.h"
#include "card_message.h"
#include "interrupt_relay_window.h"
#include "motion_card.h"

// Reaches the card object's fields, conversions and command primitive.
class CMotionCardTestAccess {
public:
    static P9050Handle* Handle(CMotionCard& c) { return c.m_hCard; }
    static uint16_t WR(CMotionCard& c, int reg, int axis) {
        return reg == 1 ? c.m_wWR1[axis] : reg == 2 ? c.m_wWR2[axis] : c.m_wWR3[axis];
    }
    static int32_t StartSpeed(CMotionCard& c, int a) { return c.m_lStartSpeed[a]; }
    static int32_t Accel(CMotionCard& c, int a) { return c.m_lAccel[a]; }
    static int32_t Decel(CMotionCard& c, int a) { return c.m_lDecel[a]; }
    static int32_t Jerk(CMotionCard& c, int a) { return c.m_lJerk[a]; }
    static uint16_t Multiple(CMotionCard& c, int a) { return c.m_wMultiple[a]; }
    static void SetMultiple(CMotionCard& c, uint16_t a, uint16_t m) { c.SetMultiple(a, m); }
    static void ChooseMultiple(CMotionCard& c, uint16_t a, uint32_t s) { c.ChooseMultiple(a, s); }
    static uint16_t SpeedToSV(CMotionCard& c, uint16_t a, int32_t s) { return c.SpeedToSV(a, s); }
    static int32_t SpeedToV(CMotionCard& c, uint16_t a, int32_t s) { return c.SpeedToV(a, s); }
    static uint16_t AccelToA(CMotionCard& c, uint16_t a, int32_t v) { return c.AccelToA(a, v); }
    static uint16_t DecelToD(CMotionCard& c, uint16_t a, int32_t v) { return c.DecelToD(a, v); }
    static uint16_t JerkToK(CMotionCard& c, uint16_t a, int32_t v) { return c.JerkToK(a, v); }
    static void WriteCommand(CMotionCard& c, uint16_t a, uint16_t code) { c.WriteCommand(a, code); }
    // Operations no caller of the card reaches.
    static void SetDecelPoint(CMotionCard& c, uint16_t a, int32_t v) { c.SetDecelPoint(a, v); }
    static void SetCenter(CMotionCard& c, uint16_t a, int32_t v) { c.SetCenter(a, v); }
    static void SetManualDecel(CMotionCard& c, uint16_t a, int32_t p) { c.SetManualDecel(a, p); }
    static void SetManualContinuous(CMotionCard& c, uint16_t a) { c.SetManualContinuous(a); }
    static void SetManualFixed(CMotionCard& c, uint16_t a) { c.SetManualFixed(a); }
    static void ClearManualMode(CMotionCard& c, uint16_t a) { c.ClearManualMode(a); }
    static void SetSCurveMode(CMotionCard& c, uint16_t a) { c.SetSCurveMode(a); }
    static void ClearSCurveMode(CMotionCard& c, uint16_t a) { c.ClearSCurveMode(a); }
    static void SetDecelMode(CMotionCard& c, uint16_t a, int mode) { c.SetDecelMode(a, mode); }
    static void StartContinuousDrive(CMotionCard& c, uint16_t a, int32_t v, short dir) {
        c.StartContinuousDrive(a, v, dir);
    }
    static void StartFixedDrive(CMotionCard& c, uint16_t a, int32_t v, int32_t p, bool neg,
                                bool sCurve) {
        c.StartFixedDrive(a, v, p, neg, sCurve);
    }
    // The clamped register setters, by command code (0x00 range .. 0x0D offset).
    static void Set(CMotionCard& c, int code, uint16_t a, int32_t v) {
        switch (code) {
            case 0x00:
                return c.SetRange(a, v);
            case 0x01:
                return c.SetJerk(a, v);
            case 0x02:
                return c.SetAccel(a, v);
            case 0x03:
                return c.SetDecel(a, v);
            case 0x04:
                return c.SetStartSpeed(a, v);
            case 0x05:
                return c.SetDriveSpeed(a, v);
            case 0x06:
                return c.SetPulse(a, v, true);
            case 0x0D:
                return c.SetAccOffset(a, v);
            default:
                return c.SetPulse(a, v, false);  // the interpolation end point
        }
    }
    static uint16_t ReadAxisSpeed(CMotionCard& c, short a) { return c.ReadAxisSpeed(a); }
    static uint16_t ReadAxisAccel(CMotionCard& c, short a) { return c.ReadAxisAccel(a); }
    static uint16_t ReadInterpSpeed(CMotionCard& c) { return c.ReadInterpSpeed(); }
    static uint16_t ReadInterpAccel(CMotionCard& c) { return c.ReadInterpAccel(); }
};

// One call of a table and what it must produce. The trace may start with "... " or end
// with " ..." to match only its end or its start (both: anywhere).
struct CardStep {
    template <typename F>
    CardStep(std::string what_, F f, std::string trace_, std::vector<std::string> messages_ = {},
             int64_t result_ = 0)
        : what(std::move(what_)),
          trace(std::move(trace_)),
          messages(std::move(messages_)),
          result(result_) {
        call = [f](CMotionCard& card) -> int64_t {
            if constexpr (std::is_void_v<decltype(f(card))>) {
                f(card);
                return 0;
            } else {
                return f(card);
            }
        };
    }
    std::string what;
    std::function<int64_t(CMotionCard&)> call;
    std::string trace;
    std::vector<std::string> messages;
    int64_t result;
};
// The call's text and the call itself, for a step's first two fields.
#define CALL(expr) #expr, [](CMotionCard & c) { return c.expr; }

// An opened card (or a fresh closed one). TearDown closes it and checks that no service
// handle, registration, enabled interrupt or interrupt thread is left.
class CardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual bool OpenCardInSetUp() const { return true; }

    // UI-thread space-2 accesses since the last clear: "W0=0104 W12=03E8 R12 R14".
    std::string Trace() const;
    void ClearTrace();
    std::vector<std::string> Messages() const { return m_messages; }
    void ClearMessages() { m_messages.clear(); }
    CMotionCard& Card() { return *m_card; }
    // Each step starts with a cleared trace and message record; with reopen, also on a
    // card just reopened (multipliers, WR3 and WR5 back at InitCard's).
    void RunSteps(const std::vector<CardStep>& steps, bool reopen = false);
    // Shadows of WR1..WR3 and the chip's registers must agree on every axis.
    void ExpectShadowsMatchChip();

    Watchdog m_watchdog;
    std::unique_ptr<CMotionCard> m_card;
    // Card messages (GBK) in place of the box; the hook runs inside the "box", like the
    // modal loop of a real one, so a test can re-enter the card there.
    std::vector<std::string> m_messages;
    std::function<void()> m_boxHook;
};

class ClosedCardTest : public CardTest {
protected:
    bool OpenCardInSetUp() const override { return false; }
};

// A card opened with a relay window on the test's thread; events are recorded.
class RelayTest : public ClosedCardTest {
protected:
    struct Event {
        short axis;
        long status;
        LONGLONG enter, leave;  // performance counter around the handler
        bool duringClose;
    };
    void SetUp() override;
    void CloseCardMarked() {
        m_closing = true;
        Card().CloseCard();
        m_closing = false;
    }
    std::vector<std::pair<short, long>> Events() const;
    static void OnEvent(void* context, short axis, long status);

    CInterruptRelayWindow m_relay;
    std::vector<Event> m_events;
    std::function<void(short, long)> m_onEvent;
    bool m_closing = false;
};

inline const std::string kBoxP = card_text::kBadParameter;
inline const std::string kBoxN = card_text::kNotInitialised;

std::string Hex4(unsigned value);  // "%04X"
// Chip side doors (card 0).
int32_t ChipPosition(int axis);
void SetChipPosition(int axis, int32_t value);
bool ChipDriving(int axis);
