#pragma once
// The data devices a card carries its data connections over. Which one a card uses is
// chosen with the platform; connecting and disconnecting come with the data connection
// work and answer "not supported" until then.

#include "quelder/QdResult.h"

namespace GSM {

class Connection {
public:
    virtual ~Connection() = default;
    virtual const char* Name() const noexcept = 0;
    // Nothing to set up or take down before a connection is asked for.
    virtual QdResult Init() { return kQdSuccess; }
    virtual QdResult Exit(int /*kind*/) { return kQdSuccess; }
    virtual QdResult Connect() { return kQdNotSupported; }
    virtual QdResult Disconnect() { return kQdNotSupported; }
};

#define QD_CONNECTION_CLASS(ClassName)                                          \
    class ClassName final : public Connection {                                \
    public:                                                                     \
        const char* Name() const noexcept override { return "GSM::" #ClassName; } \
    };

QD_CONNECTION_CLASS(MbConnection)
QD_CONNECTION_CLASS(NdisConnection)
QD_CONNECTION_CLASS(GobiConnection)
QD_CONNECTION_CLASS(ZeroFpConnection)
QD_CONNECTION_CLASS(RasConnection)
QD_CONNECTION_CLASS(BroadcomNdisConnection)

#undef QD_CONNECTION_CLASS

} // namespace GSM
