#pragma once
// The list of language files and the tray's language submenu.

#include <string>
#include <vector>

namespace varnel {

// Lists every plain file of the Language folder, offers each (with ".lang"
// removed) as an item of the tray's language submenu, greys the current
// language's item and hides the placeholder. Returns the names offered, in
// listing order.
std::vector<std::string> checkForLanguageFiles();

}  // namespace varnel
