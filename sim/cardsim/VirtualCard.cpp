#include "sim/cardsim/VirtualCard.h"

#include "sim/cardsim/NetworkControl.h"
#include "sim/cardsim/SmsControl.h"

#include "platform/SimDeviceTree.h"
#include "platform/SystemError.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <map>

namespace Cardsim {
namespace {

// Framings of what the card writes: AT answers in verbose mode stand between CR LF pairs,
// NMEA sentences end with CR LF.
constexpr std::string_view kAnswerFraming = "\r\n";
constexpr std::string_view kNoFraming = "";

std::string printable(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
            out += hex;
        } else
            out += c;
    }
    return out;
}

} // namespace

VirtualCard::VirtualCard(Reactor& reactor, CardSetup setup, Track track)
    : reactor_(reactor),
      setup_(std::move(setup)),
      facts_(factsFor(*setup_.profile, setup_.ids.serial)),
      dialect_(Dialect::forCard(setup_.profile->hasReceiver)),
      description_(setup_.folder, setup_.name),
      player_(std::move(track)),
      silent_(setup_.startSilent),
      openers_(reactor),
      pace_(reactor, [this] { onTick(); }),
      alarms_(reactorAlarms(reactor)),
      state_(alarms_, setup_.sim)
{
    facts_.voice = setup_.voice;
    state_.onEvent([this](CardEvent event) { raise(event); });
    if (setup_.profile->hasReceiver) {
        receiver_.emplace(setup_.timeToFirstFix);
        receiver_->onSwitch([this](bool on) { onReceiverSwitched(on); });
        if (setup_.startWithoutFix)
            receiver_->loseFix();
    }
    for (const std::string& fault : setup_.faults)
        if (const ParsedControl parsed = parseControlLine("fail " + fault); parsed.command)
            faults_.set(parsed.command->commandKey, parsed.command->answer, parsed.command->times);
    for (const std::string& line : setup_.networkCommands)
        if (const ParsedControl parsed = parseControlLine(line); parsed.command && isNetworkVerb(parsed.command->verb))
            executeNetworkCommand(*parsed.command, state_, facts_);
}

VirtualCard::~VirtualCard() { unplug(); }

int VirtualCard::error() const { return pace_.error() != 0 ? pace_.error() : openers_.error(); }

int VirtualCard::plug()
{
    if (plugged())
        return Os::kErrorSuccess;
    if (const int error = openPorts()) {
        releasePorts();
        return error;
    }
    std::map<PortRole, std::string> portNames;
    for (const auto& plugged : ports_)
        portNames[plugged->port->role()] = plugged->port->terminal().portName();
    const std::string text = descriptionText(describeCard(*setup_.profile, setup_.ids, portNames));
    if (const int error = description_.publish(text)) {
        releasePorts();
        return error;
    }
    plugged_ = true;
    // Power-on: the receiver as configured, answering (--silent holds for the first plug
    // only), and new sessions with their default settings.
    if (plugs_++ > 0)
        silent_ = false;
    if (receiver_ && setup_.receiverOnAtPowerOn)
        receiver_->switchOn();
    state_.powerOn();
    log("plugged: %s", description_.path().c_str());
    for (const auto& plugged : ports_)
        log("  %-11s %s", std::string(roleName(plugged->port->role())).c_str(), plugged->port->terminal().path().c_str());
    return Os::kErrorSuccess;
}

int VirtualCard::openPorts()
{
    for (const Function& function : setup_.profile->functions) {
        if (!function.hasPort)
            continue;
        auto terminal = PseudoTerminal::open();
        if (!terminal)
            return terminal.error();
        auto plugged = std::make_unique<PluggedPort>();
        PluggedPort* self = plugged.get();
        plugged->port = std::make_unique<CardPort>(function.role, std::move(terminal).value(), reactor_,
                                                   [this, self](std::span<const std::uint8_t> bytes) { onInput(*self, bytes); });
        if (answersAt(function.role)) {
            plugged->session = std::make_unique<AtSession>(dialect_, facts_, receiver_ ? &*receiver_ : nullptr,
                                                           faults_, &state_, alarms_);
            plugged->session->onLateOutput(
                [this, self](const std::vector<Emission>& emissions) { onLateOutput(*self, emissions); });
        }
        CardPort* port = plugged->port.get();
        plugged->openerHandle =
            openers_.follow(port->terminal().path(), [port](int openers) { port->setOpeners(openers); });
        if (plugged->openerHandle < 0)
            return Os::lastSystemError();
        ports_.push_back(std::move(plugged));
    }
    return Os::kErrorSuccess;
}

void VirtualCard::unplug()
{
    if (!plugged_)
        return;
    plugged_ = false;
    pace_.stop();
    if (receiver_)
        receiver_->switchOff();
    // The ports go first, as on a pulled card: the host's reads fail before the tree
    // reports the removal.
    releasePorts();
    if (const int error = description_.withdraw())
        log("cannot remove %s (error %d)", description_.path().c_str(), error);
    log("unplugged");
}

void VirtualCard::releasePorts()
{
    for (const auto& plugged : ports_)
        openers_.forget(plugged->openerHandle);
    ports_.clear();
}

std::string VirtualCard::portPath(PortRole role) const
{
    for (const auto& plugged : ports_)
        if (plugged->port->role() == role)
            return plugged->port->terminal().path();
    return {};
}

VirtualCard::PluggedPort* VirtualCard::find(PortRole role)
{
    for (const auto& plugged : ports_)
        if (plugged->port->role() == role)
            return plugged.get();
    return nullptr;
}

void VirtualCard::onInput(PluggedPort& plugged, std::span<const std::uint8_t> bytes)
{
    const std::string role(roleName(plugged.port->role()));
    // The codes a host sends never reach the log.
    const std::string logged =
        setup_.verbose
            ? printable(plugged.inputMask.mask({reinterpret_cast<const char*>(bytes.data()), bytes.size()}))
            : std::string();
    if (!plugged.session || silent_) {
        log("%s swallowed: %s", role.c_str(), logged.c_str());
        return;
    }
    log("%s < %s", role.c_str(), logged.c_str());
    std::vector<Emission> emissions;
    plugged.session->feed(bytes, emissions);
    send(plugged, emissions);
}

void VirtualCard::onLateOutput(PluggedPort& plugged, const std::vector<Emission>& emissions)
{
    // A silenced card finishes what it was doing without a word.
    if (!silent_)
        send(plugged, emissions);
}

void VirtualCard::send(PluggedPort& plugged, const std::vector<Emission>& emissions)
{
    for (const Emission& emission : emissions) {
        if (emission.kind != Emission::Kind::line) {
            plugged.port->send(emission.text);
            continue;
        }
        sendLine(*plugged.port, emission.text, kAnswerFraming);
    }
}

void VirtualCard::sendLine(CardPort& port, std::string_view text, std::string_view framing)
{
    const bool garble = garbler_.take(port.role());
    const std::string line = garble ? garbled(text) : std::string(text);
    if (setup_.verbose && port.role() != PortRole::gpsData)
        log("%s > %s%s", std::string(roleName(port.role())).c_str(), printable(line).c_str(), garble ? " (garbled)" : "");
    std::string piece;
    piece.reserve(line.size() + 2 * framing.size() + 2);
    piece += framing;
    piece += line;
    piece += framing.empty() ? std::string_view("\r\n") : framing;
    port.send(piece);
}

void VirtualCard::raise(CardEvent event)
{
    if (silent_)
        return;
    for (const auto& plugged : ports_) {
        if (!plugged->session)
            continue;
        std::vector<Emission> emissions;
        plugged->session->report(event, emissions);
        send(*plugged, emissions);
    }
}

void VirtualCard::onReceiverSwitched(bool on)
{
    log("receiver %s", on ? "on" : "off");
    raise(CardEvent::receiverSwitched);
    if (on && plugged())
        pace_.start(std::chrono::nanoseconds(static_cast<std::int64_t>(1e9 / setup_.rate)));
    else
        pace_.stop();
}

void VirtualCard::onTick()
{
    if (!receiver_ || !receiver_->on())
        return;
    const std::vector<std::string> group = player_.next(receiver_->hasFix());
    PluggedPort* data = find(PortRole::gpsData);
    // The walk goes on while nobody listens; what nobody reads is not kept.
    if (data == nullptr || data->port->openers() == 0)
        return;
    for (const std::string& sentence : group) {
        sendLine(*data->port, sentence, kNoFraming);
        if (setup_.sentenceSent)
            setup_.sentenceSent(sentence);
    }
}

int VirtualCard::signalPower(const char* event) const
{
    const std::filesystem::path file = setup_.folder / Os::SimDeviceTree::kPowerFileName;
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return Os::lastSystemError();
    const std::string line = std::string(event) + "\n";
    // One write with O_APPEND: the line lands whole, however many writers there are.
    const ssize_t put = ::write(fd, line.data(), line.size());
    const int error = put == static_cast<ssize_t>(line.size()) ? Os::kErrorSuccess : Os::lastSystemError();
    ::close(fd);
    return error;
}

std::string VirtualCard::status() const
{
    std::string text = plugged() ? "plugged" : "unplugged";
    char ids[64];
    std::snprintf(ids, sizeof ids, " usb=%04X:%04X", static_cast<unsigned>(setup_.ids.vendorId),
                  static_cast<unsigned>(setup_.ids.productId));
    text += " profile=" + std::string(setup_.profile->name) + ids + " serial=" + setup_.ids.serial;
    if (receiver_) {
        text += receiver_->on() ? " receiver=on" : " receiver=off";
        text += receiver_->fixLost() ? " fix=lost" : (receiver_->hasFix() ? " fix=yes" : " fix=no");
    } else {
        text += " receiver=none";
    }
    text += silent_ ? " silent=yes" : " silent=no";
    text += facts_.voice ? " voice=yes" : " voice=no";
    text += " faults=" + std::to_string(faults_.size()) + " garble=" + std::to_string(garbler_.pending());
    text += networkStatus(state_, facts_);
    text += smsStatus(state_);
    for (const auto& plugged : ports_) {
        text += " " + std::string(roleName(plugged->port->role())) + "=" + plugged->port->terminal().path();
        text += "(openers=" + std::to_string(plugged->port->openers()) +
                ",dropped=" + std::to_string(plugged->port->dropped()) + ")";
    }
    return text;
}

std::string VirtualCard::execute(const ControlCommand& command)
{
    using Verb = ControlCommand::Verb;
    if (isNetworkVerb(command.verb))
        return executeNetworkCommand(command, state_, facts_);
    auto result = [](int error, const char* what) {
        return error == 0 ? std::string("OK") : "ERROR " + std::string(what) + " failed (error " + std::to_string(error) + ")";
    };
    switch (command.verb) {
    case Verb::help: {
        std::string text = "OK";
        for (const ControlVerb& verb : controlVerbs())
            text += " " + std::string(verb.name);
        return text;
    }
    case Verb::status: return "OK " + status();
    case Verb::unplug:
        unplug();
        return "OK";
    case Verb::plug: return result(plug(), "plug");
    case Verb::replug:
        unplug();
        return result(plug(), "plug");
    case Verb::loseFix:
    case Verb::regainFix:
    case Verb::gps: return commandReceiver(command);
    case Verb::fail:
        faults_.set(command.commandKey, command.answer, command.times);
        return "OK";
    case Verb::heal:
        if (command.commandKey.empty())
            faults_.healAll();
        else if (!faults_.heal(command.commandKey))
            return "ERROR no fault for " + command.commandKey;
        return "OK";
    case Verb::silence:
    case Verb::unsilence:
        silent_ = command.verb == Verb::silence;
        for (const auto& plugged : ports_)
            if (plugged->session)
                plugged->session->dropPartialLine();
        return "OK";
    case Verb::garble:
        garbler_.arm(command.count, command.port);
        return "OK";
    case Verb::urc: {
        int sent = 0;
        for (const auto& plugged : ports_)
            if (plugged->session && (!command.port || *command.port == plugged->port->role())) {
                sendLine(*plugged->port, command.text, kAnswerFraming);
                ++sent;
            }
        return sent > 0 ? "OK" : "ERROR no such AT port plugged";
    }
    case Verb::suspend: return result(signalPower("suspend"), "writing the power file");
    case Verb::resume: return result(signalPower("resume"), "writing the power file");
    case Verb::stop:
        unplug();
        if (stop_)
            stop_();
        return "OK";
    default: break;
    }
    return "ERROR";
}

std::string VirtualCard::commandReceiver(const ControlCommand& command)
{
    using Verb = ControlCommand::Verb;
    if (!receiver_)
        return "ERROR this card has no GPS receiver";
    if (command.verb == Verb::loseFix) {
        receiver_->loseFix();
        raise(CardEvent::fixLost);
    } else if (command.verb == Verb::regainFix) {
        receiver_->regainFix();
        raise(CardEvent::fixRegained);
    } else if (!plugged()) {
        return "ERROR the card is unplugged";
    } else if (command.on) {
        receiver_->switchOn();
    } else {
        receiver_->switchOff();
    }
    return "OK";
}

void VirtualCard::log(const char* format, ...) const
{
    if (!setup_.verbose)
        return;
    std::va_list arguments;
    va_start(arguments, format);
    std::fputs("orvanta-cardsim: ", stderr);
    std::vfprintf(stderr, format, arguments);
    std::fputc('\n', stderr);
    va_end(arguments);
}

} // namespace Cardsim
