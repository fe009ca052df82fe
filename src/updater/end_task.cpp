#include "updater/end_task.h"

#include <QString>

#include "core/log.h"
#include "platform/platform.h"
#include "skin/system_message.h"

namespace varnel::updater {

bool EndTask(const std::string& title) {
    switch (platform::requestCloseWindow(title, logPlatformProblem)) {
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
