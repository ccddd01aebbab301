#pragma once
// The running instance's end of the local socket: accepts connections from later starts
// of the tool and reports each well-formed message. A peer that sends garbage, stalls, or
// dies mid-message is dropped without a word; none can block the GUI thread.

#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QTimer>

class QLocalSocket;

namespace Orvanta {

class InstanceListener final : public QObject {
    Q_OBJECT

public:
    explicit InstanceListener(QObject* parent = nullptr);

    // Listens on the socket at `path`, replacing a stale socket file of a dead instance.
    bool listen(const QString& path);
    void close() { server_.close(); }
    // How long a peer has to send its whole message.
    void setReceiveTimeout(int milliseconds) { receiveTimeoutMs_ = milliseconds; }

signals:
    void messageReceived(const QString& message);

private:
    void acceptPending();

    QLocalServer server_;
    int receiveTimeoutMs_ = 5000;
};

// One peer's connection, until its message is in or it is dropped; then it deletes itself.
class InstanceConnection final : public QObject {
    Q_OBJECT

public:
    InstanceConnection(QLocalSocket* socket, int timeoutMs, QObject* parent);

signals:
    void messageReceived(const QString& message);

private:
    void readAvailable();
    void drop();

    QLocalSocket* socket_;
    QByteArray received_;
    QTimer deadline_;
    bool done_ = false;
};

} // namespace Orvanta
