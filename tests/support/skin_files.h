#pragma once
// Skin pictures for the window tests: the shipped image set copied into a
// test's program folder, and made-up GIF pictures.

#include <QImage>
#include <filesystem>
#include <string>

namespace varnel::test {

class TestEnvironment;

// The image set as it ships (data/Build in the source tree).
std::filesystem::path shippedSkinFolder();

// Copies the shipped image set into the test's program folder as Build/.
void copySkin(const TestEnvironment& env);

// Writes `picture` as a GIF (Qt reads GIF but cannot write it). Fully
// transparent pixels become the GIF's transparent index; at most 255 colours.
void writeGif(const std::filesystem::path& file, const QImage& picture);

}  // namespace varnel::test
