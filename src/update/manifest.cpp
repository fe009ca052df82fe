#include "update/manifest.h"

#include "base/text.h"

namespace varnel {

Manifest parseManifest(const std::string& text) {
    Manifest manifest;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        size_t bar = line.find('|');
        if (bar == std::string::npos) continue;

        std::string key = trimBlanks(removeAll(trimBlanks(line.substr(0, bar)), '\t'));
        std::string value = trimBlanks(removeAll(removeAll(replaceAll(line, key, ""), '\t'), '|'));
        if (key == "Message") {
            if (!value.empty()) manifest.message = value;
            continue;
        }
        manifest.entries.push_back({key, value});
    }
    return manifest;
}

std::string manifestLine(const std::string& file, const std::string& version) {
    return file + "\t|\t" + version + "\r\n";
}

}  // namespace varnel
