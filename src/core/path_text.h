#pragma once
// File paths to and from the system's texts, which are UTF-8 everywhere. The
// standard library's narrow path conversions use the ANSI code page on
// Windows, which would garble a folder such as C:\Users\Åsa.

#include <filesystem>
#include <string>
#include <string_view>

namespace varnel {

std::filesystem::path pathFromText(std::string_view utf8);
std::string pathText(const std::filesystem::path& path);

}  // namespace varnel
