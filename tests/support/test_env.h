#pragma once
// A private world for one test: a temporary program folder, a registry of
// its own (never the user's), and the program-wide switches reset.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace varnel::test {

class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path path(const std::string& relative) const { return folder_ / relative; }
    std::string readFile(const std::string& relative) const;
    void writeFile(const std::string& relative, const std::string& content) const;
    bool exists(const std::string& relative) const { return std::filesystem::exists(path(relative)); }

private:
    std::filesystem::path folder_;
};

// Points the engine at a fresh, empty registry kept inside `folder`: on Linux
// a REGEDIT4 store file, on Windows a private key tree.
void installTestRegistry(const std::filesystem::path& folder);
// Removes what installTestRegistry created.
void removeTestRegistry();

// Every key below `keyPath` of the current user's hive with its values, one
// line each, as "Key\\Path" or "Key\\Path|name=TYPE:value", in enumeration
// order. Comparing two snapshots compares the store key by key, value by value.
std::vector<std::string> registrySnapshot(const std::string& keyPath = "");

// A folder path written with "/" in the platform's place separator.
std::string sep(const std::string& path);

// The lines of a text split on CR LF.
std::vector<std::string> crlfLines(const std::string& text);

}  // namespace varnel::test
