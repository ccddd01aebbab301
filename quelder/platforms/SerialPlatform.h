#pragma once
// The platform of the cards that are reached over serial ports: AT commands on the
// application port, and the GPS service on the card's GPS ports.

#include "quelder/at/Modem.h"
#include "quelder/gps/SerialGps.h"
#include "quelder/platforms/GenericPlatform.h"

#include <string>

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

} // namespace GSM
