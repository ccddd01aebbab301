#pragma once
// Records every signal of the bridge in arrival order, with the thread it arrived on.

#include <QList>
#include <QObject>
#include <QString>
#include <QThread>
#include <QVariant>

namespace Orvanta {
class QtCvWrapper;
}

namespace Orvanta::testing {

struct BridgeSignal {
    QString name;
    QVariant value;
    QThread* thread;
};

class BridgeRecorder final : public QObject {
    Q_OBJECT

public:
    explicit BridgeRecorder(const QtCvWrapper& bridge);
    QList<BridgeSignal> received;
    // "name(value)" per signal, for readable comparisons.
    QStringList lines() const;

private:
    void add(const char* name, const QVariant& value);
};

} // namespace Orvanta::testing
