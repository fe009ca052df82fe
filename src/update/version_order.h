#pragma once
// Versions of installed files are texts compared character by character
// ("10" comes before "9"); they are never read as numbers.

#include <string_view>

namespace varnel {

// True when `installed` comes before `offered`: the offered file is newer.
bool versionComesBefore(std::string_view installed, std::string_view offered);

}  // namespace varnel
