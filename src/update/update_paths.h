#pragma once
// Names of the files an update moves around in the program folder.

#include <string>

namespace varnel {

// The two files that cannot be replaced while the main program runs; they
// wait in Temp for the updater.
inline constexpr const char* kMainProgramEntry = "Varnel_Zize.exe";
inline constexpr const char* kDatabaseEntry = "Db\\Varnel.db";

// The name under which the old copy of a file waits in Temp while its
// replacement downloads: the relative path with every "\" turned into "&".
std::string backupName(const std::string& relativePath);
// The relative path a backup name stands for.
std::string restoredPath(const std::string& backupName);

// A path from a manifest or a backup name may only name a file inside the
// program folder: relative, without drive or root, without "." or ".." parts.
bool isSafeRelativePath(const std::string& relativePath);

}  // namespace varnel
