#include "groups/managed_groups.h"

namespace varnel {

std::vector<std::string> ManagedGroups::names() {
    std::vector<std::string> names;
    for (const auto& [name, places] : policy_.last().groups) names.push_back(name);
    return names;
}

std::optional<PlaceSet> ManagedGroups::places(const std::string& name) {
    for (const auto& [managed, places] : policy_.last().groups)
        if (managed == name) return places;
    return std::nullopt;
}

}  // namespace varnel
