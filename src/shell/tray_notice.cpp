#include "shell/tray_notice.h"

#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>

#include "editor/frm_main.h"
#include "lang/text_table.h"
#include "shell/program.h"
#include "skin/message_boxes.h"

namespace varnel {

void reportMissingTrayOnce(QObject* context) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) return;
    std::fputs("Varnel_Zize: this desktop has no notification area; the program goes on in its window.\n", stderr);
    // The editor comes up after the splash; the text table is read by then.
    auto* timer = new QTimer(context);
    timer->setInterval(200);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        const frmMain* editor = frmMain::loaded();
        if (!editor || !editor->isVisible() || messageBoxShowing()) return;
        timer->stop();
        timer->deleteLater();
        // Not modal: the editor and the command line stay usable meanwhile.
        MsgText = Texts.NoTray;
        frmMsgBoxAlert& box = frmMsgBoxAlert::instance();
        box.sLoader();
        box.show();
        box.activateWindow();
    });
    timer->start();
}

}  // namespace varnel
