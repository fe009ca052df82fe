// Whole files as bytes: read at once, and replaced by writing beside and renaming.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace varnel {

// The file's bytes, or nothing when it cannot be opened.
std::optional<std::string> readFileBytes(const std::filesystem::path& file);

// Writes `bytes` to file + ".new" and renames it over `file`, so a reader never
// meets half a file. False when either step failed.
bool replaceFileBytes(const std::filesystem::path& file, const std::string& bytes);

}  // namespace varnel
