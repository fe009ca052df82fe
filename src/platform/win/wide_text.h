#pragma once
// UTF-8, the system's own text, to and from the UTF-16 of Windows' wide
// functions: every text crosses the Windows API through these.

#include <string>
#include <string_view>

namespace varnel::platform {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace varnel::platform
