#include "shell/frm_splash.h"

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

QString frmSplash::versionText() {
    return QStringLiteral("Ver. %1 - rev.%2").arg(VARNEL_VERSION_MAJOR).arg(VARNEL_VERSION_REVISION);
}

frmSplash::frmSplash(Role role) : SkinWindow(splashSetup()), role_(role) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral("Varnel Zize"));
    Label1 = new SkinLabel(this);
    Label1->setGeometry(layout::splash::Label1);
    lblwww = new SkinLabel(this);
    lblwww->setGeometry(layout::splash::lblwww);
    lblwww->setText(QString::fromLatin1(kMakerWebAddress).remove(QStringLiteral("https://")));
    lblwww->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblwww->setStyleSheet(QStringLiteral("color: #1a5fd0; text-decoration: underline; background: transparent;"));
    lblwww->setCursor(Qt::PointingHandCursor);
    Label1->setStyleSheet(QStringLiteral("background: transparent;"));
    QPalette ink = Label1->palette();
    ink.setColor(QPalette::WindowText, skinInkColour());
    Label1->setPalette(ink);
    connect(Label1, &SkinLabel::Click, this, [this] { Label1_Click(); });
    connect(SkinImage, &SkinLabel::Click, this, [this] { Label1_Click(); });
    connect(lblwww, &SkinLabel::Click, this, [this] { lblwww_Click(); });
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    setUpKeyboard();

    guarded(kLogLabel, [&] { Label1->setText(versionText()); });
    if (!isAboutBox()) guarded(kLogLabel, [&] { lblwww->hide(); });
}

void frmSplash::load() {
    guarded(kLogLabel, [&] { sLoader(); });
    if (isAboutBox()) return;
    guarded(kLogLabel, [&] { show(); });
    // The second counts from the end of the load step, however long the
    // single-instance check took.
    Timer1.start();
}

void frmSplash::unload() {
    Timer1.stop();
    hide();
    deleteLater();
}

void frmSplash::endSplashPhase() {
    Timer1.stop();
    if (!isAboutBox()) emit splashEnded();
    unload();
}

void frmSplash::Timer1_Timer() {
    if (isAboutBox()) return;
    endSplashPhase();
}

void frmSplash::Label1_Click() { endSplashPhase(); }

void frmSplash::lblwww_Click() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMakerWebAddress)));
    Label1_Click();
}

void frmSplash::setUpKeyboard() {
    KeyboardControl::attach(Label1, {{}, [this] { Label1_Click(); }});
    KeyboardControl::attach(lblwww, {{}, [this] { lblwww_Click(); }}, QAccessible::Link);
    setTabOrderChain({Label1, lblwww});
    // Escape closes like a click on the version.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [this] { Label1_Click(); });
}

}  // namespace varnel
