#include "shell/frm_splash.h"

#include <QShortcut>

#include "core/log.h"
#include "core/maker.h"
#include "core/program_folder.h"
#include "editor/frm_main.h"
#include "places/places_bar.h"
#include "places/settings_defaults.h"
#include "places/single_instance.h"
#include "platform/platform.h"
#include "shell/frm_tray.h"
#include "shell/program.h"
#include "skin/keyboard_control.h"
#include "skin/skin_layout.h"
#include "skin/skin_style.h"
#include "skin/system_message.h"

namespace varnel {

namespace {

frmSplash*& slot() {
    static frmSplash* splash = nullptr;
    return splash;
}

SkinWindowSetup splashSetup() {
    return {"sLoader FrmSplash", QSize(299, 147), "\\build\\splash.gif", Placement::Splash, "\\build\\Icon\\Varnel.ico",
            false};
}

}  // namespace

QString frmSplash::versionText() {
    return QStringLiteral("Ver. %1 - rev.%2").arg(VARNEL_VERSION_MAJOR).arg(VARNEL_VERSION_REVISION);
}

frmSplash::frmSplash(const QString& commandLine) : SkinWindow(splashSetup()), commandLine_(commandLine) {
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
}

frmSplash& frmSplash::startUp(const QString& commandLine) {
    unloadIfLoaded();
    slot() = new frmSplash(commandLine);
    slot()->Form_Load();
    return *slot();
}

void frmSplash::showAbout() {
    unloadIfLoaded();
    auto* splash = new frmSplash(QString());
    slot() = splash;
    splash->Form_Load();
    splash->showModal(ModalScope::Editor);
}

frmSplash* frmSplash::loaded() { return slot(); }

void frmSplash::unloadIfLoaded() {
    if (frmSplash* s = slot()) s->unload();
}

void frmSplash::unload() {
    Timer1.stop();
    if (slot() == this) slot() = nullptr;
    hide();
    deleteLater();
}

void frmSplash::Form_Load() {
    const std::string label = "Splash_err";
    guarded(label, [&] { Label1->setText(versionText()); });
    if (!AboutMode) {
        guarded(label, [&] { lblwww->hide(); });
        bool another = false;
        guarded(label, [&] { another = IsStarted(); });
        if (another) {
            showSystemMessage(QStringLiteral("Varnel_Zize"),
                              QString::fromStdString(programBaseName()) + QStringLiteral(" allready started."));
            endProgramNow(0);
        }
        guarded(label, [&] { TraceOn = commandLine_ == QLatin1String("loggaren"); });
        if (commandLine_ == QLatin1String("deletereg")) {
            deleteSettings(label);
            guarded(label, [&] {
                std::int16_t update = 0;
                setShortGroup(false, update);
            });
            endProgramNow(0);
        }
    }
    guarded(label, [&] { sLoader(); });
    guarded(label, [&] {
        if (!AboutMode) show();
    });
    // The second counts from the end of the load step, however long the
    // single-instance check took.
    if (!AboutMode) Timer1.start();
}

void frmSplash::endSplashPhase() {
    Timer1.stop();
    if (!AboutMode) {
        frmMain& editor = frmMain::instance();
        editor.show();
    }
    unload();
}

void frmSplash::Timer1_Timer() {
    if (AboutMode) return;
    endSplashPhase();
}

void frmSplash::Label1_Click() { endSplashPhase(); }

void frmSplash::lblwww_Click() {
    frmTray::instance().OpenWebPage(kMakerWebAddress, 1);
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
