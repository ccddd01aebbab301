#pragma once
// Makes sure one instance of the tool runs per user session. The first start listens on a
// per-user local socket; later starts find it there and hand it their message. A lock file
// serialises the look-and-claim step, so two starts at the same moment cannot both become
// the running instance.

#include "app/InstanceListener.h"

#include <QObject>
#include <QString>

namespace Orvanta {

class SingleInstance final : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(const QString& id, QObject* parent = nullptr);

    // True when another instance was already running when this one was created.
    bool isRunning() const { return running_; }
    // Delivers `message` to the running instance; true once it has confirmed receipt within
    // `timeoutMs`. False when no instance runs. Blocks the calling thread meanwhile.
    bool sendMessage(const QString& message, int timeoutMs);

signals:
    // In the running instance, for each message a later start sends.
    void messageReceived(const QString& message);

private:
    QString socketPath_;
    bool running_ = false;
    InstanceListener listener_;
};

// Sends one message to the instance listening at `socketPath` and waits for its receipt.
bool sendInstanceMessage(const QString& socketPath, const QString& message, int timeoutMs);

} // namespace Orvanta
