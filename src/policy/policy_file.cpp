#include "policy/policy_file.h"

#include <algorithm>
#include <system_error>

#include "base/text.h"
#include "core/file_bytes.h"
#include "core/path_text.h"
#include "core/runtime_error.h"
#include "platform/platform.h"

namespace varnel {

namespace {

// One problem of the file, for the error log.
void problem(Policy& policy, const std::string& file, size_t number, const std::string& why) {
    policy.problems.push_back({err::InvalidCall, file + " line " + std::to_string(number) + ": " + why});
}

}  // namespace

Policy parsePolicy(std::string_view text, const std::string& file) {
    Policy policy;
    enum class Section { None, Policy, Groups, Other } section = Section::None;
    size_t number = 0;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(at, end - at));
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = trimBlanks(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            const std::string name = line.back() == ']' ? toLowerAscii(trimBlanks(line.substr(1, line.size() - 2))) : "";
            section = name == "policy" ? Section::Policy : name == "groups" ? Section::Groups : Section::Other;
            if (section == Section::Other) problem(policy, file, number, "unknown section " + line);
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            problem(policy, file, number, "no \"=\" in " + line);
            continue;
        }
        const std::string name = trimBlanks(line.substr(0, equals));
        const std::string value = trimBlanks(line.substr(equals + 1));
        if (section == Section::Policy) {
            const std::vector<std::string>& known = policySettingNames();
            if (std::find(known.begin(), known.end(), toLowerAscii(name)) == known.end())
                problem(policy, file, number, "unknown setting " + name);
            else
                policy.settings[toLowerAscii(name)] = value;
        } else if (section == Section::Groups) {
            PlaceSet places;
            const bool taken = std::any_of(policy.groups.begin(), policy.groups.end(),
                                           [&](const auto& group) { return group.first == name; });
            if (!policyGroupNameUsable(name))
                problem(policy, file, number, "a group cannot be named " + name);
            else if (!splitPolicyPlaces(value, places))
                problem(policy, file, number, "more than five folders for " + name);
            else if (taken)
                problem(policy, file, number, "the group " + name + " twice");
            else
                policy.groups.emplace_back(name, places);
        } else if (section == Section::None) {
            problem(policy, file, number, "a line before any section");
        }
    }
    return policy;
}

Policy parsePolicy(const PolicyText& read) {
    if (read.readable) return parsePolicy(read.text, read.file);
    Policy none;
    none.problems.push_back({err::PathFileAccess, "Path/File access error: " + read.file});
    return none;
}

std::optional<PolicyText> readPolicyFile() {
    for (const std::filesystem::path& file : platform::policyFiles()) {
        std::error_code error;
        if (!std::filesystem::exists(file, error)) continue;
        const std::string name = pathText(file);
        const std::optional<std::string> text = readFileBytes(file);
        return PolicyText{name, text.value_or(std::string()), text.has_value()};
    }
    return std::nullopt;
}

}  // namespace varnel
