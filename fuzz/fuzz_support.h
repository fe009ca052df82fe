#pragma once
// What the fuzz targets share: a private folder per process, the fields of
// an input, and a failure that libFuzzer records as a finding.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varnel::fuzz {

// A folder of this process under /dev/shm (or the temporary folder), removed at exit.
const std::filesystem::path& scratchFolder();

// The input cut at its NUL bytes: texts as the programs pass them (C strings).
std::vector<std::string> fields(const std::uint8_t* data, std::size_t size, std::size_t atLeast = 0);

// Prints what broke (with the texts involved, escaped) and aborts: a finding.
[[noreturn]] void fail(std::string_view what, std::string_view detail = {});

// A text with control bytes and quotes shown as escapes, for messages.
std::string printable(std::string_view text);

bool isValidUtf8(std::string_view text);

}  // namespace varnel::fuzz
