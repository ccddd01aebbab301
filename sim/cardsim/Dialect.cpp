#include "sim/cardsim/Dialect.h"

#include "sim/cardsim/Receiver.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstdio>

namespace Cardsim {
namespace {

// A whole decimal number and nothing else.
std::optional<int> number(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

FinalResult answer(CommandContext& context, std::string line)
{
    context.lines.push_back(std::move(line));
    return FinalResult::ok();
}

// A parameter that the command does not take: extended commands say why, basic ones
// ("ATE7") only ERROR.
FinalResult badParameter() { return FinalResult::cme(kCmeIncorrectParameters); }

FinalResult echo(CommandContext& context, std::string_view arguments)
{
    // "ATE" alone means E0.
    if (arguments.empty() || arguments == "0" || arguments == "1") {
        context.session.echo = arguments == "1";
        return FinalResult::ok();
    }
    return FinalResult::error();
}

FinalResult reset(CommandContext& context, std::string_view arguments)
{
    if (!arguments.empty() && arguments != "0")
        return FinalResult::error();
    context.session = SessionSettings{};
    return FinalResult::ok();
}

FinalResult information(CommandContext& context, std::string_view)
{
    context.lines.push_back(context.facts.manufacturer);
    context.lines.push_back(context.facts.model);
    return answer(context, "Revision: " + context.facts.firmware);
}

FinalResult setErrorReporting(CommandContext& context, std::string_view arguments)
{
    const auto mode = number(arguments);
    // Verbose error texts (2) are not part of this card's firmware.
    if (!mode || (*mode != kCmeeOff && *mode != kCmeeNumeric))
        return badParameter();
    context.session.errorReporting = *mode;
    return FinalResult::ok();
}

FinalResult readErrorReporting(CommandContext& context, std::string_view)
{
    return answer(context, "+CMEE: " + std::to_string(context.session.errorReporting));
}

FinalResult testErrorReporting(CommandContext& context, std::string_view) { return answer(context, "+CMEE: (0,1)"); }

// The standard identity commands answer bare text; the maker's own ones carry their name.
FinalResult manufacturer(CommandContext& context, std::string_view) { return answer(context, context.facts.manufacturer); }
FinalResult model(CommandContext& context, std::string_view) { return answer(context, context.facts.model); }
FinalResult firmware(CommandContext& context, std::string_view) { return answer(context, context.facts.firmware); }
FinalResult imei(CommandContext& context, std::string_view) { return answer(context, context.facts.imei); }
FinalResult imsi(CommandContext& context, std::string_view) { return answer(context, context.facts.imsi); }
FinalResult serial(CommandContext& context, std::string_view) { return answer(context, "_TGSN: " + context.facts.serial); }
FinalResult productName(CommandContext& context, std::string_view)
{
    return answer(context, "_TPMN: " + context.facts.productName);
}
FinalResult hardware(CommandContext& context, std::string_view) { return answer(context, "_THWV: " + context.facts.hardware); }
FinalResult pinState(CommandContext& context, std::string_view) { return answer(context, "+CPIN: READY"); }

// What the card reports about itself at start-up and on request.
FinalResult ok(CommandContext&, std::string_view) { return FinalResult::ok(); }

// A report the card can switch on ("AT_TSQI=1"): only 1 and 0 are settings.
FinalResult switchReport(CommandContext&, std::string_view arguments)
{
    if (arguments != "0" && arguments != "1")
        return badParameter();
    return FinalResult::ok();
}

FinalResult technologyChoices(CommandContext& context, std::string_view)
{
    return answer(context, "_TPSYS: (0-3),(0-2)");
}
FinalResult accessTechnology(CommandContext& context, std::string_view) { return answer(context, "_TSSYS: 2"); }
FinalResult voiceSupport(CommandContext& context, std::string_view) { return answer(context, "_TPCMENABLE: 0"); }
FinalResult radioSwitch(CommandContext& context, std::string_view) { return answer(context, "_TWIND: 1"); }
FinalResult idleText(CommandContext& context, std::string_view) { return answer(context, "_TIDLETEXT: \"Test Network\""); }
FinalResult hsxpaCategory(CommandContext& context, std::string_view) { return answer(context, "_THSPACAT: 8,6"); }
FinalResult rxCode(CommandContext& context, std::string_view) { return answer(context, "_TRXC: 3"); }
FinalResult oisov(CommandContext& context, std::string_view) { return answer(context, "_TISOV: " + context.facts.firmware); }
FinalResult osrls(CommandContext& context, std::string_view) { return answer(context, "_TSRLS: 2009-06-30"); }
FinalResult simLoaded(CommandContext& context, std::string_view) { return answer(context, "_TBLS: 1"); }
FinalResult extendedError(CommandContext& context, std::string_view) { return answer(context, "+CEER: No cause"); }
FinalResult ownNumber(CommandContext& context, std::string_view)
{
    return answer(context, "+CNUM: \"Voice\",\"" + context.facts.phoneNumber + "\",145");
}
FinalResult messageStorage(CommandContext& context, std::string_view)
{
    return answer(context, "+CPMS: \"SM\",3,20,\"SM\",3,20,\"SM\",3,20");
}

// Only the read of EF_ICCID ("AT+CRSM=176,12258,0,0,10") is known; its digits go in
// swapped pairs, padded with F.
FinalResult restrictedSimAccess(CommandContext& context, std::string_view arguments)
{
    if (arguments != "176,12258,0,0,10")
        return badParameter();
    std::string digits = context.facts.iccid;
    if (digits.size() % 2 != 0)
        digits += 'F';
    std::string swapped;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        swapped += digits[i + 1];
        swapped += digits[i];
    }
    return answer(context, "+CRSM: 144,0,\"" + swapped + "\"");
}
FinalResult radioState(CommandContext& context, std::string_view) { return answer(context, "+CFUN: 1"); }

// The receiver reports 2 when on, 0 when off; 2 and 0 are also what switches it.
constexpr int kReceiverOn = 2;
constexpr int kReceiverOff = 0;

FinalResult readReceiver(CommandContext& context, std::string_view)
{
    assert(context.receiver != nullptr && "receiver rows on a card without a receiver");
    return answer(context, "_TGPS: " + std::to_string(context.receiver->on() ? kReceiverOn : kReceiverOff));
}

FinalResult switchReceiver(CommandContext& context, std::string_view arguments)
{
    assert(context.receiver != nullptr && "receiver rows on a card without a receiver");
    const auto state = number(arguments);
    if (state == kReceiverOn)
        context.receiver->switchOn();
    else if (state == kReceiverOff)
        context.receiver->switchOff();
    else
        return badParameter();
    return FinalResult::ok();
}

FinalResult testReceiver(CommandContext& context, std::string_view) { return answer(context, "_TGPS: (0,2)"); }

FinalResult setReceiverParameters(CommandContext& context, std::string_view arguments)
{
    assert(context.receiver != nullptr && "receiver rows on a card without a receiver");
    const std::size_t comma = arguments.find(',');
    if (comma == std::string_view::npos)
        return badParameter();
    const auto mode = number(arguments.substr(0, comma));
    const auto accuracy = number(arguments.substr(comma + 1));
    if (!mode || !accuracy)
        return badParameter();
    context.receiver->setParameters(*mode, *accuracy);
    return FinalResult::ok();
}

const CommandRow kCommonRows[] = {
    {"ATE", echo},
    {"ATZ", reset},
    {"ATI", information},
    {"AT+CMEE=", setErrorReporting},
    {"AT+CMEE?", readErrorReporting},
    {"AT+CMEE=?", testErrorReporting},
    {"AT+CGMI", manufacturer},
    {"AT+CGMM", model},
    {"AT+CGMR", firmware},
    {"AT+CGSN", imei},
    {"AT_TGSN", serial},
    {"AT_TPMN", productName},
    {"AT_THWV", hardware},
    {"AT+CIMI", imsi},
    {"AT+CPIN?", pinState},
    {"AT+CFUN?", radioState},
    {"AT+CNUM", ownNumber},
    {"AT+CPMS?", messageStorage},
    {"AT+CRSM=", restrictedSimAccess},
    {"AT+CEER", extendedError},
    {"AT_TPSYS=?", technologyChoices},
    {"AT_TSSYS=", switchReport},
    {"AT_TSSYS?", accessTechnology},
    {"AT_TSQI=", switchReport},
    {"AT_TEANT=", switchReport},
    {"AT_TGACT=", switchReport},
    {"AT_TPCMENABLE?", voiceSupport},
    {"AT_TWIND=", switchReport},
    {"AT_TWIND?", radioSwitch},
    {"AT_TIDLETEXT=", switchReport},
    {"AT_TIDLETEXT?", idleText},
    {"AT_THSPACAT?", hsxpaCategory},
    {"AT_TRXC?", rxCode},
    {"AT_TISOV?", oisov},
    {"AT_TSRLS", osrls},
    {"AT_TSUDL", ok},
    {"AT_TSPDS", ok},
    {"AT_TRESET", ok},
    {"AT_TBLS", simLoaded},
};

const CommandRow kReceiverRows[] = {
    {"AT_TGPS?", readReceiver},
    {"AT_TGPS=", switchReceiver},
    {"AT_TGPS=?", testReceiver},
    {"AT_TGPSP=", setReceiverParameters},
};

char luhnDigit(std::string_view digits)
{
    int sum = 0;
    // Every second digit from the right of the full number is doubled; the check digit
    // itself is the first from the right, so doubling starts with the last given digit.
    for (std::size_t i = 0; i < digits.size(); ++i) {
        int digit = digits[digits.size() - 1 - i] - '0';
        if (i % 2 == 0)
            digit = digit * 2 > 9 ? digit * 2 - 9 : digit * 2;
        sum += digit;
    }
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

} // namespace

CardFacts factsFor(const Profile& profile, std::string_view serial)
{
    const std::uint32_t hash = stableHash(serial);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%06u", static_cast<unsigned>(hash % 1000000u));
    // A type allocation code from the range kept for test equipment.
    std::string imei = std::string("00440015") + digits;
    imei += luhnDigit(imei);
    std::snprintf(digits, sizeof digits, "%010u", static_cast<unsigned>(hash % 10000000000ull));
    const std::string subscriber = digits;
    // An issuer number of the test range; the last digit is the Luhn check digit.
    std::string iccid = "89001012" + subscriber.substr(0, 10);
    iccid += luhnDigit(iccid);
    const Identity& id = profile.identity;
    return CardFacts{std::string(id.manufacturer), std::string(id.model), std::string(id.productName),
                     std::string(id.firmware), std::string(id.hardware), std::string(serial), std::move(imei),
                     "00101" + subscriber, std::move(iccid), "+1555" + subscriber.substr(3)};
}

Dialect Dialect::forCard(bool withReceiver)
{
    std::vector<CommandRow> rows(std::begin(kCommonRows), std::end(kCommonRows));
    if (withReceiver)
        rows.insert(rows.end(), std::begin(kReceiverRows), std::end(kReceiverRows));
    return Dialect(std::move(rows));
}

const CommandRow* Dialect::find(std::string_view key) const
{
    const auto found = std::find_if(rows_.begin(), rows_.end(), [&](const CommandRow& row) { return row.key == key; });
    return found == rows_.end() ? nullptr : &*found;
}

std::vector<std::string_view> Dialect::keys() const
{
    std::vector<std::string_view> all;
    for (const CommandRow& row : rows_)
        all.push_back(row.key);
    return all;
}

std::vector<std::string> Dialect::unsolicited(CardEvent event, const SessionSettings& session, const CardFacts& facts,
                                              const Receiver* receiver) const
{
    std::vector<std::string> lines;
    for (const UnsolicitedRow& row : unsolicited_)
        if (row.event == event && (row.report.empty() || session.reports.contains(row.report)))
            lines.push_back(row.text(facts, receiver));
    return lines;
}

FinalResult Dialect::run(std::span<const AtCommand> commands, CommandContext& context, FaultRules& faults) const
{
    for (const AtCommand& command : commands) {
        if (const auto forced = faults.take(command.key))
            return *forced;
        const CommandRow* row = find(command.key);
        if (row == nullptr)
            return FinalResult::error();
        const FinalResult result = row->handler(context, command.arguments);
        if (result.failed())
            return result;
    }
    return FinalResult::ok();
}

} // namespace Cardsim
