#pragma once
// The files of a release, in the order the manifest lists them: the files of
// every folder one, two and three levels below the release folder (each
// folder followed by the folders below it), then the release folder's own
// files. Folders and files come in name order; hidden entries (names
// starting with ".") and symbolic links are left out.

#include <filesystem>
#include <string>
#include <vector>

namespace varnel {

// Folders one to three levels below `root`, depth first.
std::vector<std::filesystem::path> releaseFolders(const std::filesystem::path& root);

// Paths relative to `root`, "\" between folder names.
std::vector<std::string> releaseFiles(const std::filesystem::path& root);

}  // namespace varnel
