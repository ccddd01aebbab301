// Feeds arbitrary bytes, as another start of the tool could send them over the local
// socket, to the instance message decoder, whole and in every prefix the listener may see.

#include "app/InstanceMessage.h"

#include <cstddef>
#include <cstdint>

namespace message = Orvanta::instanceMessage;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    bool sawEnd = false;
    for (qsizetype prefix = 0; prefix <= bytes.size(); ++prefix) {
        const message::Decoded decoded = message::decode(bytes.first(prefix));
        // Once a prefix cannot become a message, no longer one can either.
        if (sawEnd && decoded.status == message::Status::complete)
            __builtin_trap();
        if (decoded.status != message::Status::incomplete)
            sawEnd = true;
        if (decoded.status == message::Status::complete && message::encode(decoded.message) != bytes.first(prefix))
            __builtin_trap();
    }
    return 0;
}
