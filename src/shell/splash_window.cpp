#include "shell/splash_window.h"

#include <QDesktopServices>
#include <QShortcut>
#include <QUrl>

#include "core/log.h"
#include "core/maker.h"
#include "skin/keyboard_control.h"
#include "skin/skin_layout.h"
#include "skin/skin_style.h"

namespace varnel {

namespace {

constexpr const char* kLogLabel = "Splash_err";

SkinWindowSetup splashSetup() {
    return {"sLoader FrmSplash", QSize(299, 147), "\\build\\splash.gif", Placement::Splash, "\\build\\Icon\\Varnel.ico",
            false};
}

}  // namespace

QString SplashWindow::versionText() {
    return QStringLiteral("Ver. %1 - rev.%2").arg(VARNEL_VERSION_MAJOR).arg(VARNEL_VERSION_REVISION);
}

SplashWindow::SplashWindow(Role role) : SkinWindow(splashSetup()), role_(role) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral("Varnel Zize"));
    versionLabel = new SkinLabel(this);
    versionLabel->setGeometry(layout::splash::versionLabel);
    webAddressLabel = new SkinLabel(this);
    webAddressLabel->setGeometry(layout::splash::webAddressLabel);
    webAddressLabel->setText(QString::fromLatin1(kMakerWebAddress).remove(QStringLiteral("https://")));
    webAddressLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    webAddressLabel->setStyleSheet(QStringLiteral("color: #1a5fd0; text-decoration: underline; background: transparent;"));
    webAddressLabel->setCursor(Qt::PointingHandCursor);
    versionLabel->setStyleSheet(QStringLiteral("background: transparent;"));
    QPalette ink = versionLabel->palette();
    ink.setColor(QPalette::WindowText, skinInkColour());
    versionLabel->setPalette(ink);
    connect(versionLabel, &SkinLabel::clicked, this, [this] { dismiss(); });
    connect(skinPicture, &SkinLabel::clicked, this, [this] { dismiss(); });
    connect(webAddressLabel, &SkinLabel::clicked, this, [this] { openWebAddress(); });
    splashTimer.setInterval(1000);
    connect(&splashTimer, &QTimer::timeout, this, [this] { splashTimeUp(); });
    setUpKeyboard();

    guarded(kLogLabel, [&] { versionLabel->setText(versionText()); });
    if (!isAboutBox()) guarded(kLogLabel, [&] { webAddressLabel->hide(); });
}

void SplashWindow::load() {
    guarded(kLogLabel, [&] { loadSkin(); });
    if (isAboutBox()) return;
    guarded(kLogLabel, [&] { show(); });
    // The second counts from the end of the load step, however long the
    // single-instance check took.
    splashTimer.start();
}

void SplashWindow::unload() {
    splashTimer.stop();
    hide();
    deleteLater();
}

void SplashWindow::endSplashPhase() {
    splashTimer.stop();
    if (!isAboutBox()) emit splashEnded();
    unload();
}

void SplashWindow::splashTimeUp() {
    if (isAboutBox()) return;
    endSplashPhase();
}

void SplashWindow::dismiss() { endSplashPhase(); }

void SplashWindow::openWebAddress() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMakerWebAddress)));
    dismiss();
}

void SplashWindow::setUpKeyboard() {
    KeyboardControl::attach(versionLabel, {{}, [this] { dismiss(); }});
    KeyboardControl::attach(webAddressLabel, {{}, [this] { openWebAddress(); }}, QAccessible::Link);
    setTabOrderChain({versionLabel, webAddressLabel});
    // Escape closes like a click on the version.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [this] { dismiss(); });
}

}  // namespace varnel
