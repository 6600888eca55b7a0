// Texts the pages compose from numbers.
#pragma once

#include <cstdint>
#include <string>

std::wstring ConfigPageTitle(int card, int axis);
std::wstring OneAxisPageTitle(int card, int axis);
// The two-axis page names its own main and slave axes, not the view's axis.
std::wstring TwoAxisPageTitle(int card, int mainAxis, int slaveAxis);

// "%d": an integer field's text.
std::wstring IntegerText(int64_t value);
