// The dialect's rows for the card's network side, calls, USSD and hardware. Answers take
// the shapes of 3GPP TS 27.007 where the command is a standard one; the maker's own
// commands answer with their name and values ("_TSSYS: 2"). Where the host reads only part
// of a line, the row says what the rest holds.

#include "sim/cardsim/CardState.h"
#include "sim/cardsim/Dialect.h"
#include "sim/cardsim/RowSupport.h"

#include <array>
#include <cassert>
#include <climits>

namespace Cardsim {
namespace {

CardState& cardOf(CommandContext& context)
{
    assert(context.card != nullptr && "network rows in a session without a card state");
    return *context.card;
}

const CardState& cardOf(const ReportContext& context)
{
    assert(context.card != nullptr && "network reports in a session without a card state");
    return *context.card;
}

Network& networkOf(CommandContext& context) { return cardOf(context).network(); }
const Network& networkOf(const ReportContext& context) { return cardOf(context).network(); }

std::string numberText(int value) { return std::to_string(value); }

// Reports --------------------------------------------------------------------------------

// "AT_TSQI=1" switches on the report named after the command, "=0" off again.
FinalResult switchReport(CommandContext& context, std::string_view arguments)
{
    if (arguments != "0" && arguments != "1")
        return badParameter();
    const std::string name(reportOf(context.key));
    if (arguments == "1")
        context.session.reports.insert(name);
    else
        context.session.reports.erase(name);
    return FinalResult::ok();
}

// Registration ---------------------------------------------------------------------------

// "<stat>", followed by the quoted LAC and CellID in hexadecimal when `withCell` and the
// card is registered.
std::string registrationFields(Registration state, const CellLocation& cell, bool withCell)
{
    std::string text = numberText(statOf(state));
    if (withCell && isRegistered(state))
        text += "," + inQuotes(hexOf(cell.lac)) + "," + inQuotes(hexOf(cell.ci));
    return text;
}

constexpr int kCellReporting = 2;

FinalResult setReporting(CommandContext& context, std::string_view arguments, int SessionSettings::*level)
{
    // An empty value is 0, as 27.007 has it.
    const auto value = arguments.empty() ? std::optional<int>(0) : wholeNumber(arguments);
    if (!value || *value < 0 || *value > kCellReporting)
        return badParameter();
    context.session.*level = *value;
    const std::string name(reportOf(context.key));
    if (*value > 0)
        context.session.reports.insert(name);
    else
        context.session.reports.erase(name);
    return FinalResult::ok();
}

FinalResult setCircuitReporting(CommandContext& context, std::string_view arguments)
{
    return setReporting(context, arguments, &SessionSettings::circuitReporting);
}

FinalResult setPacketReporting(CommandContext& context, std::string_view arguments)
{
    return setReporting(context, arguments, &SessionSettings::packetReporting);
}

// +CREG: <n>,<stat>[,"<lac>","<ci>"]
FinalResult readCircuitRegistration(CommandContext& context, std::string_view)
{
    const Network& network = networkOf(context);
    const int level = context.session.circuitReporting;
    return answer(context, "+CREG: " + numberText(level) + "," +
                               registrationFields(network.circuit(), network.cell(), level == kCellReporting));
}

// +CGREG: <n>,<stat>[,"<lac>","<ci>"]
FinalResult readPacketRegistration(CommandContext& context, std::string_view)
{
    const Network& network = networkOf(context);
    const int level = context.session.packetReporting;
    return answer(context, "+CGREG: " + numberText(level) + "," +
                               registrationFields(network.packet(), network.cell(), level == kCellReporting));
}

FinalResult testCircuitRegistration(CommandContext& context, std::string_view) { return answer(context, "+CREG: (0-2)"); }
FinalResult testPacketRegistration(CommandContext& context, std::string_view) { return answer(context, "+CGREG: (0-2)"); }

FinalResult readAttachment(CommandContext& context, std::string_view)
{
    return answer(context, isRegistered(networkOf(context).packet()) ? "+CGATT: 1" : "+CGATT: 0");
}

// Operators ------------------------------------------------------------------------------

// +COPS: <mode>[,<format>,"<oper>",<AcT>], the operator only while registered.
FinalResult readOperator(CommandContext& context, std::string_view)
{
    const Network& network = networkOf(context);
    std::string text = "+COPS: " + numberText(static_cast<int>(network.selection()));
    if (network.registered()) {
        const auto format = static_cast<OperatorFormat>(context.session.operatorFormat);
        text += "," + numberText(context.session.operatorFormat) + "," +
                inQuotes(network.servingOperator().name(format)) + "," +
                numberText(traitsOf(network.technology()).accessTechnology);
    }
    return answer(context, std::move(text));
}

// AT+COPS=<mode>[,<format>[,"<oper>"[,<AcT>]]]
FinalResult selectOperator(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list)
        return badParameter();
    const auto mode = numberAt(*list, 0, 0, 5);
    if (!mode)
        return badParameter();
    Network& network = networkOf(context);
    switch (*mode) {
    case static_cast<int>(Selection::automatic): network.selectAutomatic(); return FinalResult::ok();
    case static_cast<int>(Selection::deregistered): network.deregister(); return FinalResult::ok();
    case 3: { // the format of the read command's answer
        const auto format = numberAt(*list, 1, 0, 2);
        if (!format)
            return badParameter();
        context.session.operatorFormat = *format;
        return FinalResult::ok();
    }
    case 5:
        // Some hosts send "AT+COPS=5,0" at start-up; the card takes it and changes nothing.
        return FinalResult::ok();
    default: break; // 1 manual, 4 manual then automatic
    }
    const auto format = numberAt(*list, 1, 0, 2);
    if (!format || list->size() < 3 || !(*list)[2].quoted || list->size() > 4)
        return badParameter();
    // The access technology, if given, must be one; the card stays on the one it has.
    if (list->size() == 4 && !(*list)[3].text.empty() && !numberAt(*list, 3, 0, 7))
        return badParameter();
    const auto chosen = network.findOperator(static_cast<OperatorFormat>(*format), (*list)[2].text);
    const auto selection = static_cast<Selection>(*mode);
    if (chosen)
        network.selectManual(*chosen, selection);
    else if (selection == Selection::manualThenAutomatic)
        network.selectAutomatic(Selection::manualThenAutomatic);
    else
        return FinalResult::cme(kCmeNoNetworkService);
    return FinalResult::ok();
}

// +COPS: (<stat>,"<long>","<short>","<numeric>",<AcT>),...,,(0,1,2,3,4),(0,1,2)
FinalResult finishScan(CommandContext& context, std::string_view)
{
    const Network& network = networkOf(context);
    const std::vector<ScanEntry> entries = network.scan();
    if (entries.empty())
        return FinalResult::cme(kCmeNoNetworkService);
    // A scan lists the kind of radio access of each network, not the cell's details.
    const int technology = isUmts(network.technology()) ? traitsOf(Technology::umts).accessTechnology
                                                        : traitsOf(Technology::gsm).accessTechnology;
    std::string text = "+COPS: ";
    for (const ScanEntry& entry : entries)
        text += "(" + numberText(entry.status) + "," + inQuotes(entry.info.longName) + "," +
                inQuotes(entry.info.shortName) + "," + inQuotes(entry.info.numeric) + "," + numberText(technology) + "),";
    text += ",(0,1,2,3,4),(0,1,2)";
    return answer(context, std::move(text));
}

// The answer comes after the scan; the port takes nothing else meanwhile.
FinalResult scanOperators(CommandContext& context, std::string_view)
{
    const Network& network = networkOf(context);
    if (!network.radioActive())
        return FinalResult::cme(kCmeNoNetworkService);
    context.deferral = Deferral{network.timings().scan, finishScan};
    return FinalResult::ok();
}

// Signal and radio -----------------------------------------------------------------------

FinalResult readSignal(CommandContext& context, std::string_view)
{
    const Network& network = networkOf(context);
    return answer(context, "+CSQ: " + numberText(network.rssi()) + "," + numberText(network.bitErrorRate()));
}

FinalResult testSignal(CommandContext& context, std::string_view) { return answer(context, "+CSQ: (0-31,99),(0-7,99)"); }

FinalResult readFunction(CommandContext& context, std::string_view)
{
    return answer(context, "+CFUN: " + numberText(networkOf(context).function()));
}

// AT+CFUN=<fun>[,<rst>]: 0 and 4 switch the radio off, 1 on; the card does not reset.
FinalResult setFunction(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->size() > 2)
        return badParameter();
    const auto function = numberAt(*list, 0, 0, 4);
    if (!function || (*function != Network::kMinimumFunction && *function != Network::kFullFunction &&
                      *function != Network::kRadioOffFunction))
        return badParameter();
    if (list->size() == 2 && numberAt(*list, 1, 0, 0) != 0)
        return badParameter();
    networkOf(context).setFunction(*function);
    return FinalResult::ok();
}

FinalResult testFunction(CommandContext& context, std::string_view) { return answer(context, "+CFUN: (0,1,4),(0)"); }

// AT_TAIR, as docs/at-dialect.md has it: _TAIR: <on> is the choice for the next power-up.
FinalResult readPowerUpRadio(CommandContext& context, std::string_view)
{
    return answer(context, networkOf(context).radioOnAtPowerUp() ? "_TAIR: 1" : "_TAIR: 0");
}

// AT_TAIR=<on> switches the radio at once, as AT+CFUN=1 or =4, and keeps the choice.
FinalResult setPowerUpRadio(CommandContext& context, std::string_view arguments)
{
    if (arguments != "0" && arguments != "1")
        return badParameter();
    Network& network = networkOf(context);
    const bool on = arguments == "1";
    if (on && network.radioSwitchedOff())
        return FinalResult::cme(kCmeOperationNotAllowed);
    network.setRadioAtPowerUp(on);
    return FinalResult::ok();
}

FinalResult testPowerUpRadio(CommandContext& context, std::string_view) { return answer(context, "_TAIR: (0,1)"); }

// _TPSYS: <mode>,<domain>, as docs/at-dialect.md writes them down.
FinalResult readPreference(CommandContext& context, std::string_view)
{
    const Network& network = networkOf(context);
    return answer(context,
                  "_TPSYS: " + numberText(network.preferenceMode()) + "," + numberText(network.preferenceDomain()));
}

FinalResult setPreference(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->size() > 2)
        return badParameter();
    Network& network = networkOf(context);
    const auto mode = numberAt(*list, 0, 0, 3);
    const auto domain = list->size() == 2 ? numberAt(*list, 1, 0, 2) : std::optional<int>(network.preferenceDomain());
    if (!mode || !domain)
        return badParameter();
    network.setPreference(*mode, *domain);
    return FinalResult::ok();
}

FinalResult testPreference(CommandContext& context, std::string_view) { return answer(context, "_TPSYS: (0-3),(0-2)"); }

// _TSSYS: <x>, as the report _TSSYSI: 0 GSM/GPRS, 2 UMTS.
FinalResult readSystem(CommandContext& context, std::string_view)
{
    return answer(context, "_TSSYS: " + numberText(networkOf(context).system()));
}

// _TCTI: <2G cell type>, as the report: 0 none, 1 GSM, 2 GPRS, 3 EDGE.
FinalResult readCellType2g(CommandContext& context, std::string_view)
{
    return answer(context, "_TCTI: " + numberText(networkOf(context).cellType2g()));
}

// _TUWCTI: <3G cell type>, as the report: 0 none, 1 UMTS, 2 HSDPA.
FinalResult readCellType3g(CommandContext& context, std::string_view)
{
    return answer(context, "_TUWCTI: " + numberText(networkOf(context).cellType3g()));
}

// _TWCTI: <WCDMA cell type>, the 3G cell type again.
FinalResult readWcdmaCellType(CommandContext& context, std::string_view)
{
    return answer(context, "_TWCTI: " + numberText(networkOf(context).cellType3g()));
}

// _TEANT: <n>, as the report.
FinalResult readWcdmaLevel(CommandContext& context, std::string_view)
{
    return answer(context, "_TEANT: " + numberText(networkOf(context).wcdmaLevel()));
}

// _TWIND: 1 while the hardware radio switch lets the radio on, 0 while it holds it off
// (the host reads a non-zero value as on). The report says it the other way round.
FinalResult readRadioSwitch(CommandContext& context, std::string_view)
{
    return answer(context, networkOf(context).radioSwitchedOff() ? "_TWIND: 0" : "_TWIND: 1");
}

std::string idleTextLine(const Network& network)
{
    const IdleText& idle = network.idleText();
    return "_TIDLETEXT: " + numberText(idle.namesNetwork ? 1 : 0) + "," + inQuotes(idle.text);
}

// The answer is the report's line.
FinalResult readIdleText(CommandContext& context, std::string_view)
{
    return answer(context, idleTextLine(networkOf(context)));
}

// Hardware -------------------------------------------------------------------------------

// _TANTPOS: 1 while the antenna is pulled out, 0 while it is in.
FinalResult readAntenna(CommandContext& context, std::string_view)
{
    return answer(context, cardOf(context).hardware().antennaOut() ? "_TANTPOS: 1" : "_TANTPOS: 0");
}

std::string temperatureLine(const CardHardware& hardware)
{
    return "_TPATEMP: " + numberText(hardware.temperatureState()) + "," + numberText(hardware.temperature());
}

// The answer is the report's line.
FinalResult readTemperature(CommandContext& context, std::string_view)
{
    return answer(context, temperatureLine(cardOf(context).hardware()));
}

// _TSWLED: <n>, 0 off, 1 on.
FinalResult readLed(CommandContext& context, std::string_view)
{
    return answer(context, "_TSWLED: " + numberText(cardOf(context).hardware().led()));
}

FinalResult setLed(CommandContext& context, std::string_view arguments)
{
    const auto state = wholeNumber(arguments);
    if (!state || *state < 0 || *state > 1)
        return badParameter();
    cardOf(context).hardware().setLed(*state);
    return FinalResult::ok();
}

// AT_TCFGF=<id> reads a configuration value ("_TCFGF: <value>"), AT_TCFGF=<id>,<value>
// writes one; ids 0 to 65535, never-set values read 0.
FinalResult configuration(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->size() > 2)
        return badParameter();
    const auto id = numberAt(*list, 0, 0, 65535);
    if (!id)
        return badParameter();
    CardHardware& hardware = cardOf(context).hardware();
    if (list->size() == 1)
        return answer(context, "_TCFGF: " + numberText(hardware.configuration(*id)));
    const auto value = numberAt(*list, 1, INT_MIN, INT_MAX);
    if (!value)
        return badParameter();
    hardware.setConfiguration(*id, *value);
    return FinalResult::ok();
}

// One line a band: _TPBM: "<band>",<1 enabled, 0 not>.
FinalResult readBands(CommandContext& context, std::string_view)
{
    for (const Band& band : cardOf(context).hardware().bands())
        context.lines.push_back("_TPBM: " + inQuotes(band.name) + "," + (band.enabled ? "1" : "0"));
    return FinalResult::ok();
}

// AT_TPBM="<band>",<0|1>; "ANY",1 enables every band.
FinalResult setBands(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->size() != 2 || !(*list)[0].quoted)
        return badParameter();
    const auto enabled = numberAt(*list, 1, 0, 1);
    if (!enabled)
        return badParameter();
    CardHardware& hardware = cardOf(context).hardware();
    if ((*list)[0].text == "ANY") {
        if (*enabled == 0)
            return badParameter();
        hardware.setAllBands(true);
        return FinalResult::ok();
    }
    return hardware.setBand((*list)[0].text, *enabled == 1) ? FinalResult::ok() : badParameter();
}

// Calls ----------------------------------------------------------------------------------

FinalResult readCallerId(CommandContext& context, std::string_view)
{
    return answer(context, context.session.reports.contains("+CLIP") ? "+CLIP: 1,1" : "+CLIP: 0,1");
}

FinalResult readConnectedLine(CommandContext& context, std::string_view)
{
    return answer(context, context.session.reports.contains("+COLP") ? "+COLP: 1,1" : "+COLP: 0,1");
}

// ATD<number>; dials a voice call, answered with OK at once; the card carries no data
// calls, so a dial string without the ';' is refused.
FinalResult dialCall(CommandContext& context, std::string_view arguments)
{
    if (!arguments.empty() && (arguments.front() == 'T' || arguments.front() == 't' || arguments.front() == 'P' ||
                               arguments.front() == 'p'))
        arguments.remove_prefix(1);
    if (!arguments.ends_with(';'))
        return FinalResult::error();
    arguments.remove_suffix(1);
    if (!VoiceCall::validNumber(arguments))
        return FinalResult::error();
    CardState& card = cardOf(context);
    if (!isRegistered(card.network().circuit()))
        return FinalResult::cme(kCmeNoNetworkService);
    if (!card.call().dial(arguments))
        return FinalResult::cme(kCmeOperationNotAllowed);
    return FinalResult::ok();
}

FinalResult answerCall(CommandContext& context, std::string_view arguments)
{
    if (!arguments.empty() && arguments != "0")
        return FinalResult::error();
    return cardOf(context).call().answer() ? FinalResult::ok() : FinalResult::cme(kCmeOperationNotAllowed);
}

FinalResult hangUpCall(CommandContext& context, std::string_view arguments)
{
    if (!arguments.empty() && arguments != "0")
        return FinalResult::error();
    cardOf(context).call().hangUp();
    return FinalResult::ok();
}

// USSD -----------------------------------------------------------------------------------

// AT+CUSD=<n>[,"<str>"[,<dcs>]]: n 0 and 1 switch the +CUSD report off and on, 2 ends
// the session; a string goes to the network, whose answer comes as the report.
FinalResult ussdCommand(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->size() > 3)
        return badParameter();
    const auto mode = (*list)[0].text.empty() && list->size() == 1 ? std::optional<int>(0) : numberAt(*list, 0, 0, 2);
    if (!mode)
        return badParameter();
    CardState& card = cardOf(context);
    constexpr int kCancel = 2;
    if (*mode == kCancel) {
        if (list->size() > 1)
            return badParameter();
        card.ussd().cancel();
        return FinalResult::ok();
    }
    if (list->size() >= 2) {
        if (!(*list)[1].quoted || !UssdService::validCode((*list)[1].text))
            return badParameter();
        if (list->size() == 3 && !numberAt(*list, 2, 0, 255))
            return badParameter();
        if (!isRegistered(card.network().circuit()))
            return FinalResult::cme(kCmeNoNetworkService);
    }
    if (*mode == 1)
        context.session.reports.insert("+CUSD");
    else
        context.session.reports.erase("+CUSD");
    if (list->size() >= 2)
        card.ussd().request((*list)[1].text);
    return FinalResult::ok();
}

FinalResult readUssd(CommandContext& context, std::string_view)
{
    return answer(context, context.session.reports.contains("+CUSD") ? "+CUSD: 1" : "+CUSD: 0");
}

FinalResult testUssd(CommandContext& context, std::string_view) { return answer(context, "+CUSD: (0-2)"); }

const std::array kNetworkCommandRows{
    CommandRow{"AT+CREG=", setCircuitReporting},
    CommandRow{"AT+CREG?", readCircuitRegistration},
    CommandRow{"AT+CREG=?", testCircuitRegistration},
    CommandRow{"AT+CGREG=", setPacketReporting},
    CommandRow{"AT+CGREG?", readPacketRegistration},
    CommandRow{"AT+CGREG=?", testPacketRegistration},
    CommandRow{"AT+CGATT?", readAttachment},
    CommandRow{"AT+COPS?", readOperator},
    CommandRow{"AT+COPS=", selectOperator},
    CommandRow{"AT+COPS=?", scanOperators},
    CommandRow{"AT+CSQ", readSignal},
    CommandRow{"AT+CSQ=?", testSignal},
    CommandRow{"AT+CFUN?", readFunction},
    CommandRow{"AT+CFUN=", setFunction},
    CommandRow{"AT+CFUN=?", testFunction},
    CommandRow{"AT_TAIR?", readPowerUpRadio},
    CommandRow{"AT_TAIR=", setPowerUpRadio},
    CommandRow{"AT_TAIR=?", testPowerUpRadio},
    CommandRow{"AT_TPSYS?", readPreference},
    CommandRow{"AT_TPSYS=", setPreference},
    CommandRow{"AT_TPSYS=?", testPreference},
    CommandRow{"AT_TSSYS=", switchReport},
    CommandRow{"AT_TSSYS?", readSystem},
    CommandRow{"AT_TCTI=", switchReport},
    CommandRow{"AT_TCTI?", readCellType2g},
    CommandRow{"AT_TUWCTI=", switchReport},
    CommandRow{"AT_TUWCTI?", readCellType3g},
    CommandRow{"AT_TWCTI?", readWcdmaCellType},
    CommandRow{"AT_TSQI=", switchReport},
    CommandRow{"AT_TEANT=", switchReport},
    CommandRow{"AT_TEANT", readWcdmaLevel},
    CommandRow{"AT_TWIND=", switchReport},
    CommandRow{"AT_TWIND?", readRadioSwitch},
    CommandRow{"AT_TIDLETEXT=", switchReport},
    CommandRow{"AT_TIDLETEXT?", readIdleText},
    CommandRow{"AT_TANTPOS=", switchReport},
    CommandRow{"AT_TANTPOS?", readAntenna},
    CommandRow{"AT_TPATEMP=", switchReport},
    CommandRow{"AT_TPATEMP?", readTemperature},
    // Data-call state reports: the card has no data calls, so the report never comes.
    CommandRow{"AT_TGACT=", switchReport},
    CommandRow{"AT_TSWLED?", readLed},
    CommandRow{"AT_TSWLED=", setLed},
    CommandRow{"AT_TCFGF=", configuration},
    CommandRow{"AT_TPBM?", readBands},
    CommandRow{"AT_TPBM=", setBands},
    CommandRow{"AT+CLIP=", switchReport},
    CommandRow{"AT+CLIP?", readCallerId},
    CommandRow{"AT+COLP=", switchReport},
    CommandRow{"AT+COLP?", readConnectedLine},
    CommandRow{"ATD", dialCall},
    CommandRow{"ATA", answerCall},
    CommandRow{"ATH", hangUpCall},
    CommandRow{"AT+CUSD=", ussdCommand},
    CommandRow{"AT+CUSD?", readUssd},
    CommandRow{"AT+CUSD=?", testUssd},
};

// Unsolicited results --------------------------------------------------------------------

// +CREG: <stat>, or with AT+CREG=2 +CREG: <stat>[,"<lac>","<ci>"].
std::string circuitReport(const ReportContext& context)
{
    const Network& network = networkOf(context);
    return "+CREG: " +
           registrationFields(network.circuit(), network.cell(), context.session.circuitReporting == kCellReporting);
}

// +CGREG: <stat>[,"<lac>","<ci>"] likewise.
std::string packetReport(const ReportContext& context)
{
    const Network& network = networkOf(context);
    return "+CGREG: " +
           registrationFields(network.packet(), network.cell(), context.session.packetReporting == kCellReporting);
}

// A new cell is news only to a host that asked for cells, and only while registered.
std::string circuitCellReport(const ReportContext& context)
{
    const bool wanted = context.session.circuitReporting == kCellReporting && isRegistered(networkOf(context).circuit());
    return wanted ? circuitReport(context) : std::string();
}

std::string packetCellReport(const ReportContext& context)
{
    const bool wanted = context.session.packetReporting == kCellReporting && isRegistered(networkOf(context).packet());
    return wanted ? packetReport(context) : std::string();
}

// _TSIGQ: <rssi>,<ber>, the values of +CSQ: RSSI 0 to 31 (99 none), bit error rate 99.
std::string signalReport(const ReportContext& context)
{
    const Network& network = networkOf(context);
    return "_TSIGQ: " + numberText(network.rssi()) + "," + numberText(network.bitErrorRate());
}

// _TEANT: <n>, the WCDMA signal in bars, 0 to 5; 0 on GSM/GPRS and with the radio off.
std::string wcdmaReport(const ReportContext& context)
{
    return "_TEANT: " + numberText(networkOf(context).wcdmaLevel());
}

// _TSSYSI: <x>, 0 GSM/GPRS, 2 UMTS.
std::string systemReport(const ReportContext& context)
{
    return "_TSSYSI: " + numberText(networkOf(context).system());
}

// _TCTI: <n>, the 2G cell type: 0 none, 1 GSM, 2 GPRS, 3 EDGE.
std::string cellType2gReport(const ReportContext& context)
{
    return "_TCTI: " + numberText(networkOf(context).cellType2g());
}

// _TUWCTI: <n>, the 3G cell type: 0 none, 1 UMTS, 2 HSDPA.
std::string cellType3gReport(const ReportContext& context)
{
    return "_TUWCTI: " + numberText(networkOf(context).cellType3g());
}

// _TWSTAT: <x>, 1 while the hardware switch holds the radio off, 0 otherwise.
std::string radioSwitchReport(const ReportContext& context)
{
    return networkOf(context).radioSwitchedOff() ? "_TWSTAT: 1" : "_TWSTAT: 0";
}

// _TIDLETEXT: <n>,"<text>": n 1 when the text is the serving network's name, 0 when it
// stands in for one ("Searching", "No service", "Emergency calls only", "Radio off").
std::string idleTextReport(const ReportContext& context) { return idleTextLine(networkOf(context)); }

// _TANTPOSI: <x>, 1 pulled out, 0 in.
std::string antennaReport(const ReportContext& context)
{
    return cardOf(context).hardware().antennaOut() ? "_TANTPOSI: 1" : "_TANTPOSI: 0";
}

// _TPATEMP: <a>,<t>: a 0 normal, 1 hot (70 °C and above), 2 critical (85 and above);
// t in degrees Celsius.
std::string temperatureReport(const ReportContext& context) { return temperatureLine(cardOf(context).hardware()); }

// +CUSD: <m>[,"<str>",<dcs>]
std::string ussdReport(const ReportContext& context)
{
    const UssdMessage& message = cardOf(context).ussd().last();
    std::string text = "+CUSD: " + numberText(message.status);
    if (message.text)
        text += "," + inQuotes(*message.text) + "," + numberText(UssdService::kDataCodingScheme);
    return text;
}

std::string ringReport(const ReportContext&) { return "RING"; }

std::string numberReport(std::string_view prefix, const VoiceCall& call)
{
    return std::string(prefix) + inQuotes(call.number()) + "," + numberText(VoiceCall::typeOf(call.number()));
}

// +CLIP: "<number>",<type>: 145 for a number with '+', 129 otherwise.
std::string callerReport(const ReportContext& context) { return numberReport("+CLIP: ", cardOf(context).call()); }

// +COLP: "<number>",<type>, once the dialled side answered.
std::string connectedReport(const ReportContext& context) { return numberReport("+COLP: ", cardOf(context).call()); }

std::string callEndedReport(const ReportContext&) { return "NO CARRIER"; }

const std::array kNetworkReportRows{
    UnsolicitedRow{CardEvent::circuitRegistration, "+CREG", circuitReport},
    UnsolicitedRow{CardEvent::packetRegistration, "+CGREG", packetReport},
    UnsolicitedRow{CardEvent::cellChanged, "+CREG", circuitCellReport},
    UnsolicitedRow{CardEvent::cellChanged, "+CGREG", packetCellReport},
    UnsolicitedRow{CardEvent::signalChanged, "_TSQI", signalReport},
    UnsolicitedRow{CardEvent::signalChanged, "_TEANT", wcdmaReport},
    UnsolicitedRow{CardEvent::systemChanged, "_TSSYS", systemReport},
    UnsolicitedRow{CardEvent::cellType2gChanged, "_TCTI", cellType2gReport},
    UnsolicitedRow{CardEvent::cellType3gChanged, "_TUWCTI", cellType3gReport},
    UnsolicitedRow{CardEvent::radioSwitchChanged, "_TWIND", radioSwitchReport},
    UnsolicitedRow{CardEvent::idleTextChanged, "_TIDLETEXT", idleTextReport},
    UnsolicitedRow{CardEvent::antennaMoved, "_TANTPOS", antennaReport},
    UnsolicitedRow{CardEvent::temperatureChanged, "_TPATEMP", temperatureReport},
    UnsolicitedRow{CardEvent::ussdReceived, "+CUSD", ussdReport},
    // RING on every port, whatever it switched on; the caller's number only with +CLIP.
    UnsolicitedRow{CardEvent::ringing, "", ringReport},
    UnsolicitedRow{CardEvent::ringing, "+CLIP", callerReport},
    UnsolicitedRow{CardEvent::outgoingCallConnected, "+COLP", connectedReport},
    UnsolicitedRow{CardEvent::callEnded, "", callEndedReport},
};

} // namespace

std::span<const CommandRow> networkCommandRows() { return kNetworkCommandRows; }
std::span<const UnsolicitedRow> networkUnsolicitedRows() { return kNetworkReportRows; }

} // namespace Cardsim
