#include "tests/app/support/BridgeRecorder.h"

#include "app/QtCvWrapper.h"

namespace Orvanta::testing {

BridgeRecorder::BridgeRecorder(const QtCvWrapper& bridge)
{
    // Automatic connections with this object as context: like the Conductor's, they are
    // queued when the bridge emits on another thread.
    connect(&bridge, &QtCvWrapper::libraryStateChanged, this, [this](int v) { add("libraryStateChanged", v); });
    connect(&bridge, &QtCvWrapper::deviceStateChanged, this, [this](int v) { add("deviceStateChanged", v); });
    connect(&bridge, &QtCvWrapper::gpsSupportedChanged, this, [this](bool v) { add("gpsSupportedChanged", v); });
    connect(&bridge, &QtCvWrapper::gpsStateChanged, this, [this](int v) { add("gpsStateChanged", v); });
    connect(&bridge, &QtCvWrapper::latitudeChanged, this, [this](double v) { add("latitudeChanged", v); });
    connect(&bridge, &QtCvWrapper::longitudeChanged, this, [this](double v) { add("longitudeChanged", v); });
    connect(&bridge, &QtCvWrapper::gpsPortNameChanged, this, [this](const QString& v) { add("gpsPortNameChanged", v); });
}

QStringList BridgeRecorder::lines() const
{
    QStringList out;
    for (const BridgeSignal& s : received)
        out.append(QStringLiteral("%1(%2)").arg(s.name, s.value.toString()));
    return out;
}

void BridgeRecorder::add(const char* name, const QVariant& value)
{
    received.append({QString::fromLatin1(name), value, QThread::currentThread()});
}

} // namespace Orvanta::testing
