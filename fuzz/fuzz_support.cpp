#include "fuzz_support.h"

#include <unistd.h>

namespace varnel::fuzz {

namespace {

struct Scratch {
    std::filesystem::path folder;
    Scratch() {
        std::error_code ec;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        folder = base / ("varnel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder, ec);
        std::filesystem::create_directories(folder);
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

}  // namespace

const std::filesystem::path& scratchFolder() {
    static Scratch scratch;
    return scratch.folder;
}

std::vector<std::string> fields(const std::uint8_t* data, std::size_t size, std::size_t atLeast) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) out.emplace_back();
        else out.back().push_back(static_cast<char>(data[i]));
    }
    while (out.size() < atLeast) out.emplace_back();
    return out;
}

std::string printable(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void fail(std::string_view what, std::string_view detail) {
    std::fprintf(stderr, "\n*** %.*s\n", static_cast<int>(what.size()), what.data());
    if (!detail.empty()) std::fprintf(stderr, "    \"%s\"\n", printable(detail).c_str());
    std::error_code ec;
    std::filesystem::remove_all(scratchFolder(), ec);  // abort skips the exit handlers
    std::abort();
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xe ? 2 : (c >> 3) == 0x1e ? 3 : 99;
        if (n == 99 || (n == 1 && c < 0xc2) || i + n >= s.size() + (n ? 0 : 1)) return false;
        for (std::size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xc0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

}  // namespace varnel::fuzz
