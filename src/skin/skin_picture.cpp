#include "skin/skin_picture.h"

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/program_folder.h"
#include "core/runtime_error.h"

namespace varnel {

namespace {

QString existingFile(std::string_view relative) {
    const std::filesystem::path path = programPath(relative);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) raiseError(err::FileNotFound);
    return QString::fromStdString(pathText(path));
}

// "\\Build\\window.gif" -> "\\Build\\window@2x.gif"
std::string doubleSizeName(std::string_view relative) {
    const size_t nameStart = relative.find_last_of("\\/") + 1;  // npos + 1 is 0
    size_t dot = relative.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart) dot = relative.size();
    return std::string(relative.substr(0, dot)) + "@2x" + std::string(relative.substr(dot));
}

QImage doubleSizePicture(std::string_view relative) {
    const std::filesystem::path path = programPath(doubleSizeName(relative));
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return {};
    QImage picture = QImageReader(QString::fromStdString(pathText(path))).read();
    picture.setDevicePixelRatio(2.0);
    return picture;
}

}  // namespace

QImage loadSkinPicture(std::string_view relative, qreal devicePixelRatio) {
    if (devicePixelRatio > 1.0) {
        // A broken 2x picture costs sharpness, not the picture.
        QImage sharp = doubleSizePicture(relative);
        if (!sharp.isNull()) return sharp;
    }
    QImageReader reader(existingFile(relative));
    QImage picture = reader.read();
    if (picture.isNull()) raiseError(err::InvalidPicture);
    return picture;
}

QSize skinPictureSize(const QImage& picture) {
    const qreal ratio = picture.devicePixelRatio();
    return {int(std::ceil(picture.width() / ratio)), int(std::ceil(picture.height() / ratio))};
}

QPixmap skinPixmap(const QImage& picture, qreal devicePixelRatio) {
    const qreal ratio = picture.devicePixelRatio();
    if (ratio <= 1.0 || devicePixelRatio <= 1.0 || qFuzzyCompare(ratio, devicePixelRatio))
        return QPixmap::fromImage(picture);
    const QSize logical = skinPictureSize(picture);
    const QSize pixels(qRound(logical.width() * devicePixelRatio), qRound(logical.height() * devicePixelRatio));
    QImage scaled = picture.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(devicePixelRatio);
    return QPixmap::fromImage(scaled);
}

QIcon loadSkinIcon(std::string_view relative) {
    const QString file = existingFile(relative);
    // QIcon accepts anything and shows nothing; check the file decodes.
    if (QImageReader(file).read().isNull()) raiseError(err::InvalidPicture);
    return QIcon(file);
}

QRegion TransPix(const QImage& picture) {
    QRegion result;
    guarded("TransPix", [&] {
        if (picture.isNull()) return;
        const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
        const int width = image.width();
        const int height = image.height();
        const QRgb transparent = image.pixel(0, 0);
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            int runStart = -1;
            for (int x = 0; x < width; ++x) {
                if (row[x] != transparent) {
                    if (runStart < 0) runStart = x;
                } else if (runStart >= 0) {
                    result += QRect(runStart, y, x - runStart, 1);
                    runStart = -1;
                }
            }
            // Runs end at the row's edge; none carries into the next row.
            if (runStart >= 0) result += QRect(runStart, y, width - runStart, 1);
        }
    });
    return result;
}

QRegion skinOutline(const QImage& picture) {
    const qreal ratio = picture.devicePixelRatio();
    if (ratio <= 1.0) return TransPix(picture);
    QRegion result;
    guarded("TransPix", [&] {
        const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
        const QRgb transparent = image.pixel(0, 0);
        const QSize logical = skinPictureSize(picture);
        // The picture's pixels [first, last) that 1x pixel i covers.
        auto first = [&](int i) { return int(std::floor(i * ratio)); };
        auto last = [&](int i, int limit) { return std::min(limit, int(std::ceil((i + 1) * ratio))); };
        std::vector<bool> drawn(size_t(image.width()));
        for (int y = 0; y < logical.height(); ++y) {
            std::fill(drawn.begin(), drawn.end(), false);
            for (int py = first(y); py < last(y, image.height()); ++py) {
                const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(py));
                for (int px = 0; px < image.width(); ++px)
                    if (row[px] != transparent) drawn[size_t(px)] = true;
            }
            int runStart = -1;
            for (int x = 0; x <= logical.width(); ++x) {
                bool any = false;
                if (x < logical.width())
                    for (int px = first(x); px < last(x, image.width()) && !any; ++px) any = drawn[size_t(px)];
                if (any && runStart < 0) runStart = x;
                if (!any && runStart >= 0) {
                    result += QRect(runStart, y, x - runStart, 1);
                    runStart = -1;
                }
            }
        }
    });
    return result;
}

}  // namespace varnel
