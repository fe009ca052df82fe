#pragma once

#include <string>

namespace varnel {

// The short caption of a place: the tray's Folders submenu and the Office
// place name. A place of fewer than 4 characters is its own caption;
// otherwise the text after its last separator (searched from the second
// character on), with a separator appended when that text is a number.
std::string placeDisplayName(const std::string& place);

}  // namespace varnel
