// Stands in for the main program in the updater's tests: copied into a
// test's program folder as the main program's file, it appends "started"
// to standin.log beside itself, listens on the main program's close channel
// and appends "closed" when asked to close. It ends by itself after a
// minute, so a failing test never leaves it behind.

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include "shell/close_channel.h"

namespace {

void record(const char* line) {
    QFile log(QCoreApplication::applicationDirPath() + QStringLiteral("/standin.log"));
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) log.write(QByteArray(line) + '\n');
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    varnel::CloseListener listener(QStringLiteral("Varnel_Zize"), [] {
        record("closed");
        QCoreApplication::quit();
    });
    record(listener.isListening() ? "started" : "started without channel");
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
}
