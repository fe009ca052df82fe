#pragma once
// The registry access layer: seven small procedures, each opening the key it
// needs, doing one thing and closing the key again. Missing keys and values
// are results, not failures.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/registry_backend.h"

namespace varnel {

using platform::HKey;
inline constexpr HKey HKEY_CURRENT_USER = platform::HKEY_CURRENT_USER_HANDLE;
inline constexpr HKey HKEY_LOCAL_MACHINE = platform::HKEY_LOCAL_MACHINE_HANDLE;

// The settings key and its two values.
inline constexpr const char* kSettingsKey = "Software\\Varnel\\VarnelZize";
inline constexpr const char* kSettingsParent = "Software\\Varnel";

// A registry value as the procedures hand it over: a text (REG_SZ) or a
// 32-bit signed number (REG_DWORD).
using RegValue = std::variant<std::string, std::int32_t>;

// The value as text: numbers in decimal, as the runtime would convert them.
std::string regText(const RegValue& value);

bool keyExists(HKey root, const std::string& keyPath);
// Every value of a key in the store's order: a text (REG_SZ, REG_EXPAND_SZ)
// up to its first NUL, or a REG_DWORD as a number; a value of another type
// has none. Nothing when the key is not there.
struct NamedValue {
    std::string name;
    std::optional<RegValue> value;
};
std::vector<NamedValue> listValues(HKey root, const std::string& keyPath);
// The value's text or number; an empty text when the key or value is missing
// or the value is of another type.
RegValue queryValue(HKey root, const std::string& keyPath, const std::string& valueName);
// Creates the key as needed; a number, or a text that reads entirely as one,
// is stored as REG_DWORD, any other text trimmed as REG_SZ.
void setValue(HKey root, const std::string& keyPath, const std::string& valueName, const RegValue& value);
// Deletes parentPath\name, which must have no sub-keys. True when it did.
bool deleteKey(HKey root, const std::string& parentPath, const std::string& name);
// The name of the index-th sub-key in name order, or "Not Found".
std::string subKeyName(HKey root, const std::string& keyPath, std::int32_t index);
void createKey(HKey root, const std::string& keyPath);
void deleteValue(HKey root, const std::string& keyPath, const std::string& valueName);
// Stores `text` as REG_SZ exactly, even when it reads as a number (which
// setValue turns into a REG_DWORD, failing above 32 bits).
void setRegistryText(HKey root, const std::string& keyPath, const std::string& valueName, const std::string& text);

// Exact writes for entries that other programs read: the text as given (no
// trimming, no number conversion) as REG_SZ or REG_EXPAND_SZ, and a REG_DWORD.
// The key and its parents are created. False when the value was not written.
bool writeRegistryText(HKey root, const std::string& keyPath, const std::string& valueName, const std::string& text,
                       std::uint32_t type = platform::regtype::Sz);
bool writeRegistryDword(HKey root, const std::string& keyPath, const std::string& valueName, std::uint32_t value);
// Removes a key with everything below it. True when the key was there and is gone.
bool deleteRegistryTree(HKey root, const std::string& keyPath);
// True when the value was there and is gone.
bool deleteRegistryValue(HKey root, const std::string& keyPath, const std::string& valueName);

// The backend every procedure uses: the platform's current-user registry
// unless one was installed (the tests point it at a store of their own).
platform::RegistryBackend& registryBackend();
void setRegistryBackend(std::unique_ptr<platform::RegistryBackend> backend);

// The registry changes made while one lives reach the store in one write
// when it ends (or at finish()).
class RegistryChangeBatch {
public:
    RegistryChangeBatch() : backend_(&registryBackend()) { backend_->beginChanges(); }
    ~RegistryChangeBatch() { finish(); }
    RegistryChangeBatch(const RegistryChangeBatch&) = delete;
    RegistryChangeBatch& operator=(const RegistryChangeBatch&) = delete;
    void finish() {
        if (backend_) backend_->endChanges();
        backend_ = nullptr;
    }

private:
    platform::RegistryBackend* backend_;
};

}  // namespace varnel
