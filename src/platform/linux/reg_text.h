// The REGEDIT4 export text of the current user's hive: the key tree it holds, read and written.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry_backend.h"

namespace varnel::platform {

// The hive's own name, the first part of every section's path.
inline constexpr const char* kHiveName = "HKEY_CURRENT_USER";

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

struct RegValueData {
    std::string name;
    std::uint32_t type = regtype::Sz;
    std::vector<std::uint8_t> data;
};

struct RegKeyNode {
    std::string name;
    std::vector<RegValueData> values;
    std::map<std::string, std::unique_ptr<RegKeyNode>, CaseInsensitiveLess> subKeys;

    RegValueData* findValue(const std::string& valueName);
};

// parseRegFile returns false when some of the text could not be understood;
// what could be read is in root.
bool parseRegFile(const std::string& text, RegKeyNode& root);
std::string formatRegFile(const RegKeyNode& root);

// What the file can hold: a name with a line break would end its line, and
// beyond the Windows registry's 512 levels and 255-character names the file
// (which repeats every key's whole path) grows with the square of the depth.
bool hasLineBreak(const std::string& name);
// Why a key path below the root cannot be kept, or "" when it can.
std::string keyPathProblem(const std::vector<std::string>& parts);
// A backslash-separated key path in its parts; empty parts are dropped.
std::vector<std::string> splitKeyPath(const std::string& path);

}  // namespace varnel::platform
