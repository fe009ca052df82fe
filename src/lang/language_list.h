#pragma once
// The list of language files and the tray's language submenu.

#include <string>
#include <vector>

namespace varnel {

// The language names found by the last listing, in listing order.
extern std::vector<std::string> LanguageNames;

// Lists every plain file of the Language folder, offers each (with ".lang"
// removed) as an item of the tray's `Sublang` array, greys the current
// language's item and hides the placeholder.
void checkForLanguageFiles();

}  // namespace varnel
