#include "shell/close_channel.h"

#include <QLocalServer>
#include <QLocalSocket>

#include "core/log.h"
#include "platform/platform.h"
#include "platform/termination.h"

namespace varnel {

QString closeChannelPath(const QString& title) {
    return QString::fromStdString(platform::closeChannelName(title.toStdString(), logPlatformProblem));
}

CloseListener::CloseListener(const QString& title, std::function<void()> onClose, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), onClose_(std::move(onClose)) {
    const QString path = closeChannelPath(title);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Only one copy of the program gets this far; a socket file left by a
    // copy that crashed is stale.
    if (!path.isEmpty()) {
        QLocalServer::removeServer(path);
        server_->listen(path);
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine()) {
                    const QString request = QString::fromUtf8(socket->readLine()).trimmed();
                    if (request == QLatin1String("close")) {
                        socket->disconnectFromServer();
                        if (onClose_) onClose_();
                        return;
                    }
                    const QString answer = onQuery_ ? onQuery_(request) : QString();
                    socket->write(answer.toUtf8().replace('\n', ' ') + '\n');
                    socket->flush();
                }
            });
        }
    });
    platform::watchTerminationRequests(this, [this] {
        if (onClose_) onClose_();
    });
}

CloseListener::~CloseListener() { server_->close(); }

bool CloseListener::isListening() const { return server_->isListening(); }

QString queryProgram(const QString& title, const QString& request, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(closeChannelPath(title));
    if (!socket.waitForConnected(timeoutMs)) return {};
    socket.write(request.toUtf8() + '\n');
    socket.waitForBytesWritten(timeoutMs);
    QByteArray answer;
    for (;;) {
        answer += socket.readAll();
        if (answer.endsWith('\n') || !socket.waitForReadyRead(timeoutMs)) break;
    }
    socket.disconnectFromServer();
    return QString::fromUtf8(answer).chopped(answer.endsWith('\n') ? 1 : 0);
}

bool requestClose(const QString& title) {
    return platform::requestCloseWindow(title.toStdString(), logPlatformProblem) == platform::CloseRequest::Sent;
}

}  // namespace varnel
