#pragma once
// Files a person may have saved in Windows' Western code page (Notepad's
// "ANSI") rather than UTF-8, such as an edited language file.

#include <string>
#include <string_view>

namespace varnel {

bool isValidUtf8(std::string_view text);

// The text itself when it is valid UTF-8, otherwise read as Windows-1252.
std::string utf8FromUtf8OrWindows1252(std::string text);

}  // namespace varnel
