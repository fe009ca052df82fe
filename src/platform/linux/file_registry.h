#pragma once
// The current user's hive kept in a REGEDIT4 file: the registry calls on a
// locked store (see locked_store.h) of the key tree the file holds.
//
// Names the file cannot hold (line breaks, beyond the Windows registry's 512
// levels and 255-character names) are refused. Key and value names compare
// without regard to case and keep the case they were created with; sub-keys
// enumerate in case-insensitive name order.

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/locked_store.h"
#include "platform/linux/reg_text.h"
#include "platform/registry_backend.h"

namespace varnel::platform {

class FileRegistry : public RegistryBackend {
public:
    explicit FileRegistry(std::filesystem::path file);
    FileRegistry(const FileRegistry&) = delete;
    FileRegistry& operator=(const FileRegistry&) = delete;

    // $XDG_CONFIG_HOME/Varnel/HKEY_CURRENT_USER.reg (XDG's default ~/.config).
    static std::filesystem::path defaultFile();

    const std::filesystem::path& file() const { return store_.file(); }

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

    void refresh() { store_.refresh(); }
    long mutate(const std::function<long(bool& changed)>& change) { return store_.mutate(change); }
    bool refuse(const std::string& what, const std::string& problem) const;

    bool resolveHandle(HKey key, Path& path) const;
    RegKeyNode* find(const Path& path);
    static Path split(const std::string& subKey);

    LockedStore store_;
    std::map<HKey, Path> handles_;
    HKey nextHandle_ = 0x1000;
};

}  // namespace varnel::platform
