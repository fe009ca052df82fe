#include "platform/win/win_registry.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/win/wide_text.h"

namespace varnel::platform {

namespace {

// The engine names the predefined hives by their 32-bit handle values;
// Windows sign-extends them on 64-bit, so map both ways.
HKEY native(HKey key) {
    if (key == HKEY_CURRENT_USER_HANDLE) return HKEY_CURRENT_USER;
    if (key == HKEY_LOCAL_MACHINE_HANDLE) return HKEY_LOCAL_MACHINE;
    return reinterpret_cast<HKEY>(key);
}

HKey portable(HKEY key) {
    if (key == HKEY_CURRENT_USER) return HKEY_CURRENT_USER_HANDLE;
    if (key == HKEY_LOCAL_MACHINE) return HKEY_LOCAL_MACHINE_HANDLE;
    return reinterpret_cast<HKey>(key);
}

long opened(LONG status, HKEY handle, HKey* result) {
    *result = status == ERROR_SUCCESS ? portable(handle) : 0;
    return status;
}

constexpr std::size_t kLargestData = 64u << 20;

bool isText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// A text value's UTF-16 data as the system's UTF-8, NULs and all.
std::string textData(const std::vector<std::uint8_t>& bytes, DWORD size) {
    std::wstring wide(size / sizeof(wchar_t), L'\0');
    std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(wchar_t));
    return narrow(wide);
}

// Reads a whole value with the wide function, growing the buffer as asked.
LONG readValue(HKEY key, const std::wstring& name, DWORD* type, std::vector<std::uint8_t>* bytes, DWORD* size) {
    bytes->resize(256);
    for (;;) {
        DWORD n = static_cast<DWORD>(bytes->size());
        LONG status = RegQueryValueExW(key, name.c_str(), nullptr, type, bytes->data(), &n);
        if (status == ERROR_MORE_DATA && bytes->size() < kLargestData) {
            bytes->resize(std::max<std::size_t>(n, bytes->size() * 2));
            continue;
        }
        *size = n;
        return status;
    }
}

// Hands a result to a caller's buffer the way the ANSI functions do: with a
// buffer too small (or none) only the size needed is reported.
long deliver(const std::string& value, std::uint8_t* data, std::uint32_t* size) {
    const auto needed = static_cast<std::uint32_t>(value.size());
    if (!size) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    const bool fits = *size >= needed;
    *size = needed;
    if (!data) return ERROR_SUCCESS;
    if (!fits) return ERROR_MORE_DATA;
    std::memcpy(data, value.data(), value.size());
    return ERROR_SUCCESS;
}

}  // namespace

// Texts cross as UTF-16 through the wide functions; key names, value names
// and text data are the system's UTF-8 on this side.

long WinRegistry::openKey(HKey root, const std::string& subKey, HKey* result) {
    HKEY handle = nullptr;
    LONG status = RegOpenKeyW(native(root), widen(subKey).c_str(), &handle);
    return opened(status, handle, result);
}

long WinRegistry::createKey(HKey root, const std::string& subKey, HKey* result) {
    HKEY handle = nullptr;
    LONG status = RegCreateKeyW(native(root), widen(subKey).c_str(), &handle);
    return opened(status, handle, result);
}

long WinRegistry::queryValue(HKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* size) {
    const std::wstring wideName = widen(name);
    DWORD t = 0;
    LONG status = RegQueryValueExW(native(key), wideName.c_str(), nullptr, &t, nullptr, nullptr);
    if (status != ERROR_SUCCESS || !isText(t)) {
        DWORD n = size ? *size : 0;
        status = RegQueryValueExW(native(key), wideName.c_str(), nullptr, &t, data, size ? &n : nullptr);
        if (type) *type = t;
        if (size) *size = n;
        return status;
    }
    std::vector<std::uint8_t> bytes;
    DWORD n = 0;
    status = readValue(native(key), wideName, &t, &bytes, &n);
    if (type) *type = t;
    if (status != ERROR_SUCCESS) return status;
    return deliver(isText(t) ? textData(bytes, n) : std::string(bytes.begin(), bytes.begin() + n), data, size);
}

long WinRegistry::setValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                           std::uint32_t size) {
    if (!isText(type) || !data)
        return RegSetValueExW(native(key), widen(name).c_str(), 0, type, data, size);
    const std::wstring wide = widen(std::string_view(reinterpret_cast<const char*>(data), size));
    return RegSetValueExW(native(key), widen(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(wide.data()),
                          static_cast<DWORD>(wide.size() * sizeof(wchar_t)));
}

long WinRegistry::deleteKey(HKey key, const std::string& subKey) {
    return RegDeleteKeyW(native(key), widen(subKey).c_str());
}

long WinRegistry::deleteValue(HKey key, const std::string& name) {
    return RegDeleteValueW(native(key), widen(name).c_str());
}

long WinRegistry::enumKey(HKey key, std::uint32_t index, char* name, std::uint32_t nameSize) {
    // Key names are at most 255 characters.
    wchar_t wide[256];
    LONG status = RegEnumKeyW(native(key), index, wide, 256);
    if (status != ERROR_SUCCESS) return status;
    const std::string text = narrow(wide);
    if (!name || text.size() + 1 > nameSize) return ERROR_MORE_DATA;
    std::memcpy(name, text.c_str(), text.size() + 1);
    return ERROR_SUCCESS;
}

long WinRegistry::closeKey(HKey key) { return RegCloseKey(native(key)); }

long WinRegistry::enumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t* type,
                            std::vector<std::uint8_t>* data) {
    // Value names are at most 16383 characters; the data buffer grows to
    // whatever size the registry asks for.
    std::vector<wchar_t> nameBuffer(16384);
    std::vector<std::uint8_t> dataBuffer(256);
    for (;;) {
        DWORD nameSize = static_cast<DWORD>(nameBuffer.size());
        DWORD dataSize = static_cast<DWORD>(dataBuffer.size());
        DWORD t = 0;
        LONG status = RegEnumValueW(native(key), index, nameBuffer.data(), &nameSize, nullptr, &t, dataBuffer.data(),
                                    &dataSize);
        if (status == ERROR_MORE_DATA && dataBuffer.size() < kLargestData) {
            dataBuffer.resize(std::max<std::size_t>(dataSize, dataBuffer.size() * 2));
            continue;
        }
        if (status != ERROR_SUCCESS) return status;
        if (name) *name = narrow(std::wstring_view(nameBuffer.data(), nameSize));
        if (type) *type = t;
        if (data) {
            if (isText(t)) {
                const std::string text = textData(dataBuffer, dataSize);
                data->assign(text.begin(), text.end());
            } else {
                data->assign(dataBuffer.begin(), dataBuffer.begin() + dataSize);
            }
        }
        return status;
    }
}

}  // namespace varnel::platform
