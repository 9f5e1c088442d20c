#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalSocket>
#include <unistd.h>

namespace {
// An argument is a path; anything longer than this is not one and is dropped.
constexpr qint64 kMaxArgument = 64 * 1024;
constexpr int kConnectTimeoutMs = 1000;
} // namespace

QString TSingleInstance::Name(const QString& dataFolder) {
    const QByteArray hash =
        QCryptographicHash::hash(dataFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("meterlyn-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

bool TSingleInstance::HandOver(const QString& name, const QString& argument) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    if (argument.isEmpty()) {
        socket.disconnectFromServer();
        return true;
    }
    socket.write(argument.toUtf8() + '\n');
    socket.waitForBytesWritten(kConnectTimeoutMs);
    // The running instance may ask the user questions first: wait as long as it takes, until
    // it answers or goes away.
    while (socket.state() == QLocalSocket::ConnectedState && !socket.canReadLine())
        socket.waitForReadyRead(-1);
    return true;
}

TSingleInstance::TSingleInstance(QString name) : name_(std::move(name)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
}

TSingleInstance::~TSingleInstance() {
    server_.close();
}

bool TSingleInstance::Listen() {
    if (server_.listen(name_))
        return true;
    // A socket left behind by an instance that did not end cleanly: nobody answers on it.
    QLocalServer::removeServer(name_);
    return server_.listen(name_);
}

void TSingleInstance::Accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxArgument)
                    socket->abort();
                return;
            }
            const QString argument = QString::fromUtf8(socket->readLine(kMaxArgument)).trimmed();
            if (OnArgument && !argument.isEmpty())
                OnArgument(argument);
            socket->write("done\n");
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}
