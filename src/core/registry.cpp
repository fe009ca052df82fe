#include "core/registry.h"

#include <vector>

#include "base/text.h"
#include "core/log.h"
#include "core/numeric.h"
#include "core/runtime_error.h"
#include "platform/platform.h"

namespace varnel {

namespace {

using namespace platform;

std::unique_ptr<RegistryBackend>& backendSlot() {
    static std::unique_ptr<RegistryBackend> backend;
    return backend;
}

// Closes a key when the procedure leaves, whichever way it leaves.
class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle() {
        if (handle_) registryBackend().closeKey(handle_);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKey* out() { return &handle_; }
    HKey get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }

private:
    HKey handle_ = 0;
};

std::string upToNul(const char* data, size_t size) {
    size_t n = 0;
    while (n < size && data[n] != '\0') ++n;
    return std::string(data, n);
}

}  // namespace

RegistryBackend& registryBackend() {
    auto& slot = backendSlot();
    if (!slot) setRegistryBackend(createRegistryBackend());
    return *slot;
}

void setRegistryBackend(std::unique_ptr<RegistryBackend> backend) {
    // The store's own problems become error-log lines, whichever store it is.
    if (backend) backend->setProblemReport(logPlatformProblem);
    backendSlot() = std::move(backend);
}

std::string regText(const RegValue& value) {
    if (const auto* n = std::get_if<std::int32_t>(&value)) return std::to_string(*n);
    return std::get<std::string>(value);
}

bool keyExists(HKey root, const std::string& keyPath) {
    bool result = false;
    guarded("RegKeyExist", [&] {
        KeyHandle key;
        registryBackend().openKey(root, keyPath, key.out());
        result = static_cast<bool>(key);
    });
    return result;
}

std::vector<NamedValue> listValues(HKey root, const std::string& keyPath) {
    std::vector<NamedValue> values;
    guarded("RegKeyEnum", [&] {
        KeyHandle key;
        registryBackend().openKey(root, keyPath, key.out());
        if (!key) return;
        for (std::uint32_t index = 0;; ++index) {
            NamedValue value;
            std::uint32_t type = 0;
            std::vector<std::uint8_t> data;
            if (registryBackend().enumValue(key.get(), index, &value.name, &type, &data) != regerr::Success) break;
            if (type == regtype::Sz || type == regtype::ExpandSz) {
                value.value = upToNul(reinterpret_cast<const char*>(data.data()), data.size());
            } else if (type == regtype::Dword && data.size() == 4) {
                const std::uint32_t n = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
                value.value = static_cast<std::int32_t>(n);
            }
            values.push_back(std::move(value));
        }
    });
    return values;
}

RegValue queryValue(HKey root, const std::string& keyPath, const std::string& valueName) {
    RegValue result = std::string();
    guarded("RegKeyQuery", [&] {
        KeyHandle key;
        registryBackend().openKey(root, keyPath, key.out());
        if (!key) return;
        std::uint32_t type = 0, size = 0;
        if (registryBackend().queryValue(key.get(), valueName, &type, nullptr, &size) != regerr::Success) return;
        if (type == regtype::Sz) {
            std::string buffer(size, ' ');
            if (registryBackend().queryValue(key.get(), valueName, &type,
                                             reinterpret_cast<std::uint8_t*>(buffer.data()), &size) != regerr::Success)
                return;
            result = upToNul(buffer.data(), buffer.size());
        } else if (type == regtype::Dword) {
            std::uint8_t bytes[4] = {};
            std::uint32_t four = 4;
            if (registryBackend().queryValue(key.get(), valueName, &type, bytes, &four) != regerr::Success) return;
            std::uint32_t n = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
            result = static_cast<std::int32_t>(n);
        }
    });
    return result;
}

void setValue(HKey root, const std::string& keyPath, const std::string& valueName, const RegValue& value) {
    guarded("RegKeyCreatevalue", [&] {
        // A number, or a text that reads entirely as one, is stored as REG_DWORD.
        bool numeric = false;
        std::int32_t number = 0;
        if (const auto* n = std::get_if<std::int32_t>(&value)) {
            numeric = true;
            number = *n;
        } else if (auto parsed = parseNumber(std::get<std::string>(value))) {
            numeric = true;
            number = toInt32(*parsed);
        }
        KeyHandle key;
        registryBackend().createKey(root, keyPath, key.out());
        if (numeric) {
            auto u = static_cast<std::uint32_t>(number);
            std::uint8_t bytes[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                     static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
            registryBackend().setValue(key.get(), valueName, regtype::Dword, bytes, 4);
        } else {
            std::string data = trimBlanks(std::get<std::string>(value));
            data.push_back('\0');
            registryBackend().setValue(key.get(), valueName, regtype::Sz,
                                       reinterpret_cast<const std::uint8_t*>(data.data()),
                                       static_cast<std::uint32_t>(data.size()));
        }
    });
}

void setRegistryText(HKey root, const std::string& keyPath, const std::string& valueName, const std::string& text) {
    guarded("setRegistryText", [&] {
        KeyHandle key;
        registryBackend().createKey(root, keyPath, key.out());
        const std::string data = text + '\0';
        registryBackend().setValue(key.get(), valueName, regtype::Sz,
                                   reinterpret_cast<const std::uint8_t*>(data.data()),
                                   static_cast<std::uint32_t>(data.size()));
    });
}

bool deleteKey(HKey root, const std::string& parentPath, const std::string& name) {
    bool result = false;
    guarded("RegKeyDeletkey", [&] {
        if (!keyExists(root, parentPath)) return;
        KeyHandle key;
        registryBackend().openKey(root, parentPath, key.out());
        result = registryBackend().deleteKey(key.get(), name) == regerr::Success;
    });
    return result;
}

std::string subKeyName(HKey root, const std::string& keyPath, std::int32_t index) {
    std::string result = "Not Found";
    guarded("RegKeyKeyvalue", [&] {
        KeyHandle key;
        registryBackend().openKey(root, keyPath, key.out());
        std::vector<char> name(2048, '\0');
        if (index < 0) return;
        if (registryBackend().enumKey(key.get(), static_cast<std::uint32_t>(index), name.data(),
                                      static_cast<std::uint32_t>(name.size())) == regerr::Success)
            result = upToNul(name.data(), name.size());
    });
    return result;
}

void createKey(HKey root, const std::string& keyPath) {
    KeyHandle key;
    registryBackend().createKey(root, keyPath, key.out());
}

void deleteValue(HKey root, const std::string& keyPath, const std::string& valueName) {
    if (!keyExists(root, keyPath)) return;
    KeyHandle key;
    registryBackend().openKey(root, keyPath, key.out());
    registryBackend().deleteValue(key.get(), valueName);
}

bool writeRegistryText(HKey root, const std::string& keyPath, const std::string& valueName, const std::string& text,
                       std::uint32_t type) {
    KeyHandle key;
    if (registryBackend().createKey(root, keyPath, key.out()) != regerr::Success) return false;
    std::string data = text;
    data.push_back('\0');
    return registryBackend().setValue(key.get(), valueName, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                                      static_cast<std::uint32_t>(data.size())) == regerr::Success;
}

bool writeRegistryDword(HKey root, const std::string& keyPath, const std::string& valueName, std::uint32_t value) {
    KeyHandle key;
    if (registryBackend().createKey(root, keyPath, key.out()) != regerr::Success) return false;
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return registryBackend().setValue(key.get(), valueName, regtype::Dword, bytes, 4) == regerr::Success;
}

bool deleteRegistryTree(HKey root, const std::string& keyPath) {
    const size_t cut = keyPath.rfind('\\');
    const std::string parentPath = cut == std::string::npos ? std::string() : keyPath.substr(0, cut);
    const std::string name = cut == std::string::npos ? keyPath : keyPath.substr(cut + 1);
    {
        KeyHandle key;
        if (registryBackend().openKey(root, keyPath, key.out()) != regerr::Success) return false;
        // Windows deletes only keys without sub-keys: the deepest go first.
        // One that stays would be met again at index 0, so stop there.
        std::vector<char> child(512, '\0');
        while (registryBackend().enumKey(key.get(), 0, child.data(), static_cast<std::uint32_t>(child.size())) ==
               regerr::Success)
            if (!deleteRegistryTree(root, keyPath + "\\" + upToNul(child.data(), child.size()))) break;
    }
    KeyHandle parent;
    if (registryBackend().openKey(root, parentPath, parent.out()) != regerr::Success) return false;
    return registryBackend().deleteKey(parent.get(), name) == regerr::Success;
}

bool deleteRegistryValue(HKey root, const std::string& keyPath, const std::string& valueName) {
    KeyHandle key;
    if (registryBackend().openKey(root, keyPath, key.out()) != regerr::Success) return false;
    return registryBackend().deleteValue(key.get(), valueName) == regerr::Success;
}

}  // namespace varnel
