#pragma once
// The current user's hive kept in a REGEDIT4 file.
//
// The file is the truth: every call first re-reads it when another process
// has replaced it since the last look, and every change is written to a swap
// file that then trades places with the store, while an advisory lock on a
// lock file beside it is held (readers take it shared). The lock file also
// counts the changes, so that a reader notices another process's change even
// where the replaced file looks the same (same inode, size and time stamp).
// A new file is flushed to disk before it replaces the store, and a batch of
// changes (beginChanges, endChanges) is written once. A store that is there
// but cannot be read is never written over: the process keeps its settings
// in memory. Names the file cannot hold (line breaks, beyond the Windows
// registry's 512 levels and 255-character names) are refused.
// Key and value names compare without regard to case and keep the case they
// were created with; sub-keys enumerate in case-insensitive name order.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry_backend.h"

namespace varnel::platform {

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

// Reading and writing the REGEDIT4 text. parseRegFile returns false when
// some of the text could not be understood; what could be read is in root.
bool parseRegFile(const std::string& text, RegKeyNode& root);
std::string formatRegFile(const RegKeyNode& root);

class FileRegistry : public RegistryBackend {
public:
    explicit FileRegistry(std::filesystem::path file);
    ~FileRegistry() override;
    FileRegistry(const FileRegistry&) = delete;
    FileRegistry& operator=(const FileRegistry&) = delete;

    // $XDG_CONFIG_HOME/Varnel/HKEY_CURRENT_USER.reg (XDG's default ~/.config).
    static std::filesystem::path defaultFile();

    const std::filesystem::path& file() const { return file_; }

    long openKey(HKey root, const std::string& subKey, HKey* result) override;
    long createKey(HKey root, const std::string& subKey, HKey* result) override;
    long queryValue(HKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override;
    long setValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t size) override;
    long deleteKey(HKey key, const std::string& subKey) override;
    long deleteValue(HKey key, const std::string& name) override;
    long enumKey(HKey key, std::uint32_t index, char* name, std::uint32_t nameSize) override;
    long closeKey(HKey key) override;
    long enumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t* type,
                   std::vector<std::uint8_t>* data) override;
    void beginChanges() override;
    void endChanges() override;

private:
    using Path = std::vector<std::string>;

    struct FileIdentity {
        bool exists = false;
        std::uintmax_t device = 0, inode = 0, size = 0;
        std::int64_t mtimeNs = 0;
        std::uint64_t changes = 0;  // the counter in the lock file
        bool operator==(const FileIdentity&) const = default;
    };

    FileIdentity currentIdentity() const;
    std::uint64_t changeCount() const;
    void refresh();
    void load();
    std::string readStore(const FileIdentity& id, std::string& text) const;
    long save();
    long writeChanges();
    long mutate(const std::function<long(bool& changed)>& change);
    bool openLockFile();
    void lockExclusive();
    void unlock();
    bool refuse(const std::string& what, const std::string& problem) const;

    bool resolveHandle(HKey key, Path& path) const;
    RegKeyNode* find(const Path& path);
    static Path split(const std::string& subKey);

    std::filesystem::path file_;
    std::filesystem::path lockFile_;
    RegKeyNode root_;
    FileIdentity loaded_;
    bool everLoaded_ = false;
    std::map<HKey, Path> handles_;
    HKey nextHandle_ = 0x1000;
    int lockFd_ = -1;
    bool lockedExclusive_ = false;
    bool unreadable_ = false;  // there, but not readable: never written over
    int batchDepth_ = 0;
    bool batchChanged_ = false;
};

}  // namespace varnel::platform
