#pragma once
// The release manifest Update.upd: one line per file ("path", TAB, "|", TAB,
// version), optional "Message" lines with a text for the update window, empty
// lines anywhere.

#include <optional>
#include <string>
#include <vector>

namespace varnel {

struct ManifestEntry {
    std::string file;     // relative to the program folder, "\" between folders
    std::string version;  // compared as text
};

struct Manifest {
    std::vector<ManifestEntry> entries;  // in file order
    std::optional<std::string> message;  // the last non-empty Message text
};

// Reads the manifest text. A line's key is the text before its first "|"
// (blanks around it and TABs removed); its value is the line without every
// occurrence of the key, without TABs and "|", trimmed. Lines without "|"
// are not entries.
Manifest parseManifest(const std::string& text);

// The manifest line the release builder writes for one file.
std::string manifestLine(const std::string& file, const std::string& version);

}  // namespace varnel
