#include "shell/target_notice.h"

#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>

#include "base/text.h"
#include "core/log.h"
#include "lang/text_table.h"
#include "shell/program.h"
#include "shell/tray_icon.h"
#include "skin/message_boxes.h"

namespace varnel {

namespace {

void tell(Program& program, const TargetReport& failed) {
    const std::string text = replaceAll(replaceAll(Texts.TargetFailed, "%1", failed.target), "%2", failed.reason);
    std::fprintf(stderr, "Varnel_Zize: %s\n", text.c_str());
    TrayIcon* tray = program.loadedTray();
    if (tray && tray->icon() && tray->icon()->isVisible() && QSystemTrayIcon::isSystemTrayAvailable() &&
        QSystemTrayIcon::supportsMessages()) {
        tray->icon()->showMessage(QStringLiteral("Varnel Zize"), QString::fromStdString(text),
                                  QSystemTrayIcon::Warning, 15000);
        return;
    }
    // Not modal: the editor and the command line stay usable meanwhile.
    showNotice(text);
}

}  // namespace

void tellTargetFailures(Program& program) {
    program.targets().onFailure([&program](const TargetReport& failed) {
        // After the step under way: the first apply comes in the editor's
        // load, before the language file is read and the icon shows.
        QTimer::singleShot(0, &program, [&program, failed] {
            if (!program.isShuttingDown()) guarded("DesktopPlaces", [&] { tell(program, failed); });
        });
    });
}

}  // namespace varnel
