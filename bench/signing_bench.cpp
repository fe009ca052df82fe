// Verifying a downloaded file against its signed SHA-256: one 100 MB file
// read from disk and hashed, as the updater checks Temp's files.
#include <fstream>

#include "bench_util.h"
#include "update/release_signature.h"

using namespace varnel;

int main() {
    const auto folder = bench::tempFolder("signing");
    const auto file = folder / "big.bin";
    {
        std::ofstream out(file, std::ios::binary);
        std::string block(1 << 20, '\0');
        for (int i = 0; i < 100; ++i) {
            for (size_t j = 0; j < block.size(); ++j) block[j] = static_cast<char>(i * 31 + j * 7);
            out << block;
        }
    }
    const Sha256Digest expected = sha256OfFile(file).value();
    bool matched = true;
    const double us = bench::medianMicroseconds(7, [&] { matched = matched && sha256OfFile(file) == expected; });
    if (!matched) {
        std::fprintf(stderr, "digest changed between runs\n");
        return 1;
    }
    bench::report("verify_100MB_file_sha256", us / 1e6, "s");
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
