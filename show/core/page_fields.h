// The fields of each page and panel, one table each, in exchange order: the control, how the
// exchange reads it, the member of the page's values it holds (for the configuration and
// one-axis pages the values are a record, so the member is also the record's field) and the
// text an emptied edit gets back. The exchange, the refill and the write-back to a record all
// go through the table. Its order matters: a value the exchange refuses stops it there, so
// that field and the ones after it keep their old values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

#include "axis_records.h"
#include "panel_calls.h"

enum class EFieldControl {
    Radio,       // a radio group from its first button: the checked button's place, -1 none
    Check,       // a check box's state
    ComboIndex,  // a drop-down list's selection index
    Edit,        // an edit's text read as a number of the member's type
};

template <class TValues>
struct PageField {
    int id;
    EFieldControl control;
    std::variant<int32_t TValues::*, float TValues::*, double TValues::*> member;
    // The printf format of an emptied edit's refill when focus leaves it; null where the
    // control has no focus-loss handling.
    const wchar_t* refill;
};

constexpr size_t kConfigFieldCount = 18;
constexpr size_t kOneAxisFieldCount = 11;
constexpr size_t kLinearFieldCount = 5;
constexpr size_t kCircleFieldCount = 8;

// Every setting of the record but its card and axis.
extern const PageField<AxisConfig> kConfigFields[kConfigFieldCount];
// Every value of the record but its card and axis.
extern const PageField<MotionParams> kOneAxisFields[kOneAxisFieldCount];
extern const PageField<LinearPanelValues> kLinearFields[kLinearFieldCount];
extern const PageField<CirclePanelValues> kCircleFields[kCircleFieldCount];

// The row of a control, or null.
template <class TValues, size_t N>
const PageField<TValues>* FieldOfControl(const PageField<TValues> (&table)[N], int id) {
    for (const PageField<TValues>& field : table) {
        if (field.id == id) return &field;
    }
    return nullptr;
}

std::wstring FormatRefill(const wchar_t* format, int32_t value);
std::wstring FormatRefill(const wchar_t* format, double value);

// What an emptied edit of control id is refilled with from values; nothing for a control
// without focus-loss handling.
template <class TValues, size_t N>
std::optional<std::wstring> RefillText(const PageField<TValues> (&table)[N], const TValues& values,
                                       int id) {
    const PageField<TValues>* const field = FieldOfControl(table, id);
    if (field == nullptr || field->refill == nullptr) return std::nullopt;
    return std::visit(
        [&](auto member) {
            if constexpr (std::is_same_v<std::decay_t<decltype(values.*member)>, int32_t>) {
                return FormatRefill(field->refill, values.*member);
            } else {
                return FormatRefill(field->refill, static_cast<double>(values.*member));
            }
        },
        field->member);
}

template <class TValues>
void CopyField(const PageField<TValues>& field, const TValues& from, TValues& to) {
    std::visit([&](auto member) { to.*member = from.*member; }, field.member);
}

template <class TValues, size_t N>
void CopyFields(const PageField<TValues> (&table)[N], const TValues& from, TValues& to) {
    for (const PageField<TValues>& field : table) CopyField(field, from, to);
}
