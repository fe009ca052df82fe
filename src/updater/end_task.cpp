#include "updater/end_task.h"

#include <QString>

#include "platform/platform.h"
#include "shell/system_message.h"

namespace varnel::updater {

bool EndTask(const std::string& title) {
    switch (platform::requestCloseWindow(title)) {
    case platform::CloseRequest::NoWindow: return false;
    case platform::CloseRequest::Sent: return true;
    case platform::CloseRequest::WindowGone: break;
    }
    showSystemMessage(QStringLiteral("Varnel_Zize_Update"),
                      QStringLiteral("EndTask: cannot terminate ") + QString::fromStdString(title) +
                          QStringLiteral(" task"));
    return false;
}

}  // namespace varnel::updater
