#pragma once
// The program folder: the folder that holds the running program file. Every
// file the system keeps (database, languages, skin, logs, Temp) lives there.

#include <filesystem>
#include <string_view>

#include "core/path_text.h"

namespace varnel {

const std::filesystem::path& programFolder();

// Points the program folder elsewhere (the test suite's temporary folders).
void setProgramFolder(const std::filesystem::path& folder);

// Whether the program may write into its own folder. A system-wide install
// may not: everything but the programs, the language files and the skin (the
// group database, the logs, Temp, the manifest) then lives in the user's data
// folder instead.
bool programFolderWritable();
// The folder the program writes into: the program folder, or the user's
// data folder when the program folder is read-only.
std::filesystem::path dataFolder();
// Makes the user's data folder of a read-only install ready, copying the
// shipped group database there on the first start; nothing to do otherwise.
void prepareDataFolder();

// Resolves a path relative to the program folder as the system writes it
// ("Db\\varnel.db", "\\Build\\Buttons\\Exit.gif"): either separator, an
// optional leading separator. A component that does not exist with the
// letter case written is looked up without regard to case, so "Db\\Varnel.db"
// and "db\\varnel.db" find the same file. Components that exist in no case
// are kept as written. Below a read-only program folder, everything but the
// programs, "Language" and "Build" resolves below dataFolder().
std::filesystem::path programPath(std::string_view relative);

// The same lookup below any folder.
std::filesystem::path resolveCaseInsensitive(const std::filesystem::path& base, std::string_view relative);

// The running program's file name without folder and extension ("Varnel_Zize");
// the whole file name where the platform gives programs no extension.
std::string programBaseName();

}  // namespace varnel
