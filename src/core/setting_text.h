#pragma once
// The program's own settings ("CurrentGroup", "Language") as exact text.

#include <string>

namespace varnel {

// Writes the value as REG_SZ exactly as given. These values name a group or
// a language file, so "007", " Home" or "1e3" must come back unchanged; the
// number rule of setValue stays with the Places Bar values.
void writeSettingText(const std::string& valueName, const std::string& text);

// The value as text; an old numeric "CurrentGroup" reads as its decimal digits.
std::string readSettingText(const std::string& valueName);

}  // namespace varnel
