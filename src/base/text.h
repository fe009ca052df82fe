#pragma once
// Small text helpers with the classic runtime's meaning (Trim removes blanks
// only, Replace is exact and case-sensitive).

#include <string>
#include <string_view>

namespace varnel {

std::string trimBlanks(std::string_view s);
std::string replaceAll(std::string_view s, std::string_view what, std::string_view with);
std::string removeAll(std::string_view s, char c);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
int compareIgnoreCase(std::string_view a, std::string_view b);
std::string toLowerAscii(std::string_view s);

// Number of characters of a UTF-8 text, and its tail after the first n characters.
size_t utf8Length(std::string_view s);
std::string utf8Skip(std::string_view s, size_t characters);

}  // namespace varnel
