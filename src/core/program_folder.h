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

// Resolves a path relative to the program folder as the system writes it
// ("Db\\varnel.db", "\\Build\\Buttons\\Exit.gif"): either separator, an
// optional leading separator. A component that does not exist with the
// letter case written is looked up without regard to case, so "Db\\Varnel.db"
// and "db\\varnel.db" find the same file. Components that exist in no case
// are kept as written.
std::filesystem::path programPath(std::string_view relative);

// The same lookup below any folder.
std::filesystem::path resolveCaseInsensitive(const std::filesystem::path& base, std::string_view relative);

// The running program's file name without folder and extension ("Varnel_Zize").
std::string programBaseName();

}  // namespace varnel
