#include "update/version_order.h"

namespace varnel {

bool versionComesBefore(std::string_view installed, std::string_view offered) {
    // char_traits<char> compares as unsigned char: an ordinal comparison.
    return installed.compare(offered) < 0;
}

}  // namespace varnel
