#include "skin/system_message.h"

#include <QFile>
#include <QMessageBox>

namespace varnel {

void showSystemMessage(const QString& title, const QString& text, QWidget* parent) {
    const QString log = qEnvironmentVariable("VARNEL_MESSAGE_LOG");
    if (!log.isEmpty()) {
        QFile file(log);
        if (file.open(QIODevice::Append | QIODevice::Text)) {
            QString line = title + QLatin1Char('|') + text;
            line.replace(QLatin1String("\r\n"), QLatin1String("\\n")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
            file.write(line.toUtf8() + '\n');
        }
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace varnel
