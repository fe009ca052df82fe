#pragma once
// "Reads entirely as a number": the test that decides whether a setting is
// stored as REG_DWORD, whether an Office sub-key is a version and whether a
// place caption gets a trailing separator.

#include <cstdint>
#include <optional>
#include <string_view>

namespace varnel {

// Blanks around the number are allowed; a sign, digits with an optional
// decimal point, an optional exponent (E or D), or a hexadecimal (&H) or
// octal (&O) literal. An empty or blank text is not a number.
bool isNumeric(std::string_view text);

// The number a numeric text reads as, nothing when it is not numeric.
std::optional<double> parseNumber(std::string_view text);

// Rounds to the nearest 32-bit integer, halves to the even neighbour;
// raises Overflow (6) when the result does not fit.
std::int32_t toInt32(double value);

}  // namespace varnel
