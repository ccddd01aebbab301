#include "sim/cardsim/Dialect.h"

#include "sim/cardsim/Receiver.h"
#include "sim/cardsim/RowSupport.h"

#include <algorithm>
#include <cassert>
#include <cstdio>

namespace Cardsim {
namespace {

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
    const auto mode = wholeNumber(arguments);
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
FinalResult serial(CommandContext& context, std::string_view) { return answer(context, "_TGSN: " + context.facts.serial); }
FinalResult productName(CommandContext& context, std::string_view)
{
    return answer(context, "_TPMN: " + context.facts.productName);
}
FinalResult hardware(CommandContext& context, std::string_view) { return answer(context, "_THWV: " + context.facts.hardware); }

// What the card reports about itself at start-up and on request.
FinalResult ok(CommandContext&, std::string_view) { return FinalResult::ok(); }

FinalResult voiceSupport(CommandContext& context, std::string_view)
{
    return answer(context, context.facts.voice ? "_TPCMENABLE: 1" : "_TPCMENABLE: 0");
}
FinalResult hsxpaCategory(CommandContext& context, std::string_view) { return answer(context, "_THSPACAT: 8,6"); }
FinalResult rxCode(CommandContext& context, std::string_view) { return answer(context, "_TRXC: 3"); }
FinalResult oisov(CommandContext& context, std::string_view) { return answer(context, "_TISOV: " + context.facts.firmware); }
FinalResult osrls(CommandContext& context, std::string_view) { return answer(context, "_TSRLS: 2009-06-30"); }
FinalResult extendedError(CommandContext& context, std::string_view) { return answer(context, "+CEER: No cause"); }

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
    const auto state = wholeNumber(arguments);
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
    const auto mode = wholeNumber(arguments.substr(0, comma));
    const auto accuracy = wholeNumber(arguments.substr(comma + 1));
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
    {"AT+CEER", extendedError},
    {"AT_TPCMENABLE?", voiceSupport},
    {"AT_THSPACAT?", hsxpaCategory},
    {"AT_TRXC?", rxCode},
    {"AT_TISOV?", oisov},
    {"AT_TSRLS", osrls},
    {"AT_TSUDL", ok},
    {"AT_TSPDS", ok},
    {"AT_TRESET", ok},
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

bool isImsi(std::string_view text)
{
    return text.size() >= 6 && text.size() <= 15 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

Dialect Dialect::forCard(bool withReceiver)
{
    std::vector<CommandRow> rows(std::begin(kCommonRows), std::end(kCommonRows));
    for (const std::span<const CommandRow> more :
         {simCommandRows(), smsCommandRows(), phonebookCommandRows(), networkCommandRows()})
        rows.insert(rows.end(), more.begin(), more.end());
    if (withReceiver)
        rows.insert(rows.end(), std::begin(kReceiverRows), std::end(kReceiverRows));
    std::vector<UnsolicitedRow> reports;
    for (const std::span<const UnsolicitedRow> more : {networkUnsolicitedRows(), smsUnsolicitedRows()})
        reports.insert(reports.end(), more.begin(), more.end());
    return Dialect(std::move(rows), std::move(reports));
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

std::vector<std::string> Dialect::unsolicited(CardEvent event, const ReportContext& context) const
{
    std::vector<std::string> lines;
    for (const UnsolicitedRow& row : unsolicited_)
        if (row.event == event && (row.report.empty() || context.session.reports.contains(row.report)))
            if (std::string line = row.text(context); !line.empty())
                lines.push_back(std::move(line));
    return lines;
}

FinalResult Dialect::run(std::span<const AtCommand>& commands, CommandContext& context, FaultRules& faults) const
{
    while (!commands.empty()) {
        const AtCommand& command = commands.front();
        commands = commands.subspan(1);
        if (const auto forced = faults.take(command.key))
            return *forced;
        const CommandRow* row = find(command.key);
        if (row == nullptr)
            return FinalResult::error();
        context.key = command.key;
        const FinalResult result = row->handler(context, command.arguments);
        if (result.failed() || context.deferral || context.prompt)
            return result;
    }
    return FinalResult::ok();
}

} // namespace Cardsim
