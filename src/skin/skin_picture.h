#pragma once
// Skin pictures: reading them from the program folder and cutting a button's
// outline out of its picture.

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <string_view>

namespace varnel {

// Windows measured their geometry in twips; the skin works in pixels.
inline constexpr int kTwipsPerPixel = 15;
constexpr int pixelsFromTwips(int twips) { return twips / kTwipsPerPixel; }

// Reads a picture of the program folder ("\\Build\\Buttons\\Exit.gif"),
// freshly from disk every time. Throws RuntimeError FileNotFound when the
// file is missing, InvalidPicture when it cannot be decoded.
// For a screen whose device pixel ratio is above 1 the twice as large
// picture beside it ("\\Build\\Buttons\\Exit@2x.gif") is read instead when
// there is one that decodes, with its device pixel ratio set to 2, so that it
// lays out at the size of the 1x picture. A skin without it is shown enlarged.
QImage loadSkinPicture(std::string_view relative, qreal devicePixelRatio = 1.0);

// The size a picture takes on screen, in 1x pixels.
QSize skinPictureSize(const QImage& picture);

// A picture ready to show on a screen of `devicePixelRatio`. A 2x picture on
// a screen of another ratio above 1 (1.25, 1.5) is scaled smoothly to the
// screen's own pixels here, rather than pixel by pixel when it is drawn.
QPixmap skinPixmap(const QImage& picture, qreal devicePixelRatio);

// A window icon from the program folder (every size the file holds); throws
// as loadSkinPicture does.
QIcon loadSkinIcon(std::string_view relative);

// The region of a picture's pixels that differ from its top-left pixel: one
// rectangle per run of such pixels in each row, united. Empty when the
// picture has no such pixel (or is null). Colours compare exactly, alpha
// included, so a GIF's transparent index never matches opaque black.
// Failures are logged as "TransPix" and give what was built so far.
QRegion TransPix(const QImage& picture);

// The outline of a picture in 1x pixels, the coordinates of a widget's mask:
// TransPix of a 1x picture; of a 2x picture, every 1x pixel any part of which
// differs from its top-left pixel, so no drawn part is ever cut away (the
// shipped 2x buttons keep their 1x outline, each pixel doubled, and give
// exactly the 1x outline).
QRegion skinOutline(const QImage& picture);

}  // namespace varnel
