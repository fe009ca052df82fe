#include "skin/skin_window.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHideEvent>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include "core/log.h"
#include "skin/accessible_skin.h"
#include "skin/skin_picture.h"
#include "skin/window_drag.h"

namespace varnel {

namespace {

// The mark the group editor carries: boxes find it among the windows.
constexpr const char* kEditorMark = "varnelGroupEditor";

// The whole screen, not the work area: the windows centre on the screen.
QRect screenRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

void setEditorWindow(QWidget* editor) {
    for (QWidget* window : QApplication::topLevelWidgets()) window->setProperty(kEditorMark, QVariant());
    if (editor) editor->setProperty(kEditorMark, true);
}

QWidget* editorWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->property(kEditorMark).toBool()) return window;
    return nullptr;
}

QString mainWindowTitle() {
    return QStringLiteral("Varnel Zize - ver %1.%2").arg(VARNEL_VERSION_MAJOR).arg(VARNEL_VERSION_MINOR);
}

QPoint placementFor(Placement rule, QSize size, QPoint current) {
    const QRect screen = screenRect();
    const QPoint onScreen(screen.x() + (screen.width() - size.width()) / 2,
                          screen.y() + (screen.height() - size.height()) / 2);
    const QWidget* editor = editorWindow();
    // A hidden editor keeps its geometry, so boxes still follow its last place.
    const QRect e = editor ? editor->geometry() : QRect();
    const QPoint overEditor =
        editor ? QPoint(e.x() + (e.width() - size.width()) / 2, e.y() + (e.height() - size.height()) / 2) : onScreen;
    switch (rule) {
    case Placement::CentredOnScreen: return onScreen;
    case Placement::CentredOverEditor: return overEditor;
    case Placement::BesideEditor: return overEditor + QPoint(pixelsFromTwips(150), pixelsFromTwips(150));
    case Placement::Splash:
        // Placed before its size is known: centres a 300 x 150 window.
        return QPoint(screen.x() + screen.width() / 2 - 150, screen.y() + screen.height() / 2 - 75);
    case Placement::Unmoved: return current;
    }
    return current;
}

SkinWindow::SkinWindow(SkinWindowSetup setup, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::FramelessWindowHint), setup_(std::move(setup)) {
    installSkinAccessibility();
    resize(setup_.size);

    skinPicture = new SkinLabel(this);
    skinPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    skinPicture->setGeometry(QRect(QPoint(0, 0), setup_.size));

    titleLabel = new SkinLabel(this);
    titleLabel->setGeometry(7, 5, setup_.size.width() - 67, 19);
    titleLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont titleFont = titleLabel->font();
    titleFont.setBold(true);
    titleLabel->setFont(titleFont);
    QPalette titlePalette = titleLabel->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::white);
    titleLabel->setPalette(titlePalette);

    if (setup_.placement == Placement::Splash) {
        titleLabel->hide();
    } else {
        makeDragSurface(skinPicture);
        makeDragSurface(titleLabel);
    }
}

bool SkinWindow::step(const std::function<void()>& statement) { return guarded(setup_.logLabel, statement); }

void SkinWindow::loadSkin() {
    if (setup_.placement == Placement::Splash) {
        loadSplash();
    } else {
        loadWindow();
    }
}

void SkinWindow::loadWindow() {
    if (!setup_.icon.empty()) step([&] { setWindowIcon(loadSkinIcon(setup_.icon)); });
    if (setup_.textsFirst) writeTexts();
    step([&] { setFixedSize(setup_.size); });
    // Unscaled from the top-left corner; a picture of another size is not stretched.
    step([&] { showSkinPicture(); });
    step([&] { skinPicture->setGeometry(QRect(QPoint(0, 0), setup_.size)); });
    if (!setup_.textsFirst) writeTexts();
    step([&] { place(); });
}

void SkinWindow::loadSplash() {
    if (!setup_.icon.empty()) step([&] { setWindowIcon(loadSkinIcon(setup_.icon)); });
    step([&] { place(); });
    step([&] { showSkinPicture(); });
    // The surface keeps its design size; the picture is not measured.
    step([&] { setFixedSize(setup_.size); });
    step([&] { skinPicture->setGeometry(QRect(QPoint(0, 0), setup_.size)); });
}

void SkinWindow::showSkinPicture() {
    const qreal ratio = devicePixelRatioF();
    skinPicture->setPixmap(skinPixmap(loadSkinPicture(setup_.picture, ratio), ratio));
}

void SkinWindow::writeTexts() {
    step([&] {
        titleLabel->setText(mainWindowTitle());
        setWindowTitle(titleLabel->text());
    });
}

void SkinWindow::place() { move(placementFor(setup_.placement, setup_.size, pos())); }

namespace {
bool& modalWaitsEnded() {
    static bool ended = false;
    return ended;
}
}  // namespace

void setModalWaitsEnded(bool ended) { modalWaitsEnded() = ended; }

void SkinWindow::showModal(ModalScope scope) {
    QPointer<SkinWindow> self(this);
    const QPointer<QWidget> previous = QApplication::activeWindow();
    QEventLoop loop;
    connect(this, &SkinWindow::hidden, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    QWidget* editor = editorWindow();
    if (scope == ModalScope::Editor && editor && editor != this) {
        // A window-modal window blocks its transient parent chain only.
        winId();
        editor->winId();
        windowHandle()->setTransientParent(editor->windowHandle());
        setWindowModality(Qt::WindowModal);
    } else {
        setWindowModality(Qt::ApplicationModal);
    }
    show();
    // A box opened from the keyboard shows where its focus is at once (set
    // after show(), which clears it).
    if (previous && previous->testAttribute(Qt::WA_KeyboardFocusChange)) setAttribute(Qt::WA_KeyboardFocusChange);
    activateWindow();
    if (isVisible() && !modalWaitsEnded()) loop.exec(QEventLoop::DialogExec);
    if (self && !isVisible()) setWindowModality(Qt::NonModal);
    // The keyboard goes back to the window it came from, also where no
    // window manager hands it back.
    if (previous && previous != self && previous->isVisible()) previous->activateWindow();
}

void SkinWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Minimising also hides; only a real hide ends a modal showing.
    if (!isVisible()) emit hidden();
}

}  // namespace varnel
