#include "policy/policy.h"

#include <charconv>

#include "base/text.h"

namespace varnel {

namespace {

std::string settingOf(const Policy& policy, const char* name) {
    const auto found = policy.settings.find(name);
    return found == policy.settings.end() ? std::string() : found->second;
}

// A setting that reads entirely as a whole number; none otherwise.
bool numberOf(const Policy& policy, const char* name, long long& number) {
    const std::string text = settingOf(policy, name);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string Policy::activeGroup() const { return settingOf(*this, "activegroup"); }

bool Policy::allowsOwnGroups() const {
    long long number = 1;
    return !numberOf(*this, "allowowngroups", number) || number != 0;
}

bool Policy::disablesOnlineUpdate() const {
    long long number = 0;
    return numberOf(*this, "disableonlineupdate", number) && number != 0;
}

std::string Policy::updateServer() const { return settingOf(*this, "updateserver"); }

const std::vector<std::string>& policySettingNames() {
    static const std::vector<std::string> names = {"activegroup", "allowowngroups", "disableonlineupdate",
                                                   "updateserver"};
    return names;
}

bool splitPolicyPlaces(const std::string& value, PlaceSet& places) {
    places = {};
    size_t slot = 0, at = 0;
    for (;;) {
        const size_t bar = value.find('|', at);
        places[slot] = trimBlanks(value.substr(at, bar == std::string::npos ? std::string::npos : bar - at));
        if (bar == std::string::npos) return true;
        if (++slot == places.size()) return false;
        at = bar + 1;
    }
}

bool policyGroupNameUsable(const std::string& name) {
    return !name.empty() && name.find_first_of("=|") == std::string::npos;
}

}  // namespace varnel
