#include "core/file_bytes.h"

#include <fstream>
#include <sstream>
#include <system_error>

namespace varnel {

std::optional<std::string> readFileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool replaceFileBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::path partial = file;
    partial += ".new";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << bytes;
        if (!out.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(partial, file, ec);
    return !ec;
}

}  // namespace varnel
