#pragma once
// The tool's application object: a QApplication that knows whether another instance of the
// tool already runs in the user's session and can hand it a message.

#include "app/SingleInstance.h"

#include <QApplication>
#include <QString>

namespace Orvanta {

class SingleApplication final : public QApplication {
    Q_OBJECT

public:
    SingleApplication(const QString& id, int& argc, char** argv);

    bool isRunning() const { return instance_.isRunning(); }
    bool sendMessage(const QString& message, int timeoutMs) { return instance_.sendMessage(message, timeoutMs); }

signals:
    void messageReceived(const QString& message);

private:
    SingleInstance instance_;
};

} // namespace Orvanta
