#pragma once
// The registry as the system uses it: the eight calls of the Windows registry
// API, with their return codes. On Windows they go straight to advapi32; on
// Linux a REGEDIT4 file plays the current user's hive.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/problem_report.h"

namespace varnel::platform {

using HKey = std::uintptr_t;

inline constexpr HKey HKEY_CURRENT_USER_HANDLE = 0x80000001u;
// The machine's hive: Windows maps it to the real one; the Linux store keeps
// only the current user's and refuses it like any unknown handle.
inline constexpr HKey HKEY_LOCAL_MACHINE_HANDLE = 0x80000002u;

namespace regerr {
inline constexpr long Success = 0;
inline constexpr long FileNotFound = 2;
inline constexpr long AccessDenied = 5;
inline constexpr long InvalidHandle = 6;
inline constexpr long InvalidParameter = 87;
inline constexpr long MoreData = 234;
inline constexpr long NoMoreItems = 259;
inline constexpr long KeyDeleted = 1018;
inline constexpr long WriteFault = 29;
}  // namespace regerr

namespace regtype {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Sz = 1;
inline constexpr std::uint32_t ExpandSz = 2;
inline constexpr std::uint32_t Binary = 3;
inline constexpr std::uint32_t Dword = 4;
inline constexpr std::uint32_t MultiSz = 7;
}  // namespace regtype

class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;

    // RegOpenKeyA: opens an existing key; *result is 0 on failure.
    virtual long openKey(HKey root, const std::string& subKey, HKey* result) = 0;
    // RegCreateKeyA: opens the key, creating it and any missing parents first.
    virtual long createKey(HKey root, const std::string& subKey, HKey* result) = 0;
    // RegQueryValueExA: with data null only *type and *size are reported;
    // a buffer smaller than the value gives MoreData and the needed size.
    virtual long queryValue(HKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* size) = 0;
    // RegSetValueExA.
    virtual long setValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t size) = 0;
    // RegDeleteKeyA: removes a sub-key that has no sub-keys of its own.
    virtual long deleteKey(HKey key, const std::string& subKey) = 0;
    // RegDeleteValueA.
    virtual long deleteValue(HKey key, const std::string& name) = 0;
    // RegEnumKeyA: the name of the sub-key at index, NUL-terminated into name.
    virtual long enumKey(HKey key, std::uint32_t index, char* name, std::uint32_t nameSize) = 0;
    // RegCloseKey.
    virtual long closeKey(HKey key) = 0;

    // RegEnumValueA: name, type and data of the value at index (the
    // organisation's policy, the programs' groups, snapshots of a store).
    virtual long enumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t* type,
                           std::vector<std::uint8_t>* data) = 0;

    // Changes between these two reach the store together at the end, where
    // writing one costs a flushed file (the Linux store); other processes
    // see all of them or none. Calls may nest; the outermost pair counts.
    virtual void beginChanges() {}
    virtual void endChanges() {}

    // Where the store's own problems go (a file it cannot read or write, a
    // name it refuses); without a report they are not told anywhere.
    void setProblemReport(ProblemReport report) { report_ = std::move(report); }

protected:
    void reportProblem(const Problem& problem) const {
        if (report_) report_(problem);
    }

private:
    ProblemReport report_;
};

}  // namespace varnel::platform
