#include "support/skin_files.h"

#include <fstream>
#include <map>
#include <stdexcept>
#include <vector>

#include "support/test_env.h"

namespace varnel::test {

std::filesystem::path shippedSkinFolder() { return VARNEL_SKIN_SOURCE_DIR; }

void copySkin(const TestEnvironment& env) {
    std::filesystem::copy(shippedSkinFolder(), env.path("Build"),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

namespace {

void put16(std::vector<unsigned char>& out, int v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

// LZW stream of 9-bit codes that never lets the code table grow: a clear code
// before every 250 literals keeps every decoder at 9 bits.
std::vector<unsigned char> lzwLiterals(const std::vector<int>& indices) {
    const int clear = 256, end = 257;
    std::vector<unsigned char> bytes;
    unsigned long buffer = 0;
    int bits = 0;
    auto putCode = [&](int code) {
        buffer |= static_cast<unsigned long>(code) << bits;
        bits += 9;
        while (bits >= 8) {
            bytes.push_back(static_cast<unsigned char>(buffer & 0xFF));
            buffer >>= 8;
            bits -= 8;
        }
    };
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i % 250 == 0) putCode(clear);
        putCode(indices[i]);
    }
    putCode(end);
    if (bits > 0) bytes.push_back(static_cast<unsigned char>(buffer & 0xFF));
    return bytes;
}

}  // namespace

void writeGif(const std::filesystem::path& file, const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    std::map<QRgb, int> palette;
    std::vector<QRgb> colours;
    const int transparentIndex = 255;
    bool anyTransparent = false;
    std::vector<int> indices;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAlpha(c) == 0) {
                anyTransparent = true;
                indices.push_back(transparentIndex);
                continue;
            }
            auto [it, added] = palette.emplace(c, int(colours.size()));
            if (added) colours.push_back(c);
            if (colours.size() > 255) throw std::runtime_error("writeGif: more than 255 colours");
            indices.push_back(it->second);
        }
    }
    std::vector<unsigned char> out = {'G', 'I', 'F', '8', '9', 'a'};
    put16(out, image.width());
    put16(out, image.height());
    out.insert(out.end(), {0xF7, 0, 0});  // global table of 256 colours
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < int(colours.size()) ? colours[i] : qRgb(255, 0, 255);
        out.insert(out.end(), {static_cast<unsigned char>(qRed(c)), static_cast<unsigned char>(qGreen(c)),
                               static_cast<unsigned char>(qBlue(c))});
    }
    if (anyTransparent) out.insert(out.end(), {0x21, 0xF9, 0x04, 0x01, 0, 0, transparentIndex, 0});
    out.push_back(0x2C);
    put16(out, 0);
    put16(out, 0);
    put16(out, image.width());
    put16(out, image.height());
    out.push_back(0);
    out.push_back(8);  // minimum code size
    const std::vector<unsigned char> data = lzwLiterals(indices);
    for (size_t at = 0; at < data.size(); at += 255) {
        const size_t n = std::min<size_t>(255, data.size() - at);
        out.push_back(static_cast<unsigned char>(n));
        out.insert(out.end(), data.begin() + at, data.begin() + at + n);
    }
    out.push_back(0);
    out.push_back(0x3B);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(out.data()), out.size());
}

}  // namespace varnel::test
