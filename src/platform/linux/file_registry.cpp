// The registry calls of the Linux store: handles to keys in the locked store's tree.
#include "platform/linux/file_registry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/text.h"

namespace varnel::platform {

FileRegistry::FileRegistry(std::filesystem::path file)
    : store_(std::move(file), [this](const Problem& problem) { reportProblem(problem); }) {}

std::filesystem::path FileRegistry::defaultFile() {
    std::filesystem::path base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : "/tmp") / ".config";
    }
    return base / "Varnel" / "HKEY_CURRENT_USER.reg";
}

void FileRegistry::beginChanges() { store_.beginChanges(); }

void FileRegistry::endChanges() { store_.endChanges(); }

// Names that the file cannot hold are refused, as Windows refuses what
// exceeds its limits; the caller sees an invalid parameter.
bool FileRegistry::refuse(const std::string& what, const std::string& problem) const {
    if (problem.empty()) return false;
    reportProblem({"RegistryStore", 5, "Invalid procedure call or argument", what + " refused: " + problem});
    return true;
}

FileRegistry::Path FileRegistry::split(const std::string& subKey) { return splitKeyPath(subKey); }

bool FileRegistry::resolveHandle(HKey key, Path& path) const {
    if (key == HKEY_CURRENT_USER_HANDLE) {
        path.clear();
        return true;
    }
    auto it = handles_.find(key);
    if (it == handles_.end()) return false;
    path = it->second;
    return true;
}

RegKeyNode* FileRegistry::find(const Path& path) {
    RegKeyNode* node = &store_.root();
    for (const auto& part : path) {
        auto it = node->subKeys.find(part);
        if (it == node->subKeys.end()) return nullptr;
        node = it->second.get();
    }
    return node;
}

long FileRegistry::openKey(HKey root, const std::string& subKey, HKey* result) {
    *result = 0;
    Path path;
    if (!resolveHandle(root, path)) return regerr::InvalidHandle;
    refresh();
    if (!find(path)) return regerr::KeyDeleted;
    Path sub = split(subKey);
    path.insert(path.end(), sub.begin(), sub.end());
    if (!find(path)) return regerr::FileNotFound;
    if (sub.empty() && root == HKEY_CURRENT_USER_HANDLE) {
        *result = root;
        return regerr::Success;
    }
    *result = nextHandle_++;
    handles_[*result] = path;
    return regerr::Success;
}

long FileRegistry::createKey(HKey root, const std::string& subKey, HKey* result) {
    *result = 0;
    Path path;
    if (!resolveHandle(root, path)) return regerr::InvalidHandle;
    Path sub = split(subKey);
    Path full = path;
    full.insert(full.end(), sub.begin(), sub.end());
    if (refuse("a new key", keyPathProblem(full))) return regerr::InvalidParameter;
    refresh();
    // Most calls open a key that is already there: no change, no lock.
    long rc = find(full) ? regerr::Success : mutate([&](bool& changed) {
        RegKeyNode* base = find(path);
        if (!base) return regerr::KeyDeleted;
        RegKeyNode* node = base;
        for (const auto& part : sub) {
            auto it = node->subKeys.find(part);
            if (it == node->subKeys.end()) {
                auto child = std::make_unique<RegKeyNode>();
                child->name = part;
                it = node->subKeys.emplace(part, std::move(child)).first;
                changed = true;
            }
            node = it->second.get();
        }
        return regerr::Success;
    });
    if (rc != regerr::Success) return rc;
    path.insert(path.end(), sub.begin(), sub.end());
    if (sub.empty() && root == HKEY_CURRENT_USER_HANDLE) {
        *result = root;
        return regerr::Success;
    }
    *result = nextHandle_++;
    handles_[*result] = path;
    return regerr::Success;
}

long FileRegistry::queryValue(HKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* size) {
    Path path;
    if (!resolveHandle(key, path)) return regerr::InvalidHandle;
    refresh();
    RegKeyNode* node = find(path);
    if (!node) return regerr::KeyDeleted;
    RegValueData* v = node->findValue(name);
    if (!v) return regerr::FileNotFound;
    if (type) *type = v->type;
    auto needed = static_cast<std::uint32_t>(v->data.size());
    if (!data) {
        if (size) *size = needed;
        return regerr::Success;
    }
    if (!size) return regerr::InvalidParameter;
    if (*size < needed) {
        *size = needed;
        return regerr::MoreData;
    }
    if (needed) std::memcpy(data, v->data.data(), needed);
    *size = needed;
    return regerr::Success;
}

long FileRegistry::setValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                            std::uint32_t size) {
    Path path;
    if (!resolveHandle(key, path)) return regerr::InvalidHandle;
    if (refuse("a value name", hasLineBreak(name) ? "a line break in it" : "")) return regerr::InvalidParameter;
    refresh();
    if (RegKeyNode* node = find(path)) {
        RegValueData* v = node->findValue(name);
        if (v && v->type == type && v->data.size() == size && std::equal(data, data + size, v->data.begin()))
            return regerr::Success;
    }
    return mutate([&](bool& changed) {
        RegKeyNode* node = find(path);
        if (!node) return regerr::KeyDeleted;
        std::vector<std::uint8_t> bytes(data, data + size);
        if (RegValueData* v = node->findValue(name)) {
            if (v->type != type || v->data != bytes) {
                v->type = type;
                v->data = std::move(bytes);
                changed = true;
            }
        } else {
            node->values.push_back({name, type, std::move(bytes)});
            changed = true;
        }
        return regerr::Success;
    });
}

long FileRegistry::deleteKey(HKey key, const std::string& subKey) {
    Path path;
    if (!resolveHandle(key, path)) return regerr::InvalidHandle;
    Path sub = split(subKey);
    if (sub.empty()) return regerr::InvalidParameter;
    refresh();
    {
        Path target = path;
        target.insert(target.end(), sub.begin(), sub.end());
        if (!find(target)) return find(path) ? regerr::FileNotFound : regerr::KeyDeleted;
    }
    return mutate([&](bool& changed) {
        Path parentPath = path;
        parentPath.insert(parentPath.end(), sub.begin(), sub.end() - 1);
        RegKeyNode* parent = find(parentPath);
        if (!parent) return find(path) ? regerr::FileNotFound : regerr::KeyDeleted;
        auto it = parent->subKeys.find(sub.back());
        if (it == parent->subKeys.end()) return regerr::FileNotFound;
        if (!it->second->subKeys.empty()) return regerr::AccessDenied;
        parent->subKeys.erase(it);
        changed = true;
        return regerr::Success;
    });
}

long FileRegistry::deleteValue(HKey key, const std::string& name) {
    Path path;
    if (!resolveHandle(key, path)) return regerr::InvalidHandle;
    refresh();
    if (RegKeyNode* node = find(path); node && !node->findValue(name)) return regerr::FileNotFound;
    return mutate([&](bool& changed) {
        RegKeyNode* node = find(path);
        if (!node) return regerr::KeyDeleted;
        for (auto it = node->values.begin(); it != node->values.end(); ++it) {
            if (equalsIgnoreCase(it->name, name)) {
                node->values.erase(it);
                changed = true;
                return regerr::Success;
            }
        }
        return regerr::FileNotFound;
    });
}

long FileRegistry::enumKey(HKey key, std::uint32_t index, char* name, std::uint32_t nameSize) {
    Path path;
    if (!resolveHandle(key, path)) return regerr::InvalidHandle;
    refresh();
    RegKeyNode* node = find(path);
    if (!node) return regerr::KeyDeleted;
    if (index >= node->subKeys.size()) return regerr::NoMoreItems;
    auto it = node->subKeys.begin();
    std::advance(it, index);
    const std::string& n = it->second->name;
    if (n.size() + 1 > nameSize) return regerr::MoreData;
    std::memcpy(name, n.c_str(), n.size() + 1);
    return regerr::Success;
}

long FileRegistry::enumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t* type,
                             std::vector<std::uint8_t>* data) {
    Path path;
    if (!resolveHandle(key, path)) return regerr::InvalidHandle;
    refresh();
    RegKeyNode* node = find(path);
    if (!node) return regerr::KeyDeleted;
    if (index >= node->values.size()) return regerr::NoMoreItems;
    const RegValueData& v = node->values[index];
    if (name) *name = v.name;
    if (type) *type = v.type;
    if (data) *data = v.data;
    return regerr::Success;
}

long FileRegistry::closeKey(HKey key) {
    if (key == HKEY_CURRENT_USER_HANDLE) return regerr::Success;
    return handles_.erase(key) ? regerr::Success : regerr::InvalidHandle;
}

}  // namespace varnel::platform
