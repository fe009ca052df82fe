#include "platform/linux/file_registry.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "base/text.h"

namespace varnel::platform {

namespace {

constexpr const char* kRootName = "HKEY_CURRENT_USER";

// What the Windows registry allows, and what keeps the file (which repeats
// every key's whole path) from growing with the square of a key's depth.
constexpr size_t kMaxKeyDepth = 512;
constexpr size_t kMaxKeyNameLength = 255;

bool hasLineBreak(const std::string& name) { return name.find_first_of("\r\n") != std::string::npos; }

// Why a key path below the root cannot be kept, or "" when it can.
std::string keyPathProblem(const std::vector<std::string>& parts) {
    if (parts.size() > kMaxKeyDepth) return "deeper than 512 levels";
    for (const auto& part : parts) {
        if (part.size() > kMaxKeyNameLength) return "a name longer than 255 characters";
        if (hasLineBreak(part)) return "a line break in a name";
    }
    return {};
}

// ---- REGEDIT4 text --------------------------------------------------------

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
    root.name = kRootName;

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
            if (parts.empty() || !equalsIgnoreCase(parts[0], kRootName)) {
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
    formatKey(root, kRootName, out);
    return out;
}

// ---- the store ------------------------------------------------------------

FileRegistry::~FileRegistry() {
    if (lockFd_ >= 0) ::close(lockFd_);
}

FileRegistry::FileRegistry(std::filesystem::path file) : file_(std::move(file)) {
    lockFile_ = file_;
    lockFile_ += ".lock";
    root_.name = kRootName;
}

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

FileRegistry::FileIdentity FileRegistry::currentIdentity() const {
    FileIdentity id;
    struct stat st {};
    if (::stat(file_.c_str(), &st) != 0) return id;
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = static_cast<std::uintmax_t>(st.st_size);
    id.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.changes = changeCount();
    return id;
}

std::uint64_t FileRegistry::changeCount() const {
    std::uint64_t count = 0;
    if (lockFd_ < 0 || ::pread(lockFd_, &count, sizeof count, 0) != static_cast<ssize_t>(sizeof count)) return 0;
    return count;
}

void FileRegistry::refresh() {
    // A batch holds the lock since it began: nobody else has written.
    if (batchDepth_ > 0 && everLoaded_) return;
    // Writers bump the counter and replace the file under the exclusive
    // lock; looking at both under the shared lock sees both or neither.
    const bool shared = !lockedExclusive_ && openLockFile();
    if (shared) ::flock(lockFd_, LOCK_SH);
    // An unreadable store is tried again each time: its owner may mend it.
    if (!everLoaded_ || unreadable_ || currentIdentity() != loaded_) load();
    if (shared) ::flock(lockFd_, LOCK_UN);
}

std::string FileRegistry::readStore(const FileIdentity& id, std::string& text) const {
    if (!id.exists) {
        struct stat st {};
        // Missing is fine; a folder that may not be looked into is not.
        if (::stat(file_.c_str(), &st) != 0 && errno != ENOENT && errno != ENOTDIR) return std::strerror(errno);
        return {};
    }
    const int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    struct stat st {};
    std::string failure;
    if (::fstat(fd, &st) != 0) {
        failure = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        failure = "it is not a file";
    } else {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                text.append(buffer, static_cast<size_t>(n));
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                failure = std::strerror(errno);
                break;
            }
        }
    }
    ::close(fd);
    return failure;
}

void FileRegistry::load() {
    // Called under the lock (see refresh and mutate): a writer reuses the
    // file a reader may still have open (see save).
    FileIdentity id = currentIdentity();
    std::string text;
    const std::string failure = readStore(id, text);
    everLoaded_ = true;
    loaded_ = id;
    if (!failure.empty()) {
        // Perhaps another user's file (a run under sudo): replacing it would
        // lose that user's settings. Whatever was known stays in memory.
        if (!unreadable_)
            reportProblem({"RegistryStore", 75, "Path/File access error",
                           file_.string() + " cannot be read (" + failure +
                               "); the settings live in memory and the file is left as it is"});
        unreadable_ = true;
        return;
    }
    unreadable_ = false;
    root_.values.clear();
    root_.subKeys.clear();
    if (!id.exists) return;
    if (parseRegFile(text, root_)) return;

    // Keep the unreadable file as it is; the next change writes what could be read.
    std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    std::filesystem::path copy = file_;
    copy += std::string(".unreadable-") + stamp;
    std::error_code ec;
    std::filesystem::copy_file(file_, copy, std::filesystem::copy_options::skip_existing, ec);
    reportProblem({"RegistryStore", 0, "",
                   file_.string() + " could not be read completely; a copy was kept as " + copy.string()});
}

long FileRegistry::save() {
    // The new text goes into the swap file beside the store (only ever
    // written under the lock), which then trades places with the store in
    // one step: readers see the old file or the new one, never a part. The
    // swap file keeps the previous version, and reusing it spares the file
    // system a new file per change.
    std::filesystem::path swap = file_;
    swap += ".swap";
    const std::string text = formatRegFile(root_);
    int fd = ::open(swap.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return regerr::AccessDenied;
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n <= 0) {
            ::close(fd);
            return regerr::WriteFault;
        }
        done += static_cast<size_t>(n);
    }
    // On disk before it replaces the store: a power cut must find the old
    // file or the new one, never an empty one.
    const bool sized = ::ftruncate(fd, static_cast<off_t>(text.size())) == 0 && ::fdatasync(fd) == 0;
    ::close(fd);
    if (!sized) return regerr::WriteFault;
    // Counted before the swap: a reader that sees the new count and the old
    // file merely reads once more.
    if (lockFd_ >= 0) {
        const std::uint64_t count = changeCount() + 1;
        [[maybe_unused]] ssize_t n = ::pwrite(lockFd_, &count, sizeof count, 0);
    }
    if (::renameat2(AT_FDCWD, swap.c_str(), AT_FDCWD, file_.c_str(), RENAME_EXCHANGE) != 0 &&
        ::rename(swap.c_str(), file_.c_str()) != 0)  // no store yet, or a file system that cannot exchange
        return regerr::AccessDenied;
    // The swap itself: the folder's entries.
    const int folder = ::open(file_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    loaded_ = currentIdentity();
    return regerr::Success;
}

bool FileRegistry::openLockFile() {
    if (lockFd_ < 0) {
        std::error_code ec;
        std::filesystem::create_directories(file_.parent_path(), ec);
        lockFd_ = ::open(lockFile_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    }
    return lockFd_ >= 0;
}

void FileRegistry::lockExclusive() {
    if (openLockFile()) ::flock(lockFd_, LOCK_EX);
    lockedExclusive_ = true;
}

void FileRegistry::unlock() {
    lockedExclusive_ = false;
    if (lockFd_ >= 0) ::flock(lockFd_, LOCK_UN);
}

long FileRegistry::writeChanges() {
    if (unreadable_) return regerr::Success;  // left alone: the changes live in memory
    const long saved = save();
    if (saved != regerr::Success) {
        reportProblem({"RegistryStore", 75, "Path/File access error", file_.string() + " could not be written"});
        load();  // the change did not reach the file: forget it
    }
    return saved;
}

long FileRegistry::mutate(const std::function<long(bool& changed)>& change) {
    if (batchDepth_ > 0) {
        bool changed = false;
        const long rc = change(changed);
        batchChanged_ = batchChanged_ || changed;
        return rc;
    }
    lockExclusive();
    refresh();
    bool changed = false;
    long rc = change(changed);
    if (changed) {
        const long saved = writeChanges();
        if (saved != regerr::Success) rc = saved;
    }
    unlock();
    return rc;
}

void FileRegistry::beginChanges() {
    if (batchDepth_ > 0) {
        ++batchDepth_;
        return;
    }
    lockExclusive();
    refresh();
    batchDepth_ = 1;
    batchChanged_ = false;
}

void FileRegistry::endChanges() {
    if (batchDepth_ == 0 || --batchDepth_ > 0) return;
    if (batchChanged_) writeChanges();
    batchChanged_ = false;
    unlock();
}

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
    RegKeyNode* node = &root_;
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
