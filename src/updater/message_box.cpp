#include "updater/message_box.h"

#include <QFile>
#include <QMessageBox>

namespace varnel::updater {

void messageBox(const QString& text) {
    const QString record = qEnvironmentVariable("VARNEL_MESSAGE_BOX_LOG");
    if (!record.isEmpty()) {
        QFile file(record);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append)) file.write(text.toUtf8() + "\n--\n");
        return;
    }
    QMessageBox::information(nullptr, QStringLiteral("Varnel_Zize_Update"), text, QMessageBox::Ok);
}

}  // namespace varnel::updater
