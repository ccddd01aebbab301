#pragma once
// The platforms whose way to the card is not built yet: they answer "not supported" for
// everything, so a card that needs one does not reach Found.

#include "quelder/platforms/GenericPlatform.h"

namespace GSM {

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
