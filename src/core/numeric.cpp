#include "core/numeric.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "core/runtime_error.h"

namespace varnel {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<double> parseRadix(std::string_view body, int radix) {
    if (body.empty() || body.size() > 16) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : body) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        if (d >= radix) return std::nullopt;
        value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(d);
    }
    // Literals of up to 32 bits are signed 32-bit values, as the runtime reads them.
    if (value <= 0xFFFFFFFFull) return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
    return static_cast<double>(value);
}

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string_view::npos) return std::nullopt;
    size_t e = text.find_last_not_of(' ');
    std::string_view s = text.substr(b, e - b + 1);

    if (s.size() >= 2 && s[0] == '&') {
        char kind = s[1];
        if (kind == 'H' || kind == 'h') return parseRadix(s.substr(2), 16);
        if (kind == 'O' || kind == 'o') return parseRadix(s.substr(2), 8);
        return std::nullopt;
    }

    size_t i = 0;
    std::string normalised;
    if (s[i] == '+' || s[i] == '-') normalised.push_back(s[i++]);
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) { normalised.push_back(s[i++]); ++digits; }
    if (i < s.size() && s[i] == '.') {
        normalised.push_back(s[i++]);
        while (i < s.size() && isDigit(s[i])) { normalised.push_back(s[i++]); ++digits; }
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        normalised.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) normalised.push_back(s[i++]);
        size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i])) { normalised.push_back(s[i++]); ++expDigits; }
        if (expDigits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    double value = std::strtod(normalised.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

bool isNumeric(std::string_view text) { return parseNumber(text).has_value(); }

std::int32_t toInt32(double value) {
    double rounded = std::nearbyint(value);  // the default rounding mode rounds halves to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) raiseError(err::Overflow);
    return static_cast<std::int32_t>(rounded);
}

}  // namespace varnel
