// The data exchange of a page's field table, row by row in the table's order.
#pragma once

#include <variant>

#include "dialog.h"
#include "page_fields.h"

inline void DDX_Field(CDataExchange* pDX, int id, EFieldControl control, int& value) {
    switch (control) {
        case EFieldControl::Radio:
            DDX_Radio(pDX, id, value);
            break;
        case EFieldControl::Check:
            DDX_Check(pDX, id, value);
            break;
        case EFieldControl::ComboIndex:
            DDX_CBIndex(pDX, id, value);
            break;
        case EFieldControl::Edit:
            DDX_Text(pDX, id, value);
            break;
    }
}

inline void DDX_Field(CDataExchange* pDX, int id, EFieldControl /*edit*/, float& value) {
    DDX_Text(pDX, id, value);
}

inline void DDX_Field(CDataExchange* pDX, int id, EFieldControl /*edit*/, double& value) {
    DDX_Text(pDX, id, value);
}

template <class TValues, size_t N>
void DDX_Fields(CDataExchange* pDX, const PageField<TValues> (&table)[N], TValues& values) {
    for (const PageField<TValues>& field : table) {
        std::visit([&](auto member) { DDX_Field(pDX, field.id, field.control, values.*member); },
                   field.member);
    }
}
