#include "targets/place_name.h"

#include "base/text.h"
#include "core/numeric.h"
#include "platform/platform.h"

namespace varnel {

std::string placeDisplayName(const std::string& place) {
    if (utf8Length(place) < 4) return place;
    const char sep = platform::placeSeparator();
    // Separators are searched from the second character on; with none found
    // the caption is everything after the first character.
    std::string name = utf8Skip(place, 1);
    size_t last = place.find_last_of(sep);
    size_t firstCharEnd = place.size() - name.size();
    if (last != std::string::npos && last >= firstCharEnd) name = place.substr(last + 1);
    if (isNumeric(name)) name.push_back(sep);
    return name;
}

}  // namespace varnel
