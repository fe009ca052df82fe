#pragma once
// Skin pictures: reading them from the program folder and cutting a button's
// outline out of its picture.

#include <QIcon>
#include <QImage>
#include <QRegion>
#include <string_view>

namespace varnel {

// Windows measured their geometry in twips; the skin works in pixels.
inline constexpr int kTwipsPerPixel = 15;
constexpr int pixelsFromTwips(int twips) { return twips / kTwipsPerPixel; }

// Reads a picture of the program folder ("\\Build\\Buttons\\Exit.gif"),
// freshly from disk every time. Throws RuntimeError FileNotFound when the
// file is missing, InvalidPicture when it cannot be decoded.
QImage loadSkinPicture(std::string_view relative);

// A window icon from the program folder (every size the file holds); throws
// as loadSkinPicture does.
QIcon loadSkinIcon(std::string_view relative);

// The region of a picture's pixels that differ from its top-left pixel: one
// rectangle per run of such pixels in each row, united. Empty when the
// picture has no such pixel (or is null). Colours compare exactly, alpha
// included, so a GIF's transparent index never matches opaque black.
// Failures are logged as "TransPix" and give what was built so far.
QRegion TransPix(const QImage& picture);

}  // namespace varnel
