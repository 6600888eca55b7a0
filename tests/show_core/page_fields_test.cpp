// The pages' field tables without windows: what an emptied edit is refilled with, which
// edits are refilled at all, and what a page writes back into its record (one field for a
// left edit, every setting but the card and axis for a whole page).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "page_fields.h"

namespace {

// The records are made of 4-byte fields only: the places of the words that differ.
template <class T>
std::vector<size_t> ChangedFields(const T& before, const T& after) {
    static_assert(sizeof(T) % 4 == 0, "4-byte fields");
    std::vector<size_t> changed;
    for (size_t i = 0; i < sizeof(T) / 4; ++i) {
        uint32_t a = 0;
        uint32_t b = 0;
        std::memcpy(&a, reinterpret_cast<const char*>(&before) + i * 4, 4);
        std::memcpy(&b, reinterpret_cast<const char*>(&after) + i * 4, 4);
        if (a != b) changed.push_back(i);
    }
    return changed;
}

// Every field of the record different from its default and from the others.
MotionParams DistinctMotion() {
    MotionParams v = MakeMotionParams(7, 3);
    v.nMotionType = 9;
    v.nPosition = -12345;
    v.nTolerance = 6;
    v.nRunSpeed = 7000;
    v.nStartSpeed = 300;
    v.nDistance = -2147483647;
    v.fSAccTime = 0.25f;
    v.fSDecTime = 0.75f;
    v.fTAccTime = 1.5f;
    v.fTDecTime = 3.0f;
    v.nDirection = 1;
    return v;
}

AxisConfig DistinctConfig() {
    int32_t fields[kAxisConfigFields] = {7, 3};
    for (size_t i = 2; i < kAxisConfigFields; ++i) fields[i] = static_cast<int32_t>(100 + i);
    AxisConfig c{};
    std::memcpy(&c, fields, sizeof c);
    return c;
}

TEST(PageFieldsTest, EmptiedEditsGetTheirOwnValueBackInTheirPagesForm) {
    const MotionParams m = DistinctMotion();
    // The one-axis times with two decimals, whatever the exchange shows ("1.5").
    EXPECT_EQ(RefillText(kOneAxisFields, m, 1062), L"1.50");  // T acceleration
    EXPECT_EQ(RefillText(kOneAxisFields, m, 1067), L"3.00");  // T deceleration
    EXPECT_EQ(RefillText(kOneAxisFields, m, 1063), L"0.25");  // S acceleration
    EXPECT_EQ(RefillText(kOneAxisFields, m, 1064), L"0.75");  // S deceleration
    EXPECT_EQ(RefillText(kOneAxisFields, m, 1096), L"-12345");
    EXPECT_EQ(RefillText(kOneAxisFields, m, 1058), L"6");
    EXPECT_EQ(RefillText(kOneAxisFields, m, 1059), L"300");
    EXPECT_EQ(RefillText(kOneAxisFields, m, 1060), L"7000");
    EXPECT_EQ(RefillText(kOneAxisFields, m, 1061), L"-2147483647");
    // The radio groups, the start button and an unknown id are not edits to refill.
    for (const int id : {1042, 1055, 1065, 0}) {
        EXPECT_EQ(RefillText(kOneAxisFields, m, id), std::nullopt) << id;
    }

    // The panels' acceleration time in full six decimals.
    const LinearPanelValues linear;
    EXPECT_EQ(RefillText(kLinearFields, linear, 1135), L"0.100000");
    LinearPanelValues l;
    l.nStartSpeed = 1;
    l.nMaxSpeed = 2;
    l.nTargetX = -3;
    l.nTargetY = 4;
    l.dAccTime = 2.5;
    EXPECT_EQ(RefillText(kLinearFields, l, 1059), L"1");
    EXPECT_EQ(RefillText(kLinearFields, l, 1060), L"2");
    EXPECT_EQ(RefillText(kLinearFields, l, 1143), L"-3");
    EXPECT_EQ(RefillText(kLinearFields, l, 1144), L"4");
    EXPECT_EQ(RefillText(kLinearFields, l, 1135), L"2.500000");
    l.dAccTime = 1e300;  // pasted in: all of its 301 digits come back
    EXPECT_EQ(RefillText(kLinearFields, l, 1135), std::to_wstring(1e300));

    CirclePanelValues c;
    c.nStartSpeed = 1;
    c.nMaxSpeed = 2;
    c.nCenterX = -3;
    c.nCenterY = 4;
    c.dAccTime = 0.125;
    EXPECT_EQ(RefillText(kCircleFields, c, 1059), L"1");
    EXPECT_EQ(RefillText(kCircleFields, c, 1060), L"2");
    EXPECT_EQ(RefillText(kCircleFields, c, 1143), L"-3");
    EXPECT_EQ(RefillText(kCircleFields, c, 1144), L"4");
    EXPECT_EQ(RefillText(kCircleFields, c, 1135), L"0.125000");
    // The end point has no focus-loss handling: an emptied one stays empty.
    for (const int id : {1148, 1150, 1095}) {
        EXPECT_EQ(RefillText(kCircleFields, c, id), std::nullopt) << id;
    }
}

TEST(PageFieldsTest, EachOneAxisFieldIsStoredIntoAFieldOfItsOwn) {
    const MotionParams values = DistinctMotion();
    const MotionParams fresh = MakeMotionParams(0, 0);
    std::set<size_t> stored;
    for (const PageField<MotionParams>& field : kOneAxisFields) {
        MotionParams record = fresh;
        CopyField(field, values, record);
        const std::vector<size_t> changed = ChangedFields(fresh, record);
        ASSERT_EQ(changed.size(), 1u) << field.id;
        // Card and axis (the first two fields) are the record's own.
        EXPECT_GE(changed[0], 2u) << field.id;
        EXPECT_TRUE(stored.insert(changed[0]).second) << field.id << " stores a field again";
    }
    // Together the page's values are the whole record but its card and axis.
    MotionParams record = fresh;
    CopyFields(kOneAxisFields, values, record);
    EXPECT_EQ(ChangedFields(values, record), (std::vector<size_t>{0, 1}));
    EXPECT_EQ(stored.size(), sizeof(MotionParams) / 4 - 2);
}

TEST(PageFieldsTest, TheConfigurationPageLoadsAndStoresEverySettingButCardAndAxis) {
    const AxisConfig record = DistinctConfig();
    AxisConfig page = MakeAxisConfig(0, 0);
    CopyFields(kConfigFields, record, page);
    EXPECT_EQ(ChangedFields(record, page), (std::vector<size_t>{0, 1}));

    AxisConfig stored = MakeAxisConfig(7, 3);
    CopyFields(kConfigFields, page, stored);
    EXPECT_TRUE(ChangedFields(record, stored).empty());
}

}  // namespace
