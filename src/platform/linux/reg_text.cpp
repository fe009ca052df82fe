// The REGEDIT4 export text of the current user's hive: parsed into a key tree and written back.
#include "platform/linux/reg_text.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "base/text.h"

namespace varnel::platform {

namespace {

// What the Windows registry allows, and what keeps the file (which repeats
// every key's whole path) from growing with the square of a key's depth.
constexpr size_t kMaxKeyDepth = 512;
constexpr size_t kMaxKeyNameLength = 255;

std::string escapeString(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

// Reads a quoted string starting at s[i] == '"'; i ends past the closing quote.
bool readQuoted(const std::string& s, size_t& i, std::string& out) {
    if (i >= s.size() || s[i] != '"') return false;
    ++i;
    out.clear();
    while (i < s.size()) {
        char c = s[i++];
        if (c == '\\') {
            if (i >= s.size()) return false;
            out.push_back(s[i++]);
        } else if (c == '"') {
            return true;
        } else {
            out.push_back(c);
        }
    }
    return false;
}

bool parseHexBytes(const std::string& s, std::vector<std::uint8_t>& out) {
    out.clear();
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        if (i >= s.size()) break;
        size_t start = i;
        while (i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i]))) ++i;
        if (i - start == 0 || i - start > 2) return false;
        out.push_back(static_cast<std::uint8_t>(std::strtoul(s.substr(start, i - start).c_str(), nullptr, 16)));
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        if (i < s.size()) {
            if (s[i] != ',') return false;
            ++i;
        }
    }
    return true;
}

bool parseValueLine(const std::string& line, RegValueData& value) {
    size_t i = 0;
    if (line[0] == '@') {
        value.name.clear();
        i = 1;
    } else if (!readQuoted(line, i, value.name)) {
        return false;
    }
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size() || line[i] != '=') return false;
    ++i;
    while (i < line.size() && line[i] == ' ') ++i;
    std::string rest = line.substr(i);

    if (!rest.empty() && rest[0] == '"') {
        size_t j = 0;
        std::string text;
        if (!readQuoted(rest, j, text)) return false;
        if (trimBlanks(rest.substr(j)).size() != 0) return false;
        value.type = regtype::Sz;
        value.data.assign(text.begin(), text.end());
        value.data.push_back(0);
        return true;
    }
    if (rest.rfind("dword:", 0) == 0) {
        std::string digits = trimBlanks(rest.substr(6));
        if (digits.empty() || digits.size() > 8) return false;
        for (char c : digits)
            if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        std::uint32_t v = static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
        value.type = regtype::Dword;
        value.data = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                      static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
        return true;
    }
    if (rest.rfind("hex", 0) == 0) {
        size_t colon = rest.find(':');
        if (colon == std::string::npos) return false;
        std::string kind = rest.substr(3, colon - 3);
        if (kind.empty()) {
            value.type = regtype::Binary;
        } else {
            if (kind.size() < 3 || kind.front() != '(' || kind.back() != ')') return false;
            std::string n = kind.substr(1, kind.size() - 2);
            if (n.empty() || n.size() > 8) return false;
            for (char c : n)
                if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
            value.type = static_cast<std::uint32_t>(std::strtoul(n.c_str(), nullptr, 16));
        }
        return parseHexBytes(rest.substr(colon + 1), value.data);
    }
    return false;
}

RegKeyNode* ensurePath(RegKeyNode& root, const std::vector<std::string>& parts) {
    RegKeyNode* node = &root;
    for (const auto& part : parts) {
        auto it = node->subKeys.find(part);
        if (it == node->subKeys.end()) {
            auto child = std::make_unique<RegKeyNode>();
            child->name = part;
            it = node->subKeys.emplace(part, std::move(child)).first;
        }
        node = it->second.get();
    }
    return node;
}

bool isPlainText(const RegValueData& v) {
    if (v.type != regtype::Sz || v.data.empty() || v.data.back() != 0) return false;
    for (size_t i = 0; i + 1 < v.data.size(); ++i) {
        std::uint8_t c = v.data[i];
        if (c == 0 || c == '\r' || c == '\n') return false;
    }
    return true;
}

void formatValue(const RegValueData& v, std::string& out) {
    out += v.name.empty() ? std::string("@") : "\"" + escapeString(v.name) + "\"";
    out += '=';
    if (isPlainText(v)) {
        out += '"';
        out += escapeString(std::string(v.data.begin(), v.data.end() - 1));
        out += '"';
    } else if (v.type == regtype::Dword && v.data.size() == 4) {
        std::uint32_t n = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<std::uint32_t>(v.data[3]) << 24);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", n);
        out += buf;
    } else {
        char buf[24];
        if (v.type == regtype::Binary) std::snprintf(buf, sizeof buf, "hex:");
        else std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
        out += buf;
        for (size_t i = 0; i < v.data.size(); ++i) {
            std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", v.data[i]);
            out += buf;
        }
    }
    out += "\r\n";
}

void formatKey(const RegKeyNode& node, const std::string& path, std::string& out) {
    out += "[" + path + "]\r\n";
    for (const auto& v : node.values) formatValue(v, out);
    out += "\r\n";
    for (const auto& [name, child] : node.subKeys) formatKey(*child, path + "\\" + child->name, out);
}

}  // namespace

bool hasLineBreak(const std::string& name) { return name.find_first_of("\r\n") != std::string::npos; }

std::string keyPathProblem(const std::vector<std::string>& parts) {
    if (parts.size() > kMaxKeyDepth) return "deeper than 512 levels";
    for (const auto& part : parts) {
        if (part.size() > kMaxKeyNameLength) return "a name longer than 255 characters";
        if (hasLineBreak(part)) return "a line break in a name";
    }
    return {};
}

std::vector<std::string> splitKeyPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
    return compareIgnoreCase(a, b) < 0;
}

RegValueData* RegKeyNode::findValue(const std::string& valueName) {
    for (auto& v : values)
        if (equalsIgnoreCase(v.name, valueName)) return &v;
    return nullptr;
}

bool parseRegFile(const std::string& text, RegKeyNode& root) {
    root.values.clear();
    root.subKeys.clear();
    root.name = kHiveName;

    // Split into logical lines: CR LF or LF, a trailing backslash continues a line.
    std::vector<std::string> lines;
    {
        std::istringstream in(text);
        std::string raw, pending;
        while (std::getline(in, raw)) {
            if (!raw.empty() && raw.back() == '\r') raw.pop_back();
            std::string line = pending.empty() ? raw : pending + trimBlanks(raw);
            if (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos) {
                line.pop_back();
                pending = line;
                continue;
            }
            pending.clear();
            lines.push_back(line);
        }
        if (!pending.empty()) lines.push_back(pending);
    }

    bool ok = true;
    size_t i = 0;
    while (i < lines.size() && trimBlanks(lines[i]).empty()) ++i;
    std::string header = i < lines.size() ? lines[i] : std::string();
    if (header.rfind("\xEF\xBB\xBF", 0) == 0) header.erase(0, 3);
    if (trimBlanks(header) != "REGEDIT4") return lines.empty() || (i == lines.size());
    ++i;

    RegKeyNode* current = nullptr;  // null: outside any readable section
    for (; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        std::string trimmed = trimBlanks(line);
        if (trimmed.empty() || trimmed[0] == ';') continue;
        if (trimmed[0] == '[') {
            current = nullptr;
            if (trimmed.back() != ']' || trimmed.size() < 3 || trimmed[1] == '-') {
                ok = false;
                continue;
            }
            std::string path = trimmed.substr(1, trimmed.size() - 2);
            std::vector<std::string> parts = splitKeyPath(path);
            if (parts.empty() || !equalsIgnoreCase(parts[0], kHiveName)) {
                ok = false;
                continue;
            }
            parts.erase(parts.begin());
            if (!keyPathProblem(parts).empty()) {
                ok = false;
                continue;
            }
            current = ensurePath(root, parts);
            continue;
        }
        RegValueData value;
        if (!current || !parseValueLine(trimmed, value)) {
            ok = false;
            continue;
        }
        if (RegValueData* existing = current->findValue(value.name)) {
            existing->type = value.type;
            existing->data = std::move(value.data);
        } else {
            current->values.push_back(std::move(value));
        }
    }
    return ok;
}

std::string formatRegFile(const RegKeyNode& root) {
    std::string out = "REGEDIT4\r\n\r\n";
    formatKey(root, kHiveName, out);
    return out;
}

}  // namespace varnel::platform
