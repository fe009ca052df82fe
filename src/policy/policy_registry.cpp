#include "policy/policy_registry.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "core/registry.h"
#include "core/runtime_error.h"

namespace varnel {

namespace {

using platform::RegistryBackend;
namespace regtype = platform::regtype;

struct Value {
    std::string name, text;
    bool usable = false;  // a text or a number
};

// Every value of root\path as text (a REG_DWORD in decimal); none when the key is not there.
std::vector<Value> valuesOf(HKey root, const std::string& path) {
    RegistryBackend& registry = registryBackend();
    HKey key = 0;
    std::vector<Value> values;
    if (registry.openKey(root, path, &key) != platform::regerr::Success) return values;
    for (std::uint32_t index = 0;; ++index) {
        Value value;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        if (registry.enumValue(key, index, &value.name, &type, &data) != platform::regerr::Success) break;
        if (type == regtype::Sz || type == regtype::ExpandSz) {
            value.text.assign(data.begin(), data.end());
            value.text.erase(std::find(value.text.begin(), value.text.end(), '\0'), value.text.end());
            value.usable = true;
        } else if (type == regtype::Dword && data.size() == 4) {
            std::uint32_t number = 0;
            std::memcpy(&number, data.data(), 4);
            value.text = std::to_string(number);
            value.usable = true;
        }
        values.push_back(std::move(value));
    }
    registry.closeKey(key);
    return values;
}

const char* hiveName(HKey root) { return root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER"; }

void problem(Policy& policy, HKey root, const std::string& path, const std::string& name, const std::string& why) {
    policy.problems.push_back({err::InvalidCall, std::string(hiveName(root)) + "\\" + path + " " + name + ": " + why});
}

// One hive's policy over what `policy` holds so far: its settings and groups win.
void readHive(Policy& policy, HKey root) {
    const std::vector<std::string>& known = policySettingNames();
    for (const Value& value : valuesOf(root, kPolicyKey)) {
        const std::string name = toLowerAscii(value.name);
        if (std::find(known.begin(), known.end(), name) == known.end()) continue;  // not ours to judge
        if (!value.usable) problem(policy, root, kPolicyKey, value.name, "not a text or a number");
        else policy.settings[name] = trimBlanks(value.text);
    }
    const std::string groupsPath = std::string(kPolicyKey) + "\\Groups";
    for (const Value& value : valuesOf(root, groupsPath)) {
        PlaceSet places;
        if (!policyGroupNameUsable(value.name)) {
            problem(policy, root, groupsPath, value.name, "a group cannot be named so");
            continue;
        }
        if (!value.usable || !splitPolicyPlaces(value.text, places)) {
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
