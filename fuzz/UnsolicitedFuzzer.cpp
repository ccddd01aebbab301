// Feeds arbitrary tails behind every unsolicited prefix through the device's handlers,
// as the card's port would hand them over, and the registration reports through the
// communicator's side. The first byte picks the type, the second the card and what the
// device holds before the line; the rest follows the type's prefix.

#include "nodekin/XLog.h"
#include "quelder/Device.h"
#include "quelder/unsolicited/UnsolicitedFields.h"
#include "quelder/unsolicited/UnsolicitedHandlers.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace {

// The communicator never runs here: what the handlers post is refused and released.
class IdleWork final : public GSM::DeviceWork {
public:
    void Run(const GSM::QueueEntry&) override {}
};

class FuzzHost final : public GSM::DeviceHost {
public:
    bool LibraryInitialized() const override { return true; }
    std::recursive_mutex& LibraryLock() override { return lock_; }
    GSM::Communicator& Queue() override { return *queue; }
    int FetchCardInfo(NkCardInfo& record) override
    {
        record = card;
        return 0;
    }
    void AcknowledgeSuspension() override {}
    void WatchPort(const std::string&) override {}
    void UnwatchPort(const std::string&) override {}

    GSM::Communicator* queue = nullptr;
    NkCardInfo card{};

private:
    std::recursive_mutex lock_;
};

struct Subject {
    IdleWork work;
    FuzzHost host;
    GSM::Communicator communicator{work};
    GSM::Device device{host};
    Subject() { host.queue = &communicator; }
};

Subject* subject = nullptr;

void ignore(const char*, void*) {}

constexpr std::uint32_t kCards[] = {0x1800, 0x1C01, 0x8400, 0x8900};

void check(bool holds)
{
    if (!holds)
        __builtin_trap();
}

void checkValues(const GSM::Device& device)
{
    using GSM::Value;
    check(device.Get(Value::voiceState) >= GSM::kVoiceNotReady && device.Get(Value::voiceState) <= GSM::kVoiceConnected);
    check(device.Get(Value::hwRadioSwitch) >= 0 && device.Get(Value::hwRadioSwitch) <= GSM::kSwitchOff);
    check(device.Get(Value::antennaPulledOut) == 0 || device.Get(Value::antennaPulledOut) == 1);
    check(device.Get(Value::temperature) >= -1);
    check(device.Get(Value::psNetworkState) >= 0 && device.Get(Value::psNetworkState) <= GSM::kRegisteredRoaming);
    check(device.Get(Value::edgeRegistered) == 0 || device.Get(Value::edgeRegistered) == 1);
    check(device.Get(Value::hsdpaRegistered) == 0 || device.Get(Value::hsdpaRegistered) == 1);
    check(device.Get(Value::accessTechnology) >= 0 && device.Get(Value::accessTechnology) <= GSM::kTechnologyUmts);
}

// The registration reports, read as the handlers read them and run as the communicator would.
void runRegistrationReport(GSM::Device& device, const std::string& tail)
{
    GSM::Line line{tail};
    try {
        const GSM::PacketSwitchedReport report = GSM::ReadPacketSwitchedReport(line);
        check(report.state >= 0 && report.state <= GSM::kRegisteredRoaming);
        const std::uintptr_t packed = GSM::PackCellLocation(report.location);
        check(GSM::UnpackCellLocation(packed) == report.location);
        if (report.location)
            check(report.location->lac >= 0 && report.location->lac <= static_cast<int>(GSM::kLacLimit) &&
                  report.location->cellId >= 0 && report.location->cellId <= static_cast<int>(GSM::kCellIdLimit));
        device.Registration().ReportPacketSwitched(report.state, packed);
        device.Registration().ReportCircuitSwitched(report.state);
        check(device.Get(GSM::Value::psAttachState) == report.state);
    } catch (const GSM::ResultError& error) {
        check(error.code() == kQdNotAvailable);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Nodekin::setLogFunction(&ignore, nullptr);
    static Subject instance;
    subject = &instance;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    GSM::Device& device = subject->device;
    const auto type = static_cast<GSM::Unsolicited>(data[0] % GSM::kUnsolicitedTypes);
    const std::uint8_t options = data[1];
    subject->host.card = NkCardInfo{};
    subject->host.card.size = sizeof(NkCardInfo);
    subject->host.card.state = NkCardStarted;
    subject->host.card.typeCode = kCards[options & 3];
    subject->host.card.dataInterfaceKind = (options & 0x40) != 0 ? 5 : 2;
    device.UpdateCardState(NkReasonDeviceChange);
    GSM::CardFeatures features;
    features.ucs2 = (options & 4) != 0;
    features.voice = (options & 0x80) != 0;
    device.SetFeatures(features);
    device.Set(GSM::Value::voiceState, (options >> 3) % 5, true);

    const std::string tail(reinterpret_cast<const char*>(data + 2), size - 2);
    GSM::AnswerLine line{std::string(GSM::UnsolicitedPrefixOf(type)) + tail};
    if (line.IsUnsolicited()) {
        try {
            GSM::HandleUnsolicited(line, *line.UnsolicitedType(), device);
        } catch (const GSM::ResultError& error) {
            // Unreadable, or posted to a communicator that does not run.
            check(error.code() == kQdNotAvailable || error.code() == kQdNotInitialized);
        }
        check(line.Position() <= line.Length());
    }
    checkValues(device);
    if (type == GSM::Unsolicited::cgreg || type == GSM::Unsolicited::creg)
        runRegistrationReport(device, tail);
    checkValues(device);
    return 0;
}
