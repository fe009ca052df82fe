#pragma once
// The organisation's policy as a file (Linux: Varnel/policy.conf along
// $XDG_CONFIG_DIRS): a [Policy] section of settings and a [Groups] section
// of managed groups, "name=value" a line.

#include <optional>
#include <string>
#include <string_view>

#include "policy/policy.h"

namespace varnel {

// Reads the text of the policy file `file`. A line that makes no sense
// gives one problem naming the file and the line number; the rest of the
// file is used.
Policy parsePolicy(std::string_view text, const std::string& file);

// The first file along the platform's policy folders that is there, and its
// text; none when there is no such file (or the platform keeps its policy in
// the registry).
struct PolicyText {
    std::string file, text;
    bool readable = true;  // false: the file is there but could not be read
    bool operator==(const PolicyText&) const = default;
};

// The policy of that text; an unreadable file gives none and one problem.
Policy parsePolicy(const PolicyText& read);
std::optional<PolicyText> readPolicyFile();

}  // namespace varnel
