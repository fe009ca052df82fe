#include <gtest/gtest.h>

#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cctype>
#include <set>

#include "core/program_folder.h"
#include "core/runtime_error.h"
#include "skin/skin_picture.h"
#include "support/skin_files.h"
#include "support/test_env.h"

using namespace varnel;

namespace {

const QRgb Clear = qRgb(255, 0, 255);
const QRgb Ink = qRgb(20, 40, 60);

// A picture from rows of text: '.' the top-left colour, '#' ink, 'o' another ink.
QImage picture(const std::vector<std::string>& rows) {
    QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, rows[y][x] == '.' ? Clear : rows[y][x] == '#' ? Ink : qRgb(200, 10, 10));
    return image;
}

std::vector<QRect> rectsOf(const QRegion& region) { return {region.begin(), region.end()}; }

}  // namespace

TEST(TransPix, RunsPerRowReachTheRightEdgeAndNeverCarryIntoTheNextRow) {
    const QImage image = picture({
        "....##",  // run reaching the right edge
        ".##..#",  // two runs, the second in the last column
        "......",  // nothing
        "#o#...",  // a run of two inks starting at the left edge
    });
    const QRegion region = TransPix(image);
    QRegion expected;
    expected += QRect(4, 0, 2, 1);
    expected += QRect(1, 1, 2, 1);
    expected += QRect(5, 1, 1, 1);
    expected += QRect(0, 3, 3, 1);
    EXPECT_EQ(region, expected);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            EXPECT_EQ(region.contains(QPoint(x, y)), image.pixel(x, y) != Clear) << x << "," << y;
}

TEST(TransPix, NoOtherColourGivesAnEmptyRegion) {
    test::TestEnvironment env;
    EXPECT_TRUE(TransPix(picture({"....", "....", "...."})).isEmpty());
    EXPECT_TRUE(TransPix(QImage()).isEmpty());
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST(TransPix, SingleOpaquePixelInTheFarCorner) {
    const QRegion region = TransPix(picture({".....", ".....", "....#"}));
    EXPECT_EQ(rectsOf(region), std::vector<QRect>{QRect(4, 2, 1, 1)});
}

TEST(TransPix, TheTopLeftColourCutsHolesWhereverItRecurs) {
    const QRegion region = TransPix(picture({
        ".###",
        "#.##",
        "###.",
    }));
    EXPECT_FALSE(region.contains(QPoint(1, 1)));
    EXPECT_FALSE(region.contains(QPoint(3, 2)));
    EXPECT_TRUE(region.contains(QPoint(0, 1)));
    EXPECT_TRUE(region.contains(QPoint(2, 1)));
    EXPECT_EQ(region.boundingRect(), QRect(0, 0, 4, 3));
}

TEST(TransPix, TransparentPixelsNeverMatchOpaqueBlack) {
    // A GIF's transparent index decodes with alpha 0; black ink stays ink.
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(1, 0, qRgba(0, 0, 0, 255));
    image.setPixel(2, 0, qRgba(0, 0, 0, 0));
    EXPECT_EQ(rectsOf(TransPix(image)), std::vector<QRect>{QRect(1, 0, 1, 1)});
}

TEST(SkinPicture, MissingAndBrokenFilesRaiseTheirErrors) {
    test::TestEnvironment env;
    try {
        loadSkinPicture("\\Build\\window.gif");
        FAIL() << "no error for a missing picture";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::FileNotFound);
    }
    env.writeFile("Build/window.gif", "GIF89a but nothing after");
    try {
        loadSkinPicture("\\Build\\window.gif");
        FAIL() << "no error for a broken picture";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::InvalidPicture);
    }
}

TEST(SkinPicture, PathsAreFoundWithoutRegardToCase) {
    test::TestEnvironment env;
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Ink);
    test::writeGif(env.path("Build/Buttons/Exit.gif"), image);
    EXPECT_EQ(loadSkinPicture("\\build\\BUTTONS\\exit.GIF").size(), QSize(3, 2));
    EXPECT_EQ(loadSkinPicture("/Build/Buttons/Exit.gif").size(), QSize(3, 2));
}

// The shipped image set: every file the programs load, at the sizes the
// windows and buttons rely on.
TEST(SkinArtwork, EveryPictureIsThereAtItsSize) {
    test::TestEnvironment env;
    test::copySkin(env);
    const std::vector<std::pair<const char*, QSize>> windows = {
        {"\\Build\\window.gif", {401, 250}},       {"\\Build\\msgBox.gif", {250, 100}},
        {"\\Build\\MsgBox.gif", {250, 100}},       {"\\Build\\UpdateWindow.gif", {401, 250}},
        {"\\build\\splash.gif", {299, 147}},
    };
    for (const auto& [path, size] : windows) {
        SCOPED_TRACE(path);
        EXPECT_EQ(loadSkinPicture(path).size(), size);
    }
    for (const char* icon : {"\\build\\Icon\\Varnel.ico", "\\build\\Icon\\Tray.ico", "\\build\\Icon\\Update.ico"}) {
        SCOPED_TRACE(icon);
        QImageReader reader(QString::fromStdString(programPath(icon).string()));
        std::set<int> sizes;
        for (int i = 0; i < reader.imageCount(); ++i) {
            reader.jumpToImage(i);
            const QImage image = reader.read();
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image.width(), image.height());
            sizes.insert(image.width());
        }
        EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 64, 128, 256}));
    }
}

TEST(SkinArtwork, ButtonPicturesShareTheOutlineOfTheirNormalPicture) {
    test::TestEnvironment env;
    test::copySkin(env);
    const std::vector<std::vector<const char*>> families = {
        {"\\Build\\Buttons\\Button.gif", "\\Build\\Buttons\\Button_Down.gif"},
        {"\\Build\\Buttons\\browse.gif", "\\Build\\Buttons\\browse_down.gif", "\\Build\\Buttons\\browse_disabled.gif"},
        {"\\Build\\Buttons\\dustbin.gif", "\\Build\\Buttons\\dustbin_down.gif",
         "\\Build\\Buttons\\dustbin_disabled.gif"},
        {"\\Build\\Buttons\\Exit.gif", "\\Build\\Buttons\\Exit_down.gif"},
        {"\\Build\\Buttons\\Minimize.gif", "\\Build\\Buttons\\Minimize_down.gif"},
    };
    for (const auto& family : families) {
        const QImage normal = loadSkinPicture(family[0]);
        const QRegion outline = TransPix(normal);
        for (const char* path : family) {
            SCOPED_TRACE(path);
            const QImage image = loadSkinPicture(path);
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "top-left pixel is the transparent colour";
            EXPECT_EQ(image.size(), normal.size());
            EXPECT_EQ(TransPix(image), outline);
            EXPECT_FALSE(outline.contains(QPoint(0, 0)));
            EXPECT_TRUE(outline.contains(QPoint(normal.width() / 2, normal.height() / 2)));
            // The 2x picture beside it: twice the pixels, the same outline in 1x pixels.
            const QImage sharp = loadSkinPicture(path, 2.0);
            EXPECT_EQ(sharp.size(), normal.size() * 2);
            EXPECT_EQ(skinOutline(sharp), outline);
        }
    }
    EXPECT_EQ(loadSkinPicture("\\Build\\Buttons\\Button.gif").size(), QSize(80, 25));
}

TEST(SkinArtwork, NoTwoFilesDifferOnlyInCase) {
    std::set<std::string> seen;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(test::shippedSkinFolder())) {
        std::string lower = entry.path().string();
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_TRUE(seen.insert(lower).second) << entry.path();
    }
}
