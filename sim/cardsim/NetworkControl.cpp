#include "sim/cardsim/NetworkControl.h"

#include "sim/cardsim/SmsControl.h"

namespace Cardsim {

bool isNetworkVerb(ControlCommand::Verb verb)
{
    using Verb = ControlCommand::Verb;
    switch (verb) {
    case Verb::registration:
    case Verb::servingOperator:
    case Verb::operators:
    case Verb::signal:
    case Verb::technology:
    case Verb::cell:
    case Verb::radioSwitch:
    case Verb::ussd:
    case Verb::ring:
    case Verb::hangup:
    case Verb::temperature:
    case Verb::antenna:
    case Verb::scanDelay:
    case Verb::imsi:
    case Verb::sim:
    case Verb::simRemove:
    case Verb::simInsert:
    case Verb::simReset:
    case Verb::sms:
    case Verb::phonebook: return true;
    default: return false;
    }
}

namespace {

// What the SIM shows of itself; its codes stay on it.
std::string simText(const Sim& sim)
{
    return "state=" + std::string(simStateName(sim.state())) + " lock=" + (sim.lockOn() ? "on" : "off") +
           " pin-left=" + std::to_string(sim.pinAttemptsLeft()) + " puk-left=" + std::to_string(sim.pukAttemptsLeft());
}

} // namespace

std::string executeNetworkCommand(const ControlCommand& command, CardState& state, CardFacts& facts)
{
    using Verb = ControlCommand::Verb;
    Network& network = state.network();
    switch (command.verb) {
    case Verb::registration: network.setRegistration(command.registration, command.domain); break;
    case Verb::servingOperator: network.setOperator(command.operatorInfo); break;
    case Verb::operators:
        if (command.on)
            network.clearScanList();
        else
            network.addScanOperator(command.operatorInfo);
        break;
    case Verb::signal: network.setSignal(command.value); break;
    case Verb::technology: network.setTechnology(command.technology); break;
    case Verb::cell: network.setCell(command.cell); break;
    case Verb::radioSwitch: network.setRadioSwitch(!command.on); break;
    case Verb::ussd:
        if (!isRegistered(network.circuit()))
            return "ERROR the card is not registered";
        state.ussd().notify(command.text);
        break;
    case Verb::ring:
        if (!isRegistered(network.circuit()))
            return "ERROR the card is not registered";
        if (!state.call().ring(command.text))
            return "ERROR a call is in progress";
        break;
    case Verb::hangup:
        if (!state.call().endFromFarSide())
            return "ERROR there is no call";
        break;
    case Verb::temperature: state.hardware().setTemperature(command.value); break;
    case Verb::antenna: state.hardware().setAntenna(command.on); break;
    case Verb::scanDelay: network.timings().scan = command.delay; break;
    case Verb::imsi: facts.imsi = command.text; break;
    case Verb::sim: return "OK " + simText(state.sim());
    case Verb::simRemove:
        if (!state.sim().remove())
            return "ERROR there is no SIM in the card";
        break;
    case Verb::simInsert:
        if (!state.sim().insert())
            return "ERROR a SIM is in the card already";
        break;
    case Verb::simReset:
        state.sim().reset();
        state.messaging().reset();
        state.phonebook().reset();
        break;
    case Verb::sms: return executeSmsOrder(command.sms, state);
    case Verb::phonebook:
        if (!command.on)
            return phonebookText(state.phonebook());
        state.phonebook().clear();
        break;
    default: return "ERROR not a network command";
    }
    return "OK";
}

std::string networkStatus(const CardState& state, const CardFacts& facts)
{
    const Network& network = state.network();
    const CellLocation cell = network.cell();
    std::string text = " cs=" + std::string(registrationName(network.circuit())) +
                       " ps=" + std::string(registrationName(network.packet())) +
                       " mode=" + std::to_string(static_cast<int>(network.selection())) +
                       " operator=" + network.servingOperator().numeric +
                       " tech=" + std::string(traitsOf(network.technology()).name) +
                       " preference=" + std::to_string(network.preferenceMode()) + " lac=" + hexOf(cell.lac) +
                       " ci=" + hexOf(cell.ci) + " rssi=" + std::to_string(network.rssi()) +
                       " cfun=" + std::to_string(network.function()) +
                       " radio-switch=" + (network.radioSwitchedOff() ? "off" : "on") +
                       " call=" + std::string(VoiceCall::stateName(state.call().state())) +
                       " temperature=" + std::to_string(state.hardware().temperature()) +
                       " antenna=" + (state.hardware().antennaOut() ? "out" : "in") + " imsi=" + facts.imsi +
                       " sim=" + std::string(simStateName(state.sim().state()));
    return text;
}

} // namespace Cardsim
