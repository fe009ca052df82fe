#include "support/test_env.h"

#include <atomic>
#include <random>
#include <fstream>
#include <sstream>

#include "core/log.h"
#include "core/program_folder.h"
#include "core/registry.h"
#include "targets/places_bar/places_bar.h"
#include "platform/platform.h"

namespace varnel::test {

namespace {

std::filesystem::path makeTempFolder() {
    static std::atomic<int> counter{0};
    static std::random_device random;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        auto candidate = base / ("varnel-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) return candidate;
    }
}

std::string typeName(std::uint32_t type) {
    switch (type) {
    case platform::regtype::Sz: return "REG_SZ";
    case platform::regtype::Dword: return "REG_DWORD";
    case platform::regtype::ExpandSz: return "REG_EXPAND_SZ";
    case platform::regtype::Binary: return "REG_BINARY";
    default: return "TYPE" + std::to_string(type);
    }
}

std::string valueText(std::uint32_t type, const std::vector<std::uint8_t>& data) {
    if (type == platform::regtype::Dword && data.size() == 4) {
        std::uint32_t n = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
        return std::to_string(static_cast<std::int32_t>(n));
    }
    if (type == platform::regtype::Sz) {
        std::string s(data.begin(), data.end());
        if (!s.empty() && s.back() == '\0') s.pop_back();
        return s;
    }
    std::ostringstream out;
    for (auto b : data) out << std::hex << static_cast<int>(b) << ',';
    return out.str();
}

void snapshotKey(const std::string& path, std::vector<std::string>& out) {
    auto& reg = registryBackend();
    platform::HKey key = 0;
    if (reg.openKey(HKEY_CURRENT_USER, path, &key) != 0) return;
    out.push_back(path);
    for (std::uint32_t i = 0;; ++i) {
        std::string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        if (reg.enumValue(key, i, &name, &type, &data) != 0) break;
        out.push_back(path + "|" + name + "=" + typeName(type) + ":" + valueText(type, data));
    }
    std::vector<std::string> children;
    for (std::uint32_t i = 0;; ++i) {
        char name[2048];
        if (reg.enumKey(key, i, name, sizeof name) != 0) break;
        children.emplace_back(name);
    }
    if (key != HKEY_CURRENT_USER) reg.closeKey(key);
    for (const auto& child : children) snapshotKey(path.empty() ? child : path + "\\" + child, out);
}

}  // namespace

TestEnvironment::TestEnvironment() : folder_(makeTempFolder()) {
    setProgramFolder(folder_);
    installTestRegistry(folder_);
    TraceOn = false;
    forgetOfficeLists();
}

TestEnvironment::~TestEnvironment() {
    removeTestRegistry();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

std::string TestEnvironment::readFile(const std::string& relative) const {
    std::ifstream in(path(relative), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void TestEnvironment::writeFile(const std::string& relative, const std::string& content) const {
    auto p = path(relative);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << content;
}

std::vector<std::string> registrySnapshot(const std::string& keyPath) {
    std::vector<std::string> out;
    snapshotKey(keyPath, out);
    return out;
}

std::string sep(const std::string& path) {
    std::string out = path;
    for (char& c : out)
        if (c == '/') c = platform::placeSeparator();
    return out;
}

std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace varnel::test
