#include "skin/skin_picture.h"

#include <QFile>
#include <QImageReader>
#include <filesystem>

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

}  // namespace

QImage loadSkinPicture(std::string_view relative) {
    QImageReader reader(existingFile(relative));
    QImage picture = reader.read();
    if (picture.isNull()) raiseError(err::InvalidPicture);
    return picture;
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

}  // namespace varnel
