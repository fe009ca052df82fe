#include "groups/managed_groups.h"

namespace varnel {

const Policy& ManagedGroups::current() {
    std::optional<PolicyText> now = readPolicyFile();
    if (now != read_) {
        policy_ = now ? parsePolicy(*now) : Policy{};
        read_ = std::move(now);
    }
    return policy_;
}

std::vector<std::string> ManagedGroups::names() {
    std::vector<std::string> names;
    for (const auto& [name, places] : current().groups) names.push_back(name);
    return names;
}

std::optional<PlaceSet> ManagedGroups::places(const std::string& name) {
    for (const auto& [managed, places] : current().groups)
        if (managed == name) return places;
    return std::nullopt;
}

}  // namespace varnel
