#include "platform/win/win_registry.h"

#include <windows.h>

#include <algorithm>

namespace varnel::platform {

namespace {

// The engine names the current user's hive by its 32-bit handle value;
// Windows sign-extends the predefined handles on 64-bit, so map both ways.
HKEY native(HKey key) {
    if (key == HKEY_CURRENT_USER_HANDLE) return HKEY_CURRENT_USER;
    return reinterpret_cast<HKEY>(key);
}

HKey portable(HKEY key) {
    if (key == HKEY_CURRENT_USER) return HKEY_CURRENT_USER_HANDLE;
    return reinterpret_cast<HKey>(key);
}

long opened(LONG status, HKEY handle, HKey* result) {
    *result = status == ERROR_SUCCESS ? portable(handle) : 0;
    return status;
}

constexpr std::size_t kLargestData = 64u << 20;

}  // namespace

long WinRegistry::openKey(HKey root, const std::string& subKey, HKey* result) {
    HKEY handle = nullptr;
    LONG status = RegOpenKeyA(native(root), subKey.c_str(), &handle);
    return opened(status, handle, result);
}

long WinRegistry::createKey(HKey root, const std::string& subKey, HKey* result) {
    HKEY handle = nullptr;
    LONG status = RegCreateKeyA(native(root), subKey.c_str(), &handle);
    return opened(status, handle, result);
}

long WinRegistry::queryValue(HKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* size) {
    DWORD t = 0;
    DWORD n = size ? *size : 0;
    LONG status = RegQueryValueExA(native(key), name.c_str(), nullptr, &t, data, size ? &n : nullptr);
    if (type) *type = t;
    if (size) *size = n;
    return status;
}

long WinRegistry::setValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                           std::uint32_t size) {
    return RegSetValueExA(native(key), name.c_str(), 0, type, data, size);
}

long WinRegistry::deleteKey(HKey key, const std::string& subKey) { return RegDeleteKeyA(native(key), subKey.c_str()); }

long WinRegistry::deleteValue(HKey key, const std::string& name) { return RegDeleteValueA(native(key), name.c_str()); }

long WinRegistry::enumKey(HKey key, std::uint32_t index, char* name, std::uint32_t nameSize) {
    return RegEnumKeyA(native(key), index, name, nameSize);
}

long WinRegistry::closeKey(HKey key) { return RegCloseKey(native(key)); }

long WinRegistry::enumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t* type,
                            std::vector<std::uint8_t>* data) {
    // Value names are at most 16383 characters; the data buffer grows to
    // whatever size the registry asks for.
    std::vector<char> nameBuffer(16384);
    std::vector<std::uint8_t> dataBuffer(256);
    for (;;) {
        DWORD nameSize = static_cast<DWORD>(nameBuffer.size());
        DWORD dataSize = static_cast<DWORD>(dataBuffer.size());
        DWORD t = 0;
        LONG status = RegEnumValueA(native(key), index, nameBuffer.data(), &nameSize, nullptr, &t, dataBuffer.data(),
                                    &dataSize);
        if (status == ERROR_MORE_DATA && dataBuffer.size() < kLargestData) {
            dataBuffer.resize(std::max<std::size_t>(dataSize, dataBuffer.size() * 2));
            continue;
        }
        if (status != ERROR_SUCCESS) return status;
        if (name) name->assign(nameBuffer.data(), nameSize);
        if (type) *type = t;
        if (data) data->assign(dataBuffer.begin(), dataBuffer.begin() + dataSize);
        return status;
    }
}

}  // namespace varnel::platform
