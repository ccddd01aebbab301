#include "quelder/at/Channel.h"

#include "platform/SerialPort.h"
#include "platform/SystemError.h"
#include "quelder/QdResult.h"
#include "quelder/at/LogText.h"

namespace GSM {

namespace {
constexpr const char* kSensitiveDump = "<Binary logging of sensitive information is disabled>";
}

unsigned Channel::NextLogId() noexcept
{
    static std::atomic<unsigned> next{1};
    return next.fetch_add(1);
}

void Channel::Write(std::span<const std::uint8_t> bytes, bool sensitive, bool ignoreGoingDown)
{
    if (!IsOpen() || (goingDown_ && !ignoreGoingDown)) {
        Nodekin::xlog(Nodekin::logWarning, "Qd: Write request is ignored because %s",
                      IsOpen() ? "the device is going down" : "there is no valid handle");
        Raise(kQdNoDevice);
    }
    if (bytes.empty()) {
        Nodekin::xlog(Nodekin::logError, "Qd: Port::Write(): buffer error");
        Raise(kQdNullPointer);
    }
    if (sensitive || SensitiveTraffic())
        Nodekin::xlog(Nodekin::logVerbose, "%s%s", WriteTitle(), kSensitiveDump);
    else
        LogHexDump(WriteTitle(), bytes);

    const Os::IoResult written = Stream().write(bytes, Os::SerialPort::writeTimeoutFor(bytes.size()));
    switch (written.outcome) {
    case Os::IoResult::Outcome::completed:
        return;
    case Os::IoResult::Outcome::failed:
        LogWriteFailure(written.error);
        // A card pulled just before the write is gone as surely as one pulled while the
        // caller waited for its answer; callers tell both by the one code.
        Raise(Os::isDeviceRemoval(written.error) ? kQdNoDevice : qdSystemError(written.error));
    case Os::IoResult::Outcome::closed:
        LogWriteFailure(Os::kErrorBrokenPipe);
        Raise(qdSystemError(Os::kErrorBrokenPipe));
    default: // the card stopped taking bytes
        LogWriteFailure(Os::kErrorWaitTimeout);
        Raise(qdSystemError(Os::kErrorWaitTimeout));
    }
}

void Channel::Close()
{
    goingDown_ = true;
    CloseStreams();
    sensitive_ = false;
    goingDown_ = false;
}

Os::ByteStream::Receiver Channel::MakeReceiver(std::function<void(const Os::IoResult&)> onEnd)
{
    return {[this](std::span<const std::uint8_t> bytes) {
                if (SensitiveTraffic())
                    Nodekin::xlog(Nodekin::logVerbose, "%s%s", ReadTitle(), kSensitiveDump);
                else
                    LogHexDump(ReadTitle(), bytes);
                events_.ReceivedBytes(bytes);
            },
            std::move(onEnd)};
}

} // namespace GSM
