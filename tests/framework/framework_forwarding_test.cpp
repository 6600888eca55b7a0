// Every dispatch identifier reaches the card operation of the same name with its
// arguments in order: each method called through IDispatch on a fresh simulated card
// leaves the same chip trace, messages and result as the card operation called directly
// on another fresh card.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "framework_fixture.h"
#include "motion_card.h"
#include "sim_chip.h"

using namespace frameworktest;

namespace {

struct WatchdogInstaller {
    WatchdogInstaller() { comtest::Watchdog::Install(60000); }
} g_watchdog;

// Typed literals: the same values go to the card and, as variants, to the control.
constexpr short S(int v) { return static_cast<short>(v); }
constexpr int32_t L(int32_t v) { return v; }

inline VARIANT ToVariant(short v) { return comtest::I2(v); }
inline VARIANT ToVariant(int32_t v) { return comtest::I4(v); }
inline VARIANT ToVariant(float v) { return comtest::R4(v); }

struct Invoker {
    IDispatch* dispatch;
    DISPID id;
    template <typename... A>
    int64_t operator()(A... a) const {
        comtest::Args args{ToVariant(a)...};
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(comtest::Call(dispatch, id, args, &result), S_OK);
        const int64_t value = V_VT(&result) == VT_I2   ? V_I2(&result)
                              : V_VT(&result) == VT_I4 ? V_I4(&result)
                                                       : 0;
        VariantClear(&result);
        return value;
    }
};

template <typename F>
int64_t Direct(F f) {
    if constexpr (std::is_void_v<decltype(f())>) {
        f();
        return 0;
    } else {
        return f();
    }
}

struct Row {
    DISPID id;
    const char* call;
    std::function<int64_t(CMotionCard&)> direct;
    std::function<int64_t(IDispatch*)> dispatched;
};

#define ROW(id, name, ...)                                                              \
    Row {                                                                               \
        id, #name "(" #__VA_ARGS__ ")",                                                 \
            [](CMotionCard& c) { return Direct([&] { return c.name(__VA_ARGS__); }); }, \
            [](IDispatch* d) {                                                          \
                return Invoker{d, id}(__VA_ARGS__);                                     \
            }                                                                           \
    }

// Arguments that every check accepts, with distinct axes so that a swap shows.
const Row kRows[] = {
    ROW(2, CloseCard),
    ROW(3, SetInterrupt, S(1), S(0x81)),
    ROW(4, CloseInterrupt, S(2)),
    ROW(6, RunState, S(3)),
    ROW(7, GetPosition, S(2)),
    ROW(8, SetPosition, S(1), L(-123456)),
    ROW(9, StopAxisDec, S(2)),
    ROW(10, StopAxisInst, S(3)),
    ROW(11, Stop2AxisDec, S(0), S(2)),
    ROW(12, Stop2AxisInst, S(3), S(1)),
    ROW(13, Stop3axisDec, S(0), S(1), S(3)),
    ROW(14, Stop3AxisInst, S(3), S(2), S(1)),
    ROW(15, StopAllDec),
    ROW(16, StopAllInst),
    ROW(17, PulseOutMode, S(2), S(1)),
    ROW(18, InputMode, S(3), S(1)),
    ROW(19, SignalAlmInp, S(1), S(5)),
    ROW(20, GetInput),
    ROW(21, Setoutput, S(0x1234)),
    ROW(22, SignalHardLmt, S(2), S(4)),
    ROW(23, SignalSoftLmt, S(3), S(2)),
    ROW(24, ManuMove, S(1), L(3000), L(7000)),
    ROW(25, SetComP, S(2), L(4567)),
    ROW(26, SetComM, S(3), L(-4567)),
    ROW(27, SignalOrg, S(1), S(2)),
    ROW(28, TVMove, S(2), L(1000), L(20000), 0.25f, S(1)),
    ROW(29, SVMove, S(3), L(500), L(30000), 0.3f, 0.1f, S(0)),
    ROW(30, StartTRMove, S(1), L(-5000), L(1000), L(9000), 0.2f),
    ROW(31, StartTRNMove, S(2), L(7000), L(1000), L(16000), 0.2f, 0.4f),
    ROW(32, StartSRMove, S(3), L(9000), L(800), L(24000), 0.3f, 0.15f),
    ROW(33, StartSRNMove, S(0), L(-9000), L(800), L(24000), 0.3f, 0.15f, 0.5f, 0.2f),
    ROW(34, StartTAMove, S(1), L(3000), L(1000), L(9000), 0.2f),
    ROW(35, StartSAMove, S(2), L(-3000), L(900), L(17000), 0.3f, 0.1f),
    ROW(36, StartTANMove, S(3), L(4000), L(1000), L(9000), 0.2f, 0.3f),
    ROW(37, StartSANMove, S(0), L(5000), L(800), L(24000), 0.3f, 0.15f, 0.5f, 0.2f),
    ROW(38, LineRMove, S(0), S(2), L(1000), L(-2000), L(500), L(20000), 0.2f),
    ROW(39, LineAMove, S(3), S(1), L(-1500), L(2500), L(500), L(20000), 0.2f),
    ROW(40, Line3RMove, S(0), S(1), S(2), L(100), L(-300), L(200), L(500), L(20000), 0.2f),
    ROW(41, Line3AMove, S(1), S(2), S(3), L(100), L(-300), L(200), L(500), L(20000), 0.2f),
    ROW(42, CircleDrawR, S(0), S(1), L(1000), L(0), L(2000), L(0), L(500), L(20000), 0.2f, S(1)),
    ROW(43, LevelMode, S(1), S(1)),
    ROW(44, VChange, S(2), L(5000)),
    ROW(45, GetExPosition, S(3)),
    ROW(46, SetExPosition, S(2), L(98765)),
    ROW(47, WhoCheckCom, S(1), S(1)),
    ROW(48, CircleDrawA, S(2), S(3), L(1000), L(0), L(2000), L(0), L(500), L(20000), 0.2f, S(0)),
    ROW(49, ManuMove2, S(3), L(3000), L(1234)),
};

struct Outcome {
    int64_t result = 0;
    std::string trace;
    std::vector<std::string> messages;
};

std::string ChipTrace() {
    std::string trace;
    for (const vornsim::ChipAccess& access : vornsim::ChipAccesses()) {
        if (access.atInterrupt) continue;
        trace += (access.write ? " W" : " R") + std::to_string(access.offset) +
                 (access.write ? "=" + std::to_string(access.value) : "");
    }
    return trace;
}

class ForwardingTest : public FrameworkTest {
protected:
    // Positions away from zero, so that reads and absolute moves show their axis.
    static void PresetPositions() {
        vornsim::WithChip(0, [](SimChip& chip) {
            for (int axis = 0; axis < 4; ++axis) chip.SetLogicalPosition(axis, 111 * (axis + 1));
        });
    }
    template <typename Call>
    Outcome Observe(Call call) {
        PresetPositions();
        vornsim::ClearChipAccesses();
        m_messages.clear();
        Outcome outcome;
        outcome.result = call();
        outcome.trace = ChipTrace();
        outcome.messages = m_messages;
        return outcome;
    }
};

TEST_F(ForwardingTest, EveryMethodReachesItsCardOperation) {
    CComRef<IDispatch> dispatch = As<IDispatch>(m_control.Get(), IID_IDispatch);
    for (const Row& row : kRows) {
        SCOPED_TRACE(::testing::Message() << "dispid " << row.id << " " << row.call);
        // Through the control, on a card just opened.
        vornsim::Uninstall();
        vornsim::Install(vornsim::DefaultProfile(1));
        const Invoker initCard = {dispatch.Get(), 1}, closeCard = {dispatch.Get(), 2};
        ASSERT_EQ(initCard(S(0)), 0);
        const Outcome viaControl = Observe([&] { return row.dispatched(dispatch.Get()); });
        closeCard();
        // Directly, on a fresh card object.
        vornsim::Uninstall();
        vornsim::Install(vornsim::DefaultProfile(1));
        CMotionCard card;
        ASSERT_EQ(card.InitCard(0, nullptr), 0);
        const Outcome direct = Observe([&] { return row.direct(card); });
        card.CloseCard();

        EXPECT_EQ(viaControl.trace, direct.trace);
        EXPECT_EQ(viaControl.messages, direct.messages);
        EXPECT_EQ(viaControl.result, direct.result);
        EXPECT_TRUE(direct.messages.empty()) << "the arguments are meant to pass every check";
        if (row.id != 2) {
            EXPECT_FALSE(direct.trace.empty()) << "the operation reached the chip";
        }
    }
}

}  // namespace
