// Strict readers of the numbers typed into edit fields. The whole text must be the
// number (blanks and tabs around it allowed); on refusal the output is untouched.
#pragma once

#include <string>

// Optional sign and at least one decimal digit; the value must fit 32 bits.
bool ParseStrictInt(const std::wstring& text, int& value);
// Optional sign, digits with at most one point and at least one digit, optional
// exponent; finite. No "nan", "inf" or hexadecimal forms.
bool ParseStrictDouble(const std::wstring& text, double& value);
// As ParseStrictDouble, and within the range of a float.
bool ParseStrictFloat(const std::wstring& text, float& value);
