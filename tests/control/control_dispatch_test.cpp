// Calls through IDispatch: the control's own table against the contract, values that
// convert reaching the card, and wrong calls refused with their DISP_E_ code before the
// card or the chip is reached.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <random>
#include <string>

#include "contract_table.h"
#include "control_fixture.h"
#include "sim_chip.h"

using namespace comtest;
using namespace controltest;

namespace {

struct WatchdogInstaller {
    WatchdogInstaller() { Watchdog::Install(30000); }
} g_watchdog;

// A variant with a raw by-reference type, pointing at target (which may be null).
VARIANT RawRef(VARTYPE base, void* target) {
    return MakeVariant(VT_BYREF | base, [&](VARIANT& r) { V_BYREF(&r) = target; });
}

// Builds by-reference arguments whose targets live as long as the builder: a chain of
// `links` references to variants ending in a reference to a long (`nullAt` is the link
// whose pointer is null: 0 the first, `links` the long's, -1 none), and the code the
// dispatch layer owes for it (S_OK when automation allows it).
class CRefChains {
public:
    struct Built {
        VARIANT top;
        HRESULT expected;
    };
    Built Chain(int links, int nullAt, long value) {
        m_longs.push_back(value);
        VARIANT v = RawRef(VT_I4, nullAt == links ? nullptr : &m_longs.back());
        for (int level = links - 1; level >= 0; --level) {
            m_variants.push_back(v);
            v = RawRef(VT_VARIANT, level == nullAt ? nullptr : &m_variants.back());
        }
        // A reference to a variant may hold one reference to a value, never another
        // reference to a variant; a null pointer met on the way is refused as such.
        HRESULT expected = S_OK;
        if (nullAt == 0) {
            expected = DISP_E_TYPEMISMATCH;
        } else if (links > 1) {
            expected = DISP_E_BADVARTYPE;
        } else if (nullAt == links) {
            expected = DISP_E_TYPEMISMATCH;
        }
        return {v, expected};
    }
    // A variant reference to v.
    VARIANT To(const VARIANT& v) {
        m_variants.push_back(v);
        return Ref(&m_variants.back());
    }
    IDispatch** NullObject() {
        m_objects.push_back(nullptr);
        return &m_objects.back();
    }

private:
    std::deque<long> m_longs;
    std::deque<VARIANT> m_variants;  // hold no resources: never cleared
    std::deque<IDispatch*> m_objects;
};

// The members' own signatures give the library's types, except ManuMove2's rV (short).
TEST(ControlDispatchTable, MatchesTheContractWithTheOneShortParameter) {
    const CDispatchMap& map = CVorn_305qCtrl::DispatchMap();
    ASSERT_EQ(map.Count(), std::size(kContract));
    for (const ContractRow& row : kContract) {
        SCOPED_TRACE(Narrow(row.name));
        const DispatchEntry* entry = map.Find(ContractId(row));
        ASSERT_NE(entry, nullptr);
        EXPECT_STREQ(entry->name, row.name);
        std::vector<VARTYPE> expected = ContractTypes(row);
        if (expected[0] == VT_VOID) expected[0] = VT_EMPTY;
        if (ContractId(row) == kManuMove2) expected[3] = VT_I2;
        std::vector<VARTYPE> actual{entry->result};
        actual.insert(actual.end(), entry->params, entry->params + entry->paramCount);
        EXPECT_EQ(actual, expected);
    }
}

using ControlDispatchTest = ControlTest;

TEST_F(ControlDispatchTest, WrongCallsAreRefusedBeforeTheCard) {
    OpenCard();
    constexpr UINT kNone = 99;
    struct Row {
        const char* what;
        DISPID id;
        std::vector<VARIANT> args;  // published order
        HRESULT expected;
        UINT argErr = kNone;  // rgvarg index
        WORD flags = DISPATCH_METHOD;
        UINT named = 0;
        bool nullParams = false;
        const IID* riid = &IID_NULL;
    };
    std::vector<Row> rows = {
        {"unknown dispid", 50, {I2(0)}, DISP_E_MEMBERNOTFOUND},
        {"dispid 0", 0, {}, DISP_E_MEMBERNOTFOUND},
        {"interface",
         kRunState,
         {I2(0)},
         DISP_E_UNKNOWNINTERFACE,
         kNone,
         1,
         0,
         false,
         &IID_IUnknown},
        {"property put",
         kSetPosition,
         {I2(0), I4(5)},
         DISP_E_MEMBERNOTFOUND,
         kNone,
         DISPATCH_PROPERTYPUT},
        {"property putref",
         kSetPosition,
         {I2(0), I4(5)},
         DISP_E_MEMBERNOTFOUND,
         kNone,
         DISPATCH_PROPERTYPUTREF},
        {"no flags", kRunState, {I2(0)}, DISP_E_MEMBERNOTFOUND, kNone, 0},
        {"no parameters", kRunState, {}, E_INVALIDARG, kNone, 1, 0, true},
        {"named arguments", kSetPosition, {I2(0), I4(5)}, DISP_E_NONAMEDARGS, kNone, 1, 1},
        {"too few", kGetPosition, {}, DISP_E_BADPARAMCOUNT},
        {"too many", kGetPosition, {I2(0), I2(1)}, DISP_E_BADPARAMCOUNT},
        {"omitted", kSetPosition, {I2(0), Missing()}, DISP_E_PARAMNOTOPTIONAL, 0},
        {"ManuMove2 rV 40000", kManuMove2, {I2(0), I4(3000), I4(40000)}, DISP_E_OVERFLOW, 0},
        {"axis -32769", kSetPosition, {I4(-32769), I4(1)}, DISP_E_OVERFLOW, 1},
        {"long from 1e20",
         kStartTRMove,
         {I2(0), R8(1e20), I4(100), I4(1000), R4(0.1f)},
         DISP_E_OVERFLOW,
         3},
        {"text axis", kRunState, {Str(L"abc")}, DISP_E_TYPEMISMATCH, 0},
        {"NaN time",
         kStartTRMove,
         {I2(0), I4(1000), I4(100), I4(1000), R4(std::numeric_limits<float>::quiet_NaN())},
         DISP_E_TYPEMISMATCH,
         0},
        {"infinite time",
         kStartTRMove,
         {I2(0), I4(1000), I4(100), I4(1000), R8(std::numeric_limits<double>::infinity())},
         DISP_E_OVERFLOW,
         0},
        {"minus infinite time",
         kSVMove,
         {I2(0), I4(100), I4(1000), R4(-std::numeric_limits<float>::infinity()), R4(0.1f), I2(0)},
         DISP_E_OVERFLOW,
         2},
        {"null float",
         kStartTRMove,
         {I2(0), I4(1), I4(1), I4(1), Typed(VT_NULL)},
         DISP_E_TYPEMISMATCH,
         0},
        {"first failure wins",
         kStartTRMove,
         {Str(L"x"), I4(1), I4(1), I4(1), Str(L"fast")},
         DISP_E_TYPEMISMATCH,
         4},
    };
    for (Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<VARIANT> rgvarg(row.args.rbegin(), row.args.rend());
        DISPID named = 0;
        DISPPARAMS params = {rgvarg.empty() ? nullptr : rgvarg.data(), row.named ? &named : nullptr,
                             static_cast<UINT>(rgvarg.size()), row.named};
        VARIANT result;
        VariantInit(&result);
        UINT argErr = kNone;
        const long before = ChipAccesses();
        EXPECT_EQ(m_control->Invoke(row.id, *row.riid, 0, row.flags,
                                    row.nullParams ? nullptr : &params, &result, nullptr, &argErr),
                  row.expected);
        EXPECT_EQ(argErr, row.argErr);
        EXPECT_EQ(V_VT(&result), VT_EMPTY);
        EXPECT_EQ(ChipAccesses(), before) << "the chip was reached";
        EXPECT_TRUE(m_messages.empty()) << "the card was reached";
        for (VARIANT& v : rgvarg) VariantClear(&v);
    }
}

// Values that convert reach the card as the table's types; the card refuses what it must.
TEST_F(ControlDispatchTest, ConvertedValuesReachTheCard) {
    OpenCard();
    VARIANT axis = I2(1);
    EXPECT_EQ(Must(kSetPosition, Args{Ref(&axis), R8(2.5)}), 0);  // rounds to even
    EXPECT_EQ(Must(kGetPosition, Args{Str(L"1")}), 2);
    Must(kSetPosition, Args{Bool(true), I4(9)});  // axis -1
    EXPECT_EQ(m_messages, std::vector<std::string>(1, card_text::kBadParameter));

    // ManuMove2's rV within 16 bits passes; the card takes its bits unsigned.
    for (const long rV : {-1L, 1L}) {
        EXPECT_EQ(Must(kManuMove2, Args{I2(0), I4(3000), I4(rV)}), 0);
        int32_t pulse = 0;
        vornsim::WithChip(0, [&](SimChip& chip) { pulse = chip.Params(0).pulse; });
        EXPECT_EQ(pulse, rV & 0xFFFF);
    }
}

// Hostile references at every position: refused with their code and the position of the
// argument, before any conversion can follow them and before the card is reached.
TEST_F(ControlDispatchTest, HostileReferencesAreRefusedAtTheirPosition) {
    OpenCard();
    CRefChains refs;
    short storage = 3;
    struct Row {
        const char* what;
        VARIANT arg;
        HRESULT expected;
    };
    const Row rows[] = {
        {"null value reference", refs.Chain(0, 0, 1).top, DISP_E_TYPEMISMATCH},
        {"null variant reference", refs.Chain(1, 0, 1).top, DISP_E_TYPEMISMATCH},
        {"variant to null value reference", refs.Chain(1, 1, 1).top, DISP_E_TYPEMISMATCH},
        {"variant to variant to value", refs.Chain(2, -1, 1).top, DISP_E_BADVARTYPE},
        {"variant to variant to null", refs.Chain(2, 2, 1).top, DISP_E_BADVARTYPE},
        {"variant to null variant", refs.Chain(2, 1, 1).top, DISP_E_BADVARTYPE},
        {"three variants deep", refs.Chain(3, 3, 1).top, DISP_E_BADVARTYPE},
        {"reference to empty", RawRef(VT_EMPTY, &storage), DISP_E_BADVARTYPE},
        {"variant to reference to null", refs.To(RawRef(VT_NULL, &storage)), DISP_E_BADVARTYPE},
        {"variant by value", Typed(VT_VARIANT), DISP_E_BADVARTYPE},
        {"vector", Typed(VT_VECTOR | VT_I2), DISP_E_BADVARTYPE},
        {"null object reference", RawRef(VT_DISPATCH, nullptr), DISP_E_TYPEMISMATCH},
        {"reference to no object", refs.To(RawRef(VT_DISPATCH, refs.NullObject())),
         DISP_E_TYPEMISMATCH},
        {"no object", Typed(VT_UNKNOWN), DISP_E_TYPEMISMATCH},
        {"null array reference", RawRef(VT_ARRAY | VT_I2, nullptr), DISP_E_TYPEMISMATCH},
        {"record", Typed(VT_RECORD), DISP_E_TYPEMISMATCH},
        {"variant to omitted", refs.To(Missing()), DISP_E_PARAMNOTOPTIONAL},
    };
    // StartTRMove takes short, long, long, long, float: every kind of slot.
    constexpr UINT kParams = 5;
    for (const Row& row : rows) {
        for (UINT p = 0; p < kParams; ++p) {
            SCOPED_TRACE(std::string(row.what) + " as parameter " + std::to_string(p));
            VARIANT published[kParams] = {I2(0), I4(1000), I4(100), I4(1000), R4(0.1f)};
            published[p] = row.arg;
            std::vector<VARIANT> rgvarg(std::rbegin(published), std::rend(published));
            DISPPARAMS params = {rgvarg.data(), nullptr, kParams, 0};
            VARIANT result;
            VariantInit(&result);
            UINT argErr = 99;
            const long before = ChipAccesses();
            EXPECT_EQ(m_control->Invoke(kStartTRMove, IID_NULL, 0, DISPATCH_METHOD, &params,
                                        &result, nullptr, &argErr),
                      row.expected);
            EXPECT_EQ(argErr, kParams - 1 - p);
            EXPECT_EQ(V_VT(&result), VT_EMPTY);
            EXPECT_EQ(ChipAccesses(), before) << "the chip was reached";
            EXPECT_TRUE(m_messages.empty()) << "the card was reached";
        }
    }
    EXPECT_EQ(storage, 3) << "a refused reference was written through";

    // The references automation allows carry their value to the card.
    for (const int links : {0, 1}) {
        const long value = links == 0 ? 41 : -42;
        const CRefChains::Built data = refs.Chain(links, -1, value);
        ASSERT_EQ(data.expected, S_OK);
        short axis = 2;
        Must(kSetPosition, Args{refs.To(RawRef(VT_I2, &axis)), data.top});
        EXPECT_EQ(Must(kGetPosition, Args{I2(2)}), value);
    }
    EXPECT_TRUE(m_messages.empty());
}

// Many random calls, mostly malformed: none may crash, leak, or reach the chip or the card
// when the dispatch layer refuses it.
TEST_F(ControlDispatchTest, RandomCallsNeverReachTheChipWhenRefused) {
    OpenCard();
    std::mt19937 rng(0x305C);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const wchar_t* const texts[] = {L"12", L"abc", L"", L"1e10", L"-5", L"0x10", L"3.5"};
    const VARTYPE odd[] = {VT_EMPTY, VT_NULL, VT_DISPATCH, VT_UNKNOWN, VT_DATE, VT_UI1};
    auto value = [&](std::deque<VARIANT>& targets, bool allowRef, auto& self) -> VARIANT {
        switch (pick(0, allowRef ? 9 : 8)) {
            case 0:
                return I2(static_cast<short>(pick(-32768, 32767)));
            case 1:
                return I4(pick(-5, 5));
            case 2:
                return I4(static_cast<long>(rng()));
            case 3:
                return R4(std::uniform_real_distribution<float>(-1e6f, 1e6f)(rng));
            case 4:
                return R4(pick(0, 1) ? std::nanf("") : -std::numeric_limits<float>::infinity());
            case 5:
                return R8(std::uniform_real_distribution<double>(-1e12, 1e12)(rng));
            case 6:
                return Str(texts[pick(0, 6)]);
            case 7:
                return Missing();
            case 8:
                return Typed(odd[pick(0, 5)]);  // zero value: null pointers, date 0
            default:
                targets.push_back(self(targets, false, self));
                return Ref(&targets.back());
        }
    };
    const WORD flagChoices[] = {DISPATCH_METHOD, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT, 0};
    int refused = 0;
    for (int i = 0; i < 4000; ++i) {
        std::deque<VARIANT> targets;
        std::vector<VARIANT> rgvarg(static_cast<size_t>(pick(0, 11)));
        CRefChains refs;
        std::vector<HRESULT> owed(rgvarg.size(), S_OK);  // what a hostile argument earns
        for (size_t a = 0; a < rgvarg.size(); ++a) {
            if (pick(0, 7) == 0) {
                const int links = pick(0, 3);
                const CRefChains::Built chain = refs.Chain(links, pick(-1, links), pick(-5, 5));
                rgvarg[a] = chain.top;
                owed[a] = chain.expected;
            } else {
                rgvarg[a] = value(targets, true, value);
            }
        }
        const bool hostile =
            std::any_of(owed.begin(), owed.end(), [](HRESULT h) { return h != S_OK; });
        DISPID named = 0;
        const bool withNamed = pick(0, 15) == 0;
        DISPPARAMS params = {rgvarg.empty() ? nullptr : rgvarg.data(), withNamed ? &named : nullptr,
                             static_cast<UINT>(rgvarg.size()), withNamed ? 1u : 0u};
        const DISPID id = pick(-3, 52);
        VARIANT result;
        VariantInit(&result);
        UINT argErr = 1000;
        const long chipBefore = ChipAccesses();
        const size_t messagesBefore = m_messages.size();
        const HRESULT hr = m_control->Invoke(id, IID_NULL, 0, flagChoices[pick(0, 4)], &params,
                                             pick(0, 1) ? &result : nullptr, nullptr, &argErr);
        if (FAILED(hr)) {
            ++refused;
            ASSERT_EQ(ChipAccesses(), chipBefore) << "call " << i << " dispid " << id;
            ASSERT_EQ(m_messages.size(), messagesBefore) << "call " << i;
            ASSERT_TRUE(argErr == 1000 || argErr < rgvarg.size()) << "call " << i;
            if (argErr < rgvarg.size() && owed[argErr] != S_OK) {
                ASSERT_EQ(hr, owed[argErr]) << "call " << i << " argument " << argErr;
            }
        } else {
            ASSERT_FALSE(hostile) << "call " << i << " dispid " << id;
        }
        VariantClear(&result);
        for (VARIANT& v : rgvarg) VariantClear(&v);
        for (VARIANT& v : targets) VariantClear(&v);
    }
    EXPECT_GT(refused, 3000);  // the mix is mostly malformed
    EXPECT_LT(refused, 4000);  // and some calls get through
}

}  // namespace
