#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

#include "skin/skin_button.h"
#include "skin/skin_picture.h"
#include "skin/skin_window.h"
#include "support/skin_files.h"
#include "support/test_env.h"

using namespace varnel;

namespace {

QRect screen() { return QGuiApplication::primaryScreen()->geometry(); }

SkinWindowSetup editorSpec() {
    return {"sLoader frmMain", {401, 250}, "\\Build\\window.gif", Placement::CentredOnScreen, {}, false};
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, target->mapFromGlobal(global), global, button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

}  // namespace

TEST(SkinWindow, SetUpGivesSizePictureTitleAndPlaceAndRunsAgainTheSame) {
    test::TestEnvironment env;
    test::copySkin(env);
    SkinWindow window(editorSpec());
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        window.loadSkin();
        EXPECT_EQ(window.size(), QSize(401, 250));
        EXPECT_EQ(window.minimumSize(), window.maximumSize());
        EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(window.skinPicture->geometry(), QRect(0, 0, 401, 250));
        EXPECT_EQ(window.skinPicture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                  loadSkinPicture("\\Build\\window.gif").convertToFormat(QImage::Format_RGB32));
        EXPECT_EQ(window.titleLabel->text(),
                  QString("Varnel Zize - ver %1.%2").arg(VARNEL_VERSION_MAJOR).arg(VARNEL_VERSION_MINOR));
        EXPECT_EQ(window.pos(), QPoint(screen().x() + (screen().width() - 401) / 2,
                                       screen().y() + (screen().height() - 250) / 2));
    }
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST(SkinWindow, AMissingPictureWritesOneLineAndTheWindowKeepsItsShape) {
    test::TestEnvironment env;
    SkinWindow window(editorSpec());
    window.loadSkin();
    EXPECT_EQ(env.readFile("Error.log"), "sLoader frmMain\t53\tFile not found\r\n");
    EXPECT_EQ(window.size(), QSize(401, 250));
    EXPECT_FALSE(window.titleLabel->text().isEmpty());
    EXPECT_EQ(window.pos().x(), screen().x() + (screen().width() - 401) / 2);
}

TEST(SkinWindow, PlacementRulesFollowTheEditorEvenWhenItIsHidden) {
    test::TestEnvironment env;
    test::copySkin(env);
    QWidget editor;
    editor.setGeometry(100, 80, 401, 250);
    editor.show();
    editor.hide();
    setEditorWindow(&editor);

    SkinWindow update({"sLoader frmUpdate", {401, 250}, "\\Build\\UpdateWindow.gif", Placement::BesideEditor, {}, false});
    update.loadSkin();
    EXPECT_EQ(update.pos(), QPoint(110, 90));

    SkinWindow box({"sLoader FrmMsgBox", {250, 100}, "\\Build\\msgBox.gif", Placement::CentredOverEditor, {}, false});
    box.loadSkin();
    EXPECT_EQ(box.pos(), QPoint(100 + 75, 80 + 75));

    SkinWindow updater({"sLoader Update.exe", {250, 100}, "\\Build\\MsgBox.gif", Placement::Unmoved, {}, false});
    updater.move(33, 44);
    updater.loadSkin();
    EXPECT_EQ(updater.pos(), QPoint(33, 44));

    SkinWindow splash({"sLoader FrmSplash", {299, 147}, "\\build\\splash.gif", Placement::Splash,
                       "\\build\\Icon\\Varnel.ico", false});
    splash.loadSkin();
    EXPECT_EQ(splash.size(), QSize(299, 147));
    EXPECT_EQ(splash.pos(), QPoint(screen().x() + screen().width() / 2 - 150, screen().y() + screen().height() / 2 - 75));
    EXPECT_FALSE(splash.windowIcon().isNull());

    // Without an editor the boxes centre on the screen.
    setEditorWindow(nullptr);
    box.loadSkin();
    EXPECT_EQ(box.pos(), QPoint(screen().x() + (screen().width() - 250) / 2,
                                screen().y() + (screen().height() - 100) / 2));
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST(SkinWindow, PressingTheTitleOrPictureWithAnyButtonMovesTheWindow) {
    test::TestEnvironment env;
    test::copySkin(env);
    SkinWindow window(editorSpec());
    window.loadSkin();
    window.move(100, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QPoint start = window.titleLabel->mapToGlobal(QPoint(20, 8));
    sendMouse(window.titleLabel, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    sendMouse(window.titleLabel, QEvent::MouseMove, start + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(130, 120));
    sendMouse(window.titleLabel, QEvent::MouseButtonRelease, start + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);
    sendMouse(window.titleLabel, QEvent::MouseMove, start + QPoint(90, 90), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window.pos(), QPoint(130, 120));

    const QPoint onPicture = window.skinPicture->mapToGlobal(QPoint(200, 150));
    sendMouse(window.skinPicture, QEvent::MouseButtonPress, onPicture, Qt::RightButton, Qt::RightButton);
    sendMouse(window.skinPicture, QEvent::MouseMove, onPicture - QPoint(50, 40), Qt::NoButton, Qt::RightButton);
    sendMouse(window.skinPicture, QEvent::MouseButtonRelease, onPicture - QPoint(50, 40), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(window.pos(), QPoint(80, 80));
}

// Runs at the scale of the test program's screen: 1, and again at 1.25, 1.5
// and 2 (QT_SCALE_FACTOR, tests/CMakeLists.txt).
TEST(SkinAtScale, TheWindowIsDrawnFromTheArtOfItsScaleAndButtonsKeepTheirOutline) {
    test::TestEnvironment env;
    test::copySkin(env);
    SkinWindow window(editorSpec());
    auto* browse = new BrowseButton(&window);
    browse->move(20, 100);
    window.loadSkin();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const qreal ratio = window.devicePixelRatioF();
    const QString art = QString::fromStdString(test::shippedSkinFolder().string()) + "/";
    const QImage browse1x(art + "Buttons/browse.gif");

    // In the screen's own pixels, laid out at the 1x size.
    const QPixmap picture = window.skinPicture->pixmap();
    EXPECT_EQ(picture.devicePixelRatio(), ratio);
    EXPECT_EQ(picture.size(), (QSizeF(401, 250) * ratio).toSize());
    EXPECT_EQ(window.skinPicture->geometry(), QRect(0, 0, 401, 250));
    EXPECT_EQ(browse->size(), QSize(26, 22));
    // The shape is cut in 1x pixels from the picture shown, and is the 1x outline.
    EXPECT_EQ(browse->mask(), TransPix(browse1x));

    if (ratio != 1 && ratio != 2) return;
    // Pixel for pixel the art of this scale: the mark at the foot of the
    // column, and the button's face inside its outline.
    const int k = int(ratio);
    const QImage grab = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage windowArt =
        QImage(art + (k == 1 ? "window.gif" : "window@2x.gif")).convertToFormat(QImage::Format_RGB32);
    const QImage browseArt = QImage(art + (k == 1 ? "Buttons/browse.gif" : "Buttons/browse@2x.gif"))
                                 .convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(grab.size(), windowArt.size());
    const QRect mark(QPoint(14, 206) * k, QSize(60, 30) * k);
    EXPECT_EQ(grab.copy(mark), windowArt.copy(mark));
    int compared = 0;
    for (int y = 0; y < browseArt.height(); ++y)
        for (int x = 0; x < browseArt.width(); ++x) {
            if (qAlpha(browseArt.pixel(x, y)) == 0) continue;
            ASSERT_EQ(grab.pixel(browse->pos() * k + QPoint(x, y)), browseArt.pixel(x, y)) << x << "," << y;
            ++compared;
        }
    EXPECT_GT(compared, browseArt.width() * browseArt.height() / 2);
}
