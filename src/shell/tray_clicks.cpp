#include "shell/tray_clicks.h"

#ifdef VARNEL_WITH_QTDBUS
#include <QDBusConnection>
#include <QDBusInterface>
#endif

namespace varnel {

bool trayReportsDoubleClicks() {
#ifdef VARNEL_WITH_QTDBUS
    // The test Qt makes when it creates a tray icon: with a registered
    // StatusNotifierItem host it shows the icon through that host instead of
    // the X11 notification area.
    QDBusInterface watcher(QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
                           QStringLiteral("org.kde.StatusNotifierWatcher"), QDBusConnection::sessionBus());
    if (watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool()) return false;
#endif
    return true;
}

}  // namespace varnel
