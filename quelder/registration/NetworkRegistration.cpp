#include "quelder/registration/NetworkRegistration.h"

#include "nodekin/CardTraits.h"
#include "quelder/BackendLog.h"
#include "quelder/Device.h"
#include "quelder/ModemStates.h"

#include <array>

namespace GSM {
namespace {

// Long enough for an IMSI (15 digits) and for a numeric network id.
constexpr std::size_t kIdentityBuffer = 32;

} // namespace

int AccessTechnologyOfSystem(int system) noexcept
{
    switch (system) {
    case 0:
        return kTechnologyGprs;
    case 2:
        return kTechnologyUmts;
    default:
        return kTechnologyNone;
    }
}

// ---------------------------------------------------------------------------------------
// Reports

int NetworkRegistration::HideVirtualHomeRoaming(int state)
{
    std::array<char, kIdentityBuffer> id{};
    const QdResult rc = device_.CurrentPlatform().QdGetNetworkId(id.data(), id.size());
    if (rc != kQdSuccess) {
        xlog(logWarning, "Qd: Roaming check: the network id could not be read (0x%x)", static_cast<unsigned>(rc));
        return state;
    }
    SimHomeNumbers sim = HomeNumbers();
    if (sim == SimHomeNumbers{}) {
        // The IMSI is not given before the PIN: a SIM unlocked after the start-up is read now.
        std::array<char, kIdentityBuffer> imsi{};
        if (device_.CurrentPlatform().QdGetImsiNumber(imsi.data(), imsi.size()) == kQdSuccess) {
            sim = HomeNumbersOf(imsi.data());
            SetHomeNumbers(sim);
        }
    }
    if (!virtualHomes_.IsVirtualHome(NetworkNumberOf(id.data()), sim))
        return state;
    xlog(logNormal, "Qd: Network and SIM pair seems to belong to a virtual home network, hiding roaming...");
    return kRegistered;
}

void NetworkRegistration::ReportCircuitSwitched(int state)
{
    if (state == kRegisteredRoaming)
        state = HideVirtualHomeRoaming(state);
    StoreAndEvaluate([&] { device_.Set(Value::csNetworkState, state); });
    UpdateVoiceState(IsRegistered(state));
}

void NetworkRegistration::ReportPacketSwitched(int state, std::uintptr_t location)
{
    if (state == kRegisteredRoaming)
        state = HideVirtualHomeRoaming(state);
    StoreAndEvaluate([&] { device_.Set(Value::psAttachState, state); });
    SetCellLocation(state, location);
}

void NetworkRegistration::SetCellLocation(int state, std::uintptr_t location)
{
    // A report without a location leaves it unknown, like a report of no registration.
    const std::optional<CellLocation> cell = IsRegistered(state) ? UnpackCellLocation(location) : std::nullopt;
    device_.SetCellLocation(cell ? cell->lac : -1, cell ? cell->cellId : -1);
}

void NetworkRegistration::UpdateVoiceState(bool circuitSwitchedRegistered)
{
    if (!device_.Features().voice)
        return;
    device_.SetIf(
        Value::voiceState, [](int voice) { return voice == kVoiceNotReady || voice == kVoiceDisconnected; },
        circuitSwitchedRegistered ? kVoiceDisconnected : kVoiceNotReady);
}

// ---------------------------------------------------------------------------------------
// Inputs

void NetworkRegistration::SetAccessTechnology(int technology)
{
    StoreAndEvaluate([&] { device_.Set(Value::accessTechnology, technology); });
}

void NetworkRegistration::SetCellType2g(int type)
{
    StoreAndEvaluate([&] { device_.Set(Value::cellType2g, type); });
}

void NetworkRegistration::SetCellType3g(int type)
{
    StoreAndEvaluate([&] { device_.Set(Value::cellType3g, type); });
}

bool NetworkRegistration::SetCellTypes(int type2g, int type3g, std::optional<int> technology)
{
    bool technologyChanged = false;
    StoreAndEvaluate([&] {
        device_.Set(Value::cellType2g, type2g);
        device_.Set(Value::cellType3g, type3g);
        if (technology) {
            technologyChanged = device_.Get(Value::accessTechnology) != *technology;
            device_.Set(Value::accessTechnology, *technology);
        }
    });
    return technologyChanged;
}

void NetworkRegistration::SetSignal(int strength, int quality)
{
    std::lock_guard lock(mutex_);
    const bool registered =
        IsRegistered(device_.Get(Value::csNetworkState)) || IsRegistered(device_.Get(Value::psNetworkState));
    device_.Set(Value::signalStrength, registered ? strength : 0, Value::signalQuality, registered ? quality : 0);
}

void NetworkRegistration::SetWcdmaSignal(int value)
{
    std::lock_guard lock(mutex_);
    device_.Set(Value::wcdmaSignal, IsRegistered(device_.Get(Value::psNetworkState)) ? value : 0);
}

void NetworkRegistration::ReRaiseEvents()
{
    if (IsRegistered(device_.Get(Value::csNetworkState)))
        device_.RaiseEvent(InfoOf(Value::csNetworkState).event);
    if (IsRegistered(device_.Get(Value::psNetworkState)))
        device_.RaiseEvent(InfoOf(Value::psNetworkState).event);
}

void NetworkRegistration::SetHomeNumbers(const SimHomeNumbers& numbers)
{
    homeFiveDigits_ = numbers.fiveDigits;
    homeSixDigits_ = numbers.sixDigits;
}

SimHomeNumbers NetworkRegistration::HomeNumbers() const { return {homeFiveDigits_.load(), homeSixDigits_.load()}; }

// ---------------------------------------------------------------------------------------
// Evaluation

void NetworkRegistration::Evaluate()
{
    StoreAndEvaluate([] {});
}

int NetworkRegistration::EvaluateLocked()
{
    const NkCardInfo card = device_.Card();
    const int circuitSwitched = device_.Get(Value::csNetworkState);
    const int attach = device_.Get(Value::psAttachState);
    const int technology = device_.Get(Value::accessTechnology);
    const int cellType2g = device_.Get(Value::cellType2g);
    const int cellType3g = device_.Get(Value::cellType3g);
    const bool cs = IsRegistered(circuitSwitched);
    const bool ps = IsRegistered(attach);
    Communicator& queue = device_.Queue();

    // The 3G cell type of these cards is not reported: it is asked for while they are on a 3G cell.
    if (Nodekin::pollsWcdmaCellType(card)) {
        if ((cs || ps) && technology == kTechnologyUmts) {
            if (!queue.PollerSet().IsOn(Poller::cellType)) {
                queue.Post(WM_QD_CELL_TYPE_POLL);
                queue.StartPoller(Poller::cellType);
            }
        } else {
            queue.StopPoller(Poller::cellType);
        }
    }

    int packetSwitched = kNotRegistered;
    if (ps)
        packetSwitched = attach == kRegisteredRoaming ? kRegisteredRoaming : kRegistered;
    else if (cs && ((technology == kTechnologyGprs && cellType2g > 1) || (technology == kTechnologyUmts && cellType3g > 0)))
        packetSwitched = circuitSwitched == kRegisteredRoaming ? kRegisteredRoaming : kRegistered;
    else if (circuitSwitched == kNotRegistered && attach == kRegistering)
        packetSwitched = kRegistering;
    device_.Set(Value::psNetworkState, packetSwitched);

    const bool registered = cs || IsRegistered(packetSwitched);
    if (!registered) {
        device_.Set(Value::signalStrength, 0, Value::signalQuality, 0);
        device_.Set(Value::wcdmaSignal, 0);
        device_.Set(Value::edgeRegistered, 0);
    } else if (!IsRegistered(packetSwitched)) {
        device_.Set(Value::wcdmaSignal, 0);
    }

    const DeviceState state = device_.State();
    if ((state == DeviceState::found || state == DeviceState::initialized) &&
        Nodekin::tellsHighSpeedRegistration(card.typeCode)) {
        device_.Set(Value::edgeRegistered,
                    registered && technology == kTechnologyGprs && cellType2g == kCellTypeEdge ? 1 : 0);
        device_.Set(Value::hsdpaRegistered, registered && technology == kTechnologyUmts && cellType3g > 1 ? 1 : 0);
    }

    // The cards whose registration comes without signal and cell reports are asked for them.
    if (Nodekin::pollsSignalWhileRegistered(card.typeCode)) {
        if (registered && !queue.PollerSet().IsOn(Poller::signal)) {
            queue.StartPoller(Poller::signal);
            queue.Post(WM_QD_SIGNAL_POLL);
        } else if (!registered) {
            queue.StopPoller(Poller::signal);
        }
    }
    return technology;
}

void NetworkRegistration::TellDataConnections(int technology) { device_.PacketData().UpdateTcpWindow(technology); }

// ---------------------------------------------------------------------------------------
// Polls

void NetworkRegistration::PollSignal()
{
    if (device_.State() != DeviceState::initialized || device_.ChannelBusy())
        return;
    Platform& platform = device_.CurrentPlatform();
    int strength = 0;
    int quality = 0;
    if (const QdResult rc = platform.QdGetSignalQuality(&strength, &quality); rc == kQdSuccess)
        SetSignal(strength, quality);
    else
        xlog(logWarning, "Qd: Querying signal quality failed with 0x%x during signal polling", static_cast<unsigned>(rc));
    int type2g = 0;
    int type3g = 0;
    if (const QdResult rc = platform.QueryCellTypes(&type2g, &type3g); rc != kQdSuccess) {
        xlog(logWarning, "Qd: Querying cell types failed with 0x%x during signal polling", static_cast<unsigned>(rc));
        return;
    }
    const int technology = type2g != 0 ? kTechnologyGprs : type3g != 0 ? kTechnologyUmts : kTechnologyNone;
    SetCellTypes(type2g, type3g, technology);
}

void NetworkRegistration::PollCellType()
{
    if (device_.State() != DeviceState::initialized || device_.ChannelBusy())
        return;
    int type = 0;
    if (const QdResult rc = device_.CurrentPlatform().QueryWcdmaCellType(&type); rc != kQdSuccess) {
        xlog(logWarning, "Qd: Querying WCDMA cell type failed with 0x%x", static_cast<unsigned>(rc));
        return;
    }
    SetCellType3g(type);
}

} // namespace GSM
