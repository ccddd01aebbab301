#include "quelder/platforms/SerialPlatform.h"

#include "quelder/Device.h"

#include <mutex>

namespace GSM {

QdResult SerialPlatform::Init()
{
    const NkCardInfo card = device_.Card();
    try {
        device_.Open(OpenMode::serial, card.applicationPort);
        openedPort_ = card.applicationPort;
        device_.WatchPort(openedPort_);
        return kQdSuccess;
    } catch (const ResultError& error) {
        return error.code();
    }
}

QdResult SerialPlatform::Exit()
{
    QdExitGps(); // a failure to close is logged there and stops nothing here
    device_.Close();
    // The port opened, not the record's: a card plugged meanwhile may name another.
    device_.UnwatchPort(openedPort_);
    return kQdSuccess;
}

QdResult SerialPlatform::QdInitGps()
{
    return Run(Needs::foundOwnPorts, [this](Modem&) { gps_.Init(); });
}

QdResult SerialPlatform::QdExitGps()
{
    // No device check: the device's own exit stops the service while it goes down.
    std::lock_guard lock(device_.LibraryLock());
    return gps_.Exit();
}

QdResult SerialPlatform::QdIsGpsSupported(int* supported)
{
    return Run(Needs::foundOwnPorts, [&](Modem&) {
        RequireOutput(supported);
        *supported = gps_.Supported() ? 1 : 0;
    });
}

QdResult SerialPlatform::QdGetGpsState(int* on)
{
    return Run(Needs::foundOwnPorts, [&](Modem&) {
        RequireOutput(on);
        *on = gps_.State();
    });
}

QdResult SerialPlatform::QdSetGpsState(int on)
{
    return Run(Needs::foundOwnPorts, [&](Modem&) { gps_.SetState(on != 0); });
}

} // namespace GSM
