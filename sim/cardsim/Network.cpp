#include "sim/cardsim/Network.h"

#include <algorithm>
#include <utility>

namespace Cardsim {
namespace {

// _TEANT's level, in bars from 0 to 5, of an RSSI from 0 to 31.
int barsOf(int rssi) { return (rssi * 5 + 15) / 31; }

Registration registrationOfRow(const OperatorInfo& info)
{
    return info.home ? Registration::home : Registration::roaming;
}

} // namespace

Network::Network(const AlarmMaker& alarms, CardEventListener listener)
    : listener_(std::move(listener)),
      automatic_{defaultHomeOperator(), Registration::home, Registration::home},
      manual_(automatic_),
      scanList_{defaultHomeOperator(), defaultRoamingOperator(), defaultVirtualHomeOperator()},
      registrationAlarm_(alarms([this] { registeringDone(); }))
{
    reported_ = compute();
}

Network::Reported Network::compute() const
{
    Reported now;
    const bool active = radioActive();
    const Selected& chosen = selected();
    if (!active || selection_ == Selection::deregistered || !simReady_) {
        now.circuit = now.packet = Registration::notRegistered;
    } else if (registering_) {
        now.circuit = now.packet = Registration::searching;
    } else {
        now.circuit = chosen.circuit;
        now.packet = chosen.packet;
    }
    const TechnologyTraits& traits = traitsOf(technology_);
    // The system stays what the cell offers with the radio off: a host reads it as the
    // technology, and there is no value for none.
    now.system = traits.system;
    now.cellType2g = active ? traits.cellType2g : 0;
    now.cellType3g = active ? traits.cellType3g : 0;
    now.rssi = active ? signal_ : kNoSignal;
    now.wcdmaLevel = active && isUmts(technology_) && signal_ != kNoSignal ? barsOf(signal_) : 0;
    now.switchedOff = switchedOff_;
    now.cell = cell_;
    const Registration best = isRegistered(now.circuit) ? now.circuit
                              : isRegistered(now.packet) ? now.packet
                                                         : now.circuit;
    if (!active)
        now.idleText = {false, "Radio off"};
    else if (isRegistered(best))
        now.idleText = {true, chosen.info.longName};
    else if (best == Registration::searching)
        now.idleText = {false, "Searching"};
    else if (best == Registration::denied)
        now.idleText = {false, "Emergency calls only"};
    else
        now.idleText = {false, "No service"};
    return now;
}

void Network::update()
{
    const Reported was = std::exchange(reported_, compute());
    const Reported& now = reported_;
    auto raise = [this](CardEvent event) {
        if (listener_)
            listener_(event);
    };
    // The technology before the registration, so that a host judging the registration
    // by the technology has the new one.
    if (now.switchedOff != was.switchedOff)
        raise(CardEvent::radioSwitchChanged);
    if (now.system != was.system)
        raise(CardEvent::systemChanged);
    if (now.cellType2g != was.cellType2g)
        raise(CardEvent::cellType2gChanged);
    if (now.cellType3g != was.cellType3g)
        raise(CardEvent::cellType3gChanged);
    const bool circuitChanged = now.circuit != was.circuit;
    const bool packetChanged = now.packet != was.packet;
    if (circuitChanged)
        raise(CardEvent::circuitRegistration);
    if (packetChanged)
        raise(CardEvent::packetRegistration);
    // A registration report carries the cell already.
    if (now.cell != was.cell && !circuitChanged && !packetChanged)
        raise(CardEvent::cellChanged);
    if (now.rssi != was.rssi || now.wcdmaLevel != was.wcdmaLevel)
        raise(CardEvent::signalChanged);
    if (now.idleText != was.idleText)
        raise(CardEvent::idleTextChanged);
}

std::vector<OperatorInfo> Network::visible() const
{
    std::vector<OperatorInfo> all{selected().info};
    auto add = [&all](const OperatorInfo& info) {
        if (std::none_of(all.begin(), all.end(), [&](const OperatorInfo& seen) { return seen.numeric == info.numeric; }))
            all.push_back(info);
    };
    add(automatic_.info);
    for (const OperatorInfo& info : scanList_)
        add(info);
    return all;
}

std::vector<ScanEntry> Network::scan() const
{
    std::vector<ScanEntry> entries;
    if (!radioActive())
        return entries;
    constexpr int kAvailable = 1, kCurrent = 2;
    for (const OperatorInfo& info : visible())
        entries.push_back({info, entries.empty() && registered() ? kCurrent : kAvailable});
    return entries;
}

std::optional<OperatorInfo> Network::findOperator(OperatorFormat format, std::string_view name) const
{
    for (const OperatorInfo& info : visible())
        if (info.name(format) == name)
            return info;
    return std::nullopt;
}

void Network::startRegistering()
{
    if (!radioActive() || selection_ == Selection::deregistered)
        return;
    registering_ = true;
    registrationAlarm_->set(timings_.registration);
}

void Network::stopRegistering()
{
    registering_ = false;
    registrationAlarm_->cancel();
}

void Network::registeringDone()
{
    registering_ = false;
    update();
}

void Network::radioChanged(bool wasActive)
{
    if (!wasActive && radioActive())
        startRegistering();
    else if (!radioActive())
        stopRegistering();
    update();
}

void Network::setFunction(int function)
{
    const bool wasActive = radioActive();
    function_ = function;
    radioChanged(wasActive);
}

void Network::setRadioAtPowerUp(bool on)
{
    radioAtPowerUp_ = on;
    setFunction(on ? kFullFunction : kRadioOffFunction);
}

void Network::setSimReady(bool ready)
{
    simReady_ = ready;
    update();
}

void Network::setRadioSwitch(bool off)
{
    const bool wasActive = radioActive();
    switchedOff_ = off;
    radioChanged(wasActive);
}

void Network::selectAutomatic(Selection mode)
{
    const bool same = !manualInForce_ && selection_ == mode;
    selection_ = mode;
    manualInForce_ = false;
    if (!same)
        startRegistering();
    update();
}

void Network::selectManual(const OperatorInfo& info, Selection mode)
{
    const bool same = manualInForce_ && selection_ == mode && manual_.info == info;
    if (!same)
        manual_ = {info, registrationOfRow(info), registrationOfRow(info)};
    selection_ = mode;
    manualInForce_ = true;
    if (!same)
        startRegistering();
    update();
}

void Network::deregister()
{
    selection_ = Selection::deregistered;
    stopRegistering();
    update();
}

void Network::setPreference(int mode, int domain)
{
    // The modes of docs/at-dialect.md.
    constexpr int kGsmOnly = 0, kUmtsOnly = 1;
    preferenceMode_ = mode;
    preferenceDomain_ = domain;
    if (mode == kGsmOnly && isUmts(technology_))
        technology_ = Technology::edge;
    else if (mode == kUmtsOnly && !isUmts(technology_))
        technology_ = Technology::umts;
    update();
}

void Network::setRegistration(Registration state, Domain domain)
{
    Selected& chosen = selected();
    if (domain != Domain::packet)
        chosen.circuit = state;
    if (domain != Domain::circuit)
        chosen.packet = state;
    // The network has answered: whatever search was going on is over.
    stopRegistering();
    update();
}

void Network::setOperator(const OperatorInfo& info)
{
    selected().info = info;
    update();
}

void Network::addScanOperator(const OperatorInfo& info)
{
    const auto same = std::find_if(scanList_.begin(), scanList_.end(),
                                   [&](const OperatorInfo& row) { return row.numeric == info.numeric; });
    if (same != scanList_.end())
        *same = info;
    else
        scanList_.push_back(info);
}

void Network::clearScanList() { scanList_.clear(); }

void Network::setSignal(int rssi)
{
    signal_ = rssi;
    update();
}

void Network::setTechnology(Technology technology)
{
    technology_ = technology;
    update();
}

void Network::setCell(CellLocation cell)
{
    cell_ = cell;
    update();
}

void Network::powerOn()
{
    function_ = radioAtPowerUp_ ? kFullFunction : kRadioOffFunction;
    selection_ = Selection::automatic;
    manualInForce_ = false;
    stopRegistering();
    update();
}

} // namespace Cardsim
