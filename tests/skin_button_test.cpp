#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>
#include <QWindow>
#include <memory>

#include "skin/skin_button.h"
#include "skin/skin_picture.h"
#include "skin/caption_button.h"
#include "support/skin_files.h"
#include "support/test_env.h"

using namespace varnel;

namespace {

// An 80 x 25 button face with transparent corners; `shade` tells the looks apart.
QImage buttonFace(QRgb shade) {
    QImage image(80, 25, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(QRect(2, 0, 76, 25), QColor::fromRgb(shade));
    p.fillRect(QRect(0, 2, 80, 21), QColor::fromRgb(shade));
    return image;
}

QImage shown(const SkinButton& button) {
    return button.skinPicture->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage file(const char* relative) {
    return loadSkinPicture(relative).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A host window holding a button over a backdrop that records presses.
struct Host {
    QWidget window;
    QWidget* backdrop;
    int backdropPresses = 0;

    Host() {
        window.resize(200, 100);
        backdrop = new QWidget(&window);
        backdrop->setGeometry(window.rect());
        auto* counter = new PressCounter(this);
        counter->setParent(backdrop);
        backdrop->installEventFilter(counter);
    }
    void show() {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void pressAt(QPoint inWindow) {
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, inWindow);
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, inWindow);
    }

    struct PressCounter : QObject {
        Host* host;
        explicit PressCounter(Host* h) : host(h) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::MouseButtonPress) ++host->backdropPresses;
            return false;
        }
    };
};

}  // namespace

TEST(CaptionButton, TakesItsPictureSizeAndHoldsTheCaptionAtAFifthOfItsHeight) {
    test::TestEnvironment env;
    test::writeGif(env.path("Build/Buttons/Button.gif"), buttonFace(qRgb(230, 230, 230)));
    test::writeGif(env.path("Build/Buttons/Button_Down.gif"), buttonFace(qRgb(180, 180, 180)));
    QWidget host;
    CaptionButton button(&host);
    button.resize(300, 90);  // a host asking for another size still gets the picture's
    EXPECT_EQ(button.size(), QSize(80, 25));
    EXPECT_EQ(button.captionLabel->geometry().left(), 0);
    EXPECT_EQ(button.captionLabel->width(), 80);
    EXPECT_EQ(button.captionLabel->y(), 5);
    EXPECT_EQ(button.caption(), "txtButt");

    std::vector<std::string> seen;
    QObject::connect(&button, &SkinButton::mousePressed, [&](int b, int, float, float) {
        seen.push_back("down " + std::to_string(b));
    });
    QObject::connect(&button, &SkinButton::mouseReleased, [&](int b, int, float, float) {
        seen.push_back("up " + std::to_string(b));
    });
    QObject::connect(&button, &SkinButton::clicked, [&] {
        // The host's Click runs with the normal look already back.
        seen.push_back("click at " + std::to_string(button.captionLabel->y()));
    });

    QTest::mousePress(button.captionLabel, Qt::LeftButton, {}, QPoint(40, 8));
    EXPECT_EQ(button.captionLabel->y(), 6);
    EXPECT_EQ(shown(button), file("\\Build\\Buttons\\Button_Down.gif"));
    QTest::mouseRelease(button.captionLabel, Qt::LeftButton, {}, QPoint(40, 8));
    EXPECT_EQ(button.captionLabel->y(), 5);
    EXPECT_EQ(shown(button), file("\\Build\\Buttons\\Button.gif"));
    EXPECT_EQ(seen, (std::vector<std::string>{"down 1", "up 1", "click at 5"}));
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST(CaptionButton, DisabledCaptionIsGreyAndReEnablingMakesItBlack) {
    test::TestEnvironment env;
    test::copySkin(env);
    QWidget host;
    CaptionButton button(&host);
    button.setCaptionColour(Qt::red);
    button.setEnabled(false);
    EXPECT_FALSE(button.enabledState());
    EXPECT_FALSE(button.isEnabled());
    EXPECT_EQ(button.captionColour(), CaptionButton::disabledCaptionColour());
    button.setEnabled(true);
    EXPECT_EQ(button.captionColour(), QColor(Qt::black));

    // Disabling the whole host greys the caption as well.
    host.setEnabled(false);
    EXPECT_EQ(button.captionColour(), CaptionButton::disabledCaptionColour());
    host.setEnabled(true);
    EXPECT_EQ(button.captionColour(), QColor(Qt::black));
}

TEST(SkinButtons, DisabledLooksPerControl) {
    test::TestEnvironment env;
    test::copySkin(env);
    QWidget host;
    DeleteButton dustbin(&host);
    BrowseButton browse(&host);
    CloseButton exitButton(&host);
    MinimizeButton minimize(&host);

    dustbin.setEnabled(false);
    EXPECT_EQ(shown(dustbin), file("\\Build\\Buttons\\dustbin_disabled.gif"));
    dustbin.setEnabled(true);
    EXPECT_EQ(shown(dustbin), file("\\Build\\Buttons\\dustbin.gif"));

    // Through QWidget's own setter, as a host holding a QWidget* would do it.
    static_cast<QWidget&>(browse).setEnabled(false);
    EXPECT_EQ(shown(browse), file("\\Build\\Buttons\\browse_disabled.gif"));
    EXPECT_FALSE(browse.enabledState());
    browse.applyEnabled(true);
    EXPECT_EQ(shown(browse), file("\\Build\\Buttons\\browse.gif"));

    exitButton.setEnabled(false);
    minimize.setEnabled(false);
    EXPECT_EQ(shown(exitButton), file("\\Build\\Buttons\\Exit.gif"));
    EXPECT_EQ(shown(minimize), file("\\Build\\Buttons\\Minimize.gif"));
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST(SkinButtons, ADisabledButtonRaisesNothing) {
    test::TestEnvironment env;
    test::copySkin(env);
    Host host;
    auto* exitButton = new CloseButton(&host.window);
    exitButton->move(20, 20);
    int events = 0;
    QObject::connect(exitButton, &SkinButton::mousePressed, [&] { ++events; });
    QObject::connect(exitButton, &SkinButton::clicked, [&] { ++events; });
    host.show();
    exitButton->setEnabled(false);
    host.pressAt(QPoint(29, 29));
    EXPECT_EQ(events, 0);
    EXPECT_EQ(shown(*exitButton), file("\\Build\\Buttons\\Exit.gif"));
    exitButton->setEnabled(true);
    host.pressAt(QPoint(29, 29));
    EXPECT_EQ(events, 2);
}

TEST(SkinButtons, APressOnATransparentCornerGoesToWhatLiesBeneath) {
    test::TestEnvironment env;
    test::copySkin(env);
    Host host;
    auto* ok = new CaptionButton(&host.window);
    ok->move(10, 10);
    auto* exitButton = new CloseButton(&host.window);
    exitButton->move(150, 10);
    int okPresses = 0, exitPresses = 0;
    QObject::connect(ok, &SkinButton::mousePressed, [&] { ++okPresses; });
    QObject::connect(exitButton, &SkinButton::mousePressed, [&] { ++exitPresses; });
    host.show();

    // Bottom-left corner pixel of the caption area, and the close button's corner.
    host.pressAt(QPoint(10, 10 + 24));
    host.pressAt(QPoint(150, 10));
    EXPECT_EQ(okPresses, 0);
    EXPECT_EQ(exitPresses, 0);
    EXPECT_EQ(host.backdropPresses, 2);

    host.pressAt(QPoint(50, 22));
    host.pressAt(QPoint(159, 19));
    EXPECT_EQ(okPresses, 1);
    EXPECT_EQ(exitPresses, 1);
    EXPECT_EQ(host.backdropPresses, 2);
}

TEST(SkinButtons, AMissingPictureLogsOnceAndTheButtonStillWorks) {
    test::TestEnvironment env;
    QWidget host;
    CaptionButton button(&host);
    EXPECT_EQ(env.readFile("Error.log"), "initApp TightButt\t53\tFile not found\r\n");
    EXPECT_EQ(button.size(), QSize(80, 25));
    EXPECT_EQ(button.captionLabel->y(), 5);
    int clicks = 0;
    QObject::connect(&button, &SkinButton::clicked, [&] { ++clicks; });
    // Pressed and normal pictures are missing too: skipped without a line.
    QTest::mouseClick(button.captionLabel, Qt::LeftButton, {}, QPoint(40, 8));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(env.readFile("Error.log"), "initApp TightButt\t53\tFile not found\r\n");
}

TEST(SkinButtons, BrowseButtonLogsItsMethodFailuresTheOthersSkipThem) {
    test::TestEnvironment env;
    test::copySkin(env);
    std::filesystem::remove(env.path("Build/Buttons/browse_down.gif"));
    std::filesystem::remove(env.path("Build/Buttons/Exit_down.gif"));
    QWidget host;
    BrowseButton browse(&host);
    CloseButton exitButton(&host);
    int clicks = 0;
    QObject::connect(&browse, &SkinButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(browse.skinPicture, Qt::LeftButton, {}, QPoint(13, 11));
    QTest::mouseClick(exitButton.skinPicture, Qt::LeftButton, {}, QPoint(9, 9));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(env.readFile("Error.log"), "Browsbutt - mUpdown\t53\tFile not found\r\n");
    EXPECT_EQ(shown(browse), file("\\Build\\Buttons\\browse.gif"));
}

TEST(CaptionButton, DesignPropertiesLiveInTheCaptionLabel) {
    test::TestEnvironment env;
    test::copySkin(env);
    QWidget host;
    QFont hostFont = host.font();
    hostFont.setPointSize(11);
    host.setFont(hostFont);
    CaptionButton button(&host);
    EXPECT_EQ(button.Font().pointSize(), 11);  // the host's font until one is set
    EXPECT_EQ(button.captionColour(), host.palette().color(QPalette::ButtonText));

    // The stored defaults (no name, size 0) leave the font as it is.
    button.setFontName("");
    button.setFontSize(0);
    EXPECT_EQ(button.Font().pointSize(), 11);
    button.setFontBold(true);
    button.setFontUnderline(true);
    button.setFontSize(8);
    EXPECT_TRUE(button.captionLabel->font().bold());
    EXPECT_TRUE(button.captionLabel->font().underline());
    EXPECT_EQ(button.captionLabel->font().pointSize(), 8);
    EXPECT_FALSE(button.FontItalic());
    button.setCaption("");
    EXPECT_EQ(button.captionLabel->text(), "");
}
