#include "updater/release_walk.h"

#include <algorithm>

#include "base/text.h"
#include "core/path_text.h"

namespace varnel {

namespace {

bool listed(const std::filesystem::directory_entry& e) {
    std::error_code ec;
    if (e.is_symlink(ec)) return false;
    const std::string name = pathText(e.path().filename());
    return !name.empty() && name[0] != '.';
}

// Entries of one folder in name order: letter case ignored, then exact.
std::vector<std::filesystem::path> entries(const std::filesystem::path& folder, bool folders) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        if (!listed(e)) continue;
        std::error_code typeEc;
        bool isDir = e.is_directory(typeEc);
        bool isFile = e.is_regular_file(typeEc);
        if ((folders && isDir) || (!folders && isFile)) out.push_back(e.path());
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        const std::string x = pathText(a.filename()), y = pathText(b.filename());
        int c = compareIgnoreCase(x, y);
        return c != 0 ? c < 0 : x < y;
    });
    return out;
}

void walk(const std::filesystem::path& folder, int depth, std::vector<std::filesystem::path>& out) {
    if (depth > 3) return;
    for (const auto& sub : entries(folder, true)) {
        out.push_back(sub);
        walk(sub, depth + 1, out);
    }
}

std::string relativeText(const std::filesystem::path& root, const std::filesystem::path& file) {
    std::string rel;
    for (const auto& part : file.lexically_relative(root)) {
        if (!rel.empty()) rel += '\\';
        rel += pathText(part);
    }
    return rel;
}

}  // namespace

std::vector<std::filesystem::path> releaseFolders(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> out;
    walk(root, 1, out);
    return out;
}

std::vector<std::string> releaseFiles(const std::filesystem::path& root) {
    std::vector<std::string> out;
    for (const auto& folder : releaseFolders(root))
        for (const auto& file : entries(folder, false)) out.push_back(relativeText(root, file));
    for (const auto& file : entries(root, false)) out.push_back(relativeText(root, file));
    return out;
}

}  // namespace varnel
