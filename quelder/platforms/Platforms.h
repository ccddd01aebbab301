#pragma once
// The platforms a card can be driven through. Only the serial platform reaches a card
// yet; the others answer "not supported" for everything until their work is built, so
// a card that needs one does not reach Found.

#include "quelder/gps/SerialGps.h"
#include "quelder/platforms/GenericPlatform.h"

namespace GSM {

// The card's application port, opened as a serial port, and the GPS service on the
// card's GPS ports.
class SerialPlatform final : public GenericPlatform {
public:
    SerialPlatform(Device& device, ModemTiming timing) : GenericPlatform(device), gps_(device, timing) {}
    QdResult Init() override;
    QdResult Exit() override;
    QD_OPERATIONS_GPS(QD_OVERRIDE_OPERATION)

private:
    SerialGps gps_;
    std::string openedPort_; // the application port, from Init to Exit; under the library lock
};

// Gobi cards, through the vendor's library.
class GobiPlatform final : public GenericPlatform {
public:
    using GenericPlatform::GenericPlatform;
    QdResult Init() override { return kQdNotSupported; }
    QdResult Exit() override { return kQdSuccess; }
    QD_OPERATIONS_GPS(QD_NOT_SUPPORTED_OPERATION)
};

// Zero-footprint cards, through the proxy program's local socket.
class ZeroFpPlatform final : public GenericPlatform {
public:
    using GenericPlatform::GenericPlatform;
    QdResult Init() override { return kQdNotSupported; }
    QdResult Exit() override { return kQdSuccess; }
    QD_OPERATIONS_GPS(QD_NOT_SUPPORTED_OPERATION)
};

// Cards driven through the system's Mobile Broadband service.
class MbPlatform final : public Platform {
public:
    QdResult Init() override { return kQdNotSupported; }
    QdResult Exit() override { return kQdSuccess; }
    QD_OPERATIONS(QD_NOT_SUPPORTED_OPERATION)
};

} // namespace GSM
