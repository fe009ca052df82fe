#include "shell/close_channel.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace varnel {

QString closeChannelPath(const QString& title) {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QDir::tempPath() + QStringLiteral("/varnel-") + qEnvironmentVariable("USER", QStringLiteral("user"));
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    return folder + QLatin1Char('/') + title.toLower();
}

CloseListener::CloseListener(const QString& title, std::function<void()> onClose, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), onClose_(std::move(onClose)) {
    const QString path = closeChannelPath(title);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Only one copy of the program gets this far; a socket file left by a
    // copy that crashed is stale.
    QLocalServer::removeServer(path);
    server_->listen(path);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("close")) {
                    socket->disconnectFromServer();
                    if (onClose_) onClose_();
                }
            });
        }
    });
    watchTerminationRequests(this, [this] {
        if (onClose_) onClose_();
    });
}

CloseListener::~CloseListener() { server_->close(); }

bool CloseListener::isListening() const { return server_->isListening(); }

bool requestClose(const QString& title, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(closeChannelPath(title));
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write("close\n");
    bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return written;
}

}  // namespace varnel
