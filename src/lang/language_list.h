#pragma once
// The list of language files the tray's language submenu offers.

#include <string>
#include <vector>

namespace varnel {

// The languages to offer: every plain file of the Language folder, with
// ".lang" removed, in listing order.
std::vector<std::string> checkForLanguageFiles();

}  // namespace varnel
