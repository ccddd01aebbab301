#pragma once
// The virtual card: plugs itself into the simulated device tree with one pseudo-terminal
// per port, answers AT on its AT ports, streams the track on its GPS data port while the
// receiver is on, and does what the control commands say. Runs on the reactor's thread.

#include "sim/cardsim/Alarm.h"
#include "sim/cardsim/AtSession.h"
#include "sim/cardsim/CardDescription.h"
#include "sim/cardsim/CardPort.h"
#include "sim/cardsim/CardState.h"
#include "sim/cardsim/ControlCommand.h"
#include "sim/cardsim/Dialect.h"
#include "sim/cardsim/FaultRules.h"
#include "sim/cardsim/Garbler.h"
#include "sim/cardsim/OpenerWatch.h"
#include "sim/cardsim/Reactor.h"
#include "sim/cardsim/Receiver.h"
#include "sim/cardsim/SecretMask.h"
#include "sim/cardsim/Sim.h"
#include "sim/cardsim/Track.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Cardsim {

struct CardSetup {
    const Profile* profile = nullptr;
    CardIds ids;
    std::filesystem::path folder; // the simulator's folder
    std::string name;             // of the description file
    double rate = 1.0;            // sentence groups a second
    std::chrono::milliseconds timeToFirstFix{0};
    bool receiverOnAtPowerOn = false;
    bool startWithoutFix = false;
    bool startSilent = false;
    bool voice = false; // the card carries voice calls
    SimSetup sim;
    std::vector<std::string> faults; // arguments of "fail"
    // Control commands for the network the card meets ("register roaming", "signal 12"),
    // carried out before the first plug.
    std::vector<std::string> networkCommands;
    bool verbose = false;
    // Told of every sentence right after it was handed to the GPS data port, on the
    // reactor's thread; for measuring how long the host takes to deliver it.
    std::function<void(std::string_view sentence)> sentenceSent;
};

class VirtualCard {
public:
    VirtualCard(Reactor& reactor, CardSetup setup, Track track);
    ~VirtualCard();
    VirtualCard(const VirtualCard&) = delete;
    VirtualCard& operator=(const VirtualCard&) = delete;

    // 0, or the system error that kept the card's timer or port watch from starting.
    int error() const;

    // Opens the ports and writes the description. Returns 0 or a system error; a failed
    // plug leaves the card unplugged.
    int plug();
    // Closes the ports and removes the description.
    void unplug();
    bool plugged() const { return plugged_; }

    // Carries out a control command and answers with its reply line. `stop` is asked of
    // the owner through onStop.
    std::string execute(const ControlCommand& command);
    void onStop(std::function<void()> stop) { stop_ = std::move(stop); }

    // The path of a port while plugged ("/dev/pts/4"); empty when there is none.
    std::string portPath(PortRole role) const;
    const CardState& state() const { return state_; }

private:
    struct PluggedPort {
        std::unique_ptr<CardPort> port;
        std::unique_ptr<AtSession> session; // for AT ports
        SecretMask inputMask; // what the host sent, for the log
        int openerHandle = -1;
    };

    int openPorts();
    // Closes the ports; their opener counts end first.
    void releasePorts();
    void onInput(PluggedPort& plugged, std::span<const std::uint8_t> bytes);
    void send(PluggedPort& plugged, const std::vector<Emission>& emissions);
    void sendLine(CardPort& port, std::string_view text, std::string_view framing);
    void onReceiverSwitched(bool on);
    // Sends the unsolicited results of `event` on every AT port that reports it.
    void raise(CardEvent event);
    void onTick();
    PluggedPort* find(PortRole role);
    std::string status() const;
    std::string commandReceiver(const ControlCommand& command);
    void onLateOutput(PluggedPort& plugged, const std::vector<Emission>& emissions);
    int signalPower(const char* event) const;
    void log(const char* format, ...) const __attribute__((format(printf, 2, 3)));

    Reactor& reactor_;
    const CardSetup setup_;
    CardFacts facts_; // the IMSI may be changed by a control command
    const Dialect dialect_;
    const DescriptionFile description_;
    FaultRules faults_;
    std::optional<Receiver> receiver_;
    TrackPlayer player_;
    Garbler garbler_;
    bool plugged_ = false;
    bool silent_ = false;
    int plugs_ = 0;
    std::function<void()> stop_;
    OpenerWatch openers_;
    Timer pace_;
    const AlarmMaker alarms_;
    CardState state_;
    std::vector<std::unique_ptr<PluggedPort>> ports_; // last: their handlers use everything above
};

} // namespace Cardsim
