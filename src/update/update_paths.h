#pragma once
// Names of the files an update moves around in the program folder.

#include <string>

namespace varnel {

// The two files that cannot be replaced while the main program runs; they
// wait in Temp for the updater. kMainProgramEntry is the main program's
// entry in a Windows release; use mainProgramEntry() for this platform's.
inline constexpr const char* kMainProgramEntry = "Varnel_Zize.exe";
inline constexpr const char* kDatabaseEntry = "Db\\Varnel.db";

// The main program's entry in manifests and the version table: its file name
// on the running platform ("Varnel_Zize" on Linux, "Varnel_Zize.exe" on
// Windows). Entries are file names, so a manifest made on another platform
// names another program: on Linux its "Varnel_Zize.exe" is an ordinary file,
// never taken for the program that runs here.
std::string mainProgramEntry();
// The updater's file name on the running platform.
std::string updaterFileName();
// Where the two files wait for the updater.
std::string mainProgramTempEntry();  // "Temp\" + mainProgramEntry()
inline constexpr const char* kDatabaseTempEntry = "Temp\\Varnel.db";

// The name under which the old copy of a file waits in Temp while its
// replacement downloads: the relative path with every "\" turned into "&".
// A path that holds "&" itself would come back with a folder break in its
// place, so its name starts with "&" (no plain backup name can: a path never
// starts with "\") and its own "&" and "%" are written "%26" and "%25".
std::string backupName(const std::string& relativePath);
// The relative path a backup name stands for.
std::string restoredPath(const std::string& backupName);

// A path from a manifest or a backup name may only name a file inside the
// program folder: relative, without drive or root, without "." or ".." parts.
bool isSafeRelativePath(const std::string& relativePath);

}  // namespace varnel
