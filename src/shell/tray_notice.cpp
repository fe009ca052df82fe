#include "shell/tray_notice.h"

#include <QElapsedTimer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>

#include "editor/group_editor.h"
#include "lang/text_table.h"
#include "shell/program.h"
#include "skin/message_boxes.h"

namespace varnel {

namespace {

// How long a panel may take to come up after the program at the start of a session.
constexpr qint64 kPanelGraceMs = 3000;

}  // namespace

void reportMissingTrayOnce(Program& program) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) return;
    // Started with the session, the program may come up before the panel
    // does: the icon then appears by itself, and nothing needs saying.
    QElapsedTimer since;
    since.start();
    auto* timer = new QTimer(&program);
    timer->setInterval(250);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, since, &program] {
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            timer->stop();
            return;
        }
        // The editor comes up after the splash; the text table is read by then.
        const GroupEditor* editor = program.loadedEditor();
        if (since.elapsed() < kPanelGraceMs || !editor || !editor->isVisible() || messageBoxShowing()) return;
        timer->stop();
        std::fputs("Varnel_Zize: this desktop has no notification area; the program goes on in its window.\n", stderr);
        // Not modal: the editor and the command line stay usable meanwhile.
        showNotice(Texts.NoTray);
    });
    timer->start();
}

}  // namespace varnel
