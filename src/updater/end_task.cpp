#include "updater/end_task.h"

#include <QFileInfo>

#include "core/events.h"
#include "shell/close_channel.h"
#include "updater/message_box.h"

namespace varnel::updater {

bool EndTask(const std::string& title) {
    const QString name = QString::fromStdString(title);
    // The channel's socket file stands for the window: no file, no window.
    if (!QFileInfo::exists(closeChannelPath(name))) return false;
    if (requestClose(name)) {
        letPendingEventsRun();
        return true;
    }
    messageBox(QStringLiteral("EndTask: cannot terminate ") + name + QStringLiteral(" task"));
    return false;
}

}  // namespace varnel::updater
