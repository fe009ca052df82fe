#include "policy/policy_registry.h"

#include <algorithm>

#include "base/text.h"
#include "core/registry.h"
#include "core/runtime_error.h"

namespace varnel {

namespace {

const char* hiveName(HKey root) { return root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER"; }

void problem(Policy& policy, HKey root, const std::string& path, const std::string& name, const std::string& why) {
    policy.problems.push_back({err::InvalidCall, std::string(hiveName(root)) + "\\" + path + " " + name + ": " + why});
}

// One hive's policy over what `policy` holds so far: its settings and groups win.
void readHive(Policy& policy, HKey root) {
    const std::vector<std::string>& known = policySettingNames();
    for (const NamedValue& value : listValues(root, kPolicyKey)) {
        const std::string name = toLowerAscii(value.name);
        if (std::find(known.begin(), known.end(), name) == known.end()) continue;  // not ours to judge
        if (!value.value) problem(policy, root, kPolicyKey, value.name, "not a text or a number");
        else policy.settings[name] = trimBlanks(regText(*value.value));
    }
    const std::string groupsPath = std::string(kPolicyKey) + "\\Groups";
    for (const NamedValue& value : listValues(root, groupsPath)) {
        PlaceSet places;
        if (!policyGroupNameUsable(value.name)) {
            problem(policy, root, groupsPath, value.name, "a group cannot be named so");
            continue;
        }
        const std::string* text = value.value ? std::get_if<std::string>(&*value.value) : nullptr;
        if (!text || !splitPolicyPlaces(*text, places)) {
            problem(policy, root, groupsPath, value.name, "not five folders separated by |");
            continue;
        }
        auto same = std::find_if(policy.groups.begin(), policy.groups.end(),
                                 [&](const auto& group) { return group.first == value.name; });
        if (same != policy.groups.end()) same->second = places;
        else policy.groups.emplace_back(value.name, places);
    }
}

}  // namespace

Policy readPolicyFromRegistry() {
    Policy policy;
    readHive(policy, HKEY_CURRENT_USER);
    readHive(policy, HKEY_LOCAL_MACHINE);
    return policy;
}

}  // namespace varnel
