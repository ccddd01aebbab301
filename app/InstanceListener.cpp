#include "app/InstanceListener.h"

#include "app/InstanceMessage.h"
#include "app/ShellLog.h"

#include <QLocalSocket>

namespace Orvanta {

InstanceListener::InstanceListener(QObject* parent)
    : QObject(parent)
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &InstanceListener::acceptPending);
}

bool InstanceListener::listen(const QString& path)
{
    QLocalServer::removeServer(path);
    if (server_.listen(path))
        return true;
    qCWarning(shellLog) << "cannot listen for other starts of the tool on" << path << ":" << server_.errorString();
    return false;
}

void InstanceListener::acceptPending()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        auto* connection = new InstanceConnection(socket, receiveTimeoutMs_, this);
        connect(connection, &InstanceConnection::messageReceived, this, &InstanceListener::messageReceived);
    }
}

InstanceConnection::InstanceConnection(QLocalSocket* socket, int timeoutMs, QObject* parent)
    : QObject(parent)
    , socket_(socket)
{
    socket_->setParent(this);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, &InstanceConnection::drop);
    connect(socket_, &QLocalSocket::readyRead, this, &InstanceConnection::readAvailable);
    connect(socket_, &QLocalSocket::disconnected, this, &InstanceConnection::drop);
    deadline_.start(timeoutMs);
    // Bytes may have arrived with the connection itself.
    readAvailable();
}

void InstanceConnection::readAvailable()
{
    if (done_)
        return;
    received_.append(socket_->readAll());
    const instanceMessage::Decoded decoded = instanceMessage::decode(received_);
    switch (decoded.status) {
    case instanceMessage::Status::incomplete:
        return;
    case instanceMessage::Status::invalid:
        qCInfo(shellLog) << "dropped a malformed message from another start";
        drop();
        return;
    case instanceMessage::Status::complete:
        break;
    }
    done_ = true;
    deadline_.stop();
    socket_->write(&instanceMessage::acknowledgement, 1);
    socket_->flush();
    socket_->disconnectFromServer();
    deleteLater();
    emit messageReceived(decoded.message);
}

void InstanceConnection::drop()
{
    if (done_) // answered already: the peer hanging up is the normal end
        return;
    done_ = true;
    deadline_.stop();
    socket_->abort();
    deleteLater();
}

} // namespace Orvanta
