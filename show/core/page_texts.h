// Texts the pages compose from numbers.
#pragma once

#include <cstdint>
#include <string>

std::wstring ConfigPageTitle(int card, int axis);
std::wstring OneAxisPageTitle(int card, int axis);
// The two-axis page names its own main and slave axes, not the view's axis.
std::wstring TwoAxisPageTitle(int card, int mainAxis, int slaveAxis);

// "%d": an integer field's text, also the refill of an emptied integer edit.
std::wstring IntegerText(int64_t value);
// "%.2f": the one-axis page's refill of an emptied time edit (0.5 gives "0.50").
std::wstring OneAxisTimeRefillText(float value);
// "%f": a panel's refill of its emptied acceleration-time edit (0.1 gives "0.100000").
std::wstring PanelTimeRefillText(double value);
