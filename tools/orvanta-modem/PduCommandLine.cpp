#include "PduCommandLine.h"

#include "Arguments.h"

#include "quelder/sms/Tpdu.h"

#include <algorithm>
#include <array>

namespace Orvanta::modem {

namespace {

Failure refusal(std::string reason)
{
    return Failure{ExitCode::usage, std::move(reason)};
}

struct CodingName {
    std::string_view name;
    int coding;
};

constexpr std::array kCodingNames{
    CodingName{"gsm7", SMS::kCodingGsm7},
    CodingName{"8bit", SMS::kCoding8bit},
    CodingName{"ucs2", SMS::kCodingUcs2},
};

// An address the submit PDU can carry in semi-octets: up to 20 digits (also * and #),
// with "+" in front for an international number.
bool isDialable(std::string_view number)
{
    if (number.starts_with('+'))
        number.remove_prefix(1);
    return !number.empty() && number.size() <= 20 && number.find_first_not_of("0123456789*#") == std::string_view::npos;
}

// The options of both commands, each with the command it belongs to.
struct PduOptions {
    std::optional<std::string> length, to, text, smsc, coding, messageClass, validity;
    bool statusReport = false, replyPath = false, json = false;
    // The first option given that belongs to encode only: decode refuses it by name.
    std::string encodeOption;
};

// Reads the option under the cursor into `options`; the failure for one that is wrong
// or unknown, nothing when it was taken.
std::optional<Failure> takeOption(ArgumentCursor& cursor, PduOptions& options)
{
    struct ValueOption {
        std::string_view name;
        std::optional<std::string> PduOptions::*field;
        bool encodeOnly;
    };
    static constexpr std::array kValueOptions{
        ValueOption{"--length", &PduOptions::length, false},  ValueOption{"--to", &PduOptions::to, true},
        ValueOption{"--text", &PduOptions::text, true},       ValueOption{"--smsc", &PduOptions::smsc, true},
        ValueOption{"--coding", &PduOptions::coding, true},   ValueOption{"--class", &PduOptions::messageClass, true},
        ValueOption{"--validity", &PduOptions::validity, true},
    };
    struct FlagOption {
        std::string_view name;
        bool PduOptions::*field;
        bool encodeOnly;
    };
    static constexpr std::array kFlagOptions{
        FlagOption{"--status-report", &PduOptions::statusReport, true},
        FlagOption{"--reply-path", &PduOptions::replyPath, true},
        FlagOption{"--json", &PduOptions::json, false},
    };
    const std::string argument(cursor.current());
    auto remember = [&](bool encodeOnly, std::string_view name) {
        if (encodeOnly && options.encodeOption.empty())
            options.encodeOption = name;
    };
    for (const FlagOption& flag : kFlagOptions) {
        if (argument == flag.name) {
            options.*flag.field = true;
            remember(flag.encodeOnly, flag.name);
            return std::nullopt;
        }
    }
    for (const ValueOption& option : kValueOptions) {
        if (!cursor.names(option.name))
            continue;
        std::optional<std::string> value = cursor.valueOf(option.name);
        if (!value)
            return refusal(std::string(option.name) + " takes a value");
        options.*option.field = std::move(value);
        remember(option.encodeOnly, option.name);
        return std::nullopt;
    }
    return refusal("unknown option for pdu: " + argument);
}

std::variant<Request, Failure> decodeRequest(const std::vector<std::string>& words, const PduOptions& options)
{
    if (!options.encodeOption.empty())
        return refusal(options.encodeOption + " is for pdu encode");
    if (words.empty())
        return refusal("pdu decode takes the PDU in hex");
    if (words.size() > 1)
        return refusal("unexpected argument: " + words[1]);
    Request request;
    request.command = Command::pduDecode;
    request.json = true;
    request.pdu.hex = words.front();
    if (options.length) {
        request.pdu.tpduLength = wholeNumberOf(*options.length, 0, 400);
        if (!request.pdu.tpduLength)
            return refusal("--length takes the TPDU length in octets, 0 to 400");
    }
    return request;
}

std::variant<Request, Failure> encodeRequest(const std::vector<std::string>& words, const PduOptions& options)
{
    if (!words.empty())
        return refusal("unexpected argument: " + words.front());
    if (options.length)
        return refusal("--length is for pdu decode");
    Request request;
    request.command = Command::pduEncode;
    request.json = options.json;
    PduRequest& pdu = request.pdu;
    if (!options.to)
        return refusal("pdu encode takes the destination: --to NUMBER");
    if (!isDialable(*options.to))
        return refusal("not a phone number for --to: " + *options.to +
                       " (up to 20 digits, * and #, with + in front for an international number)");
    pdu.destination = *options.to;
    if (!options.text)
        return refusal("pdu encode takes the text: --text TEXT, or --text - to read it from standard input");
    pdu.textFromInput = *options.text == "-";
    if (!pdu.textFromInput)
        pdu.text = *options.text;
    if (options.smsc) {
        if (!isDialable(*options.smsc))
            return refusal("not a phone number for --smsc: " + *options.smsc);
        pdu.serviceCentre = *options.smsc;
    }
    if (options.coding) {
        const std::optional<int> coding = codingNamed(*options.coding);
        if (!coding)
            return refusal("--coding takes gsm7, 8bit or ucs2");
        pdu.coding = *coding;
    }
    if (options.messageClass) {
        pdu.messageClass = wholeNumberOf(*options.messageClass, 0, 3);
        if (!pdu.messageClass)
            return refusal("--class takes a message class from 0 to 3");
    }
    if (options.validity) {
        const std::optional<int> validity = wholeNumberOf(*options.validity, 0, 255);
        if (!validity)
            return refusal("--validity takes the relative validity octet, 0 to 255");
        pdu.validityPeriod = *validity;
    }
    pdu.statusReportRequest = options.statusReport;
    pdu.replyPath = options.replyPath;
    return request;
}

} // namespace

std::optional<int> codingNamed(std::string_view name)
{
    const auto found =
        std::find_if(kCodingNames.begin(), kCodingNames.end(), [&](const CodingName& c) { return c.name == name; });
    return found == kCodingNames.end() ? std::nullopt : std::optional<int>(found->coding);
}

const char* codingName(int coding) noexcept
{
    const auto found =
        std::find_if(kCodingNames.begin(), kCodingNames.end(), [&](const CodingName& c) { return c.coding == coding; });
    return found == kCodingNames.end() ? "unknown" : found->name.data();
}

std::variant<Request, Failure> parsePduCommandLine(const std::vector<std::string>& arguments)
{
    PduOptions options;
    std::vector<std::string> words;
    for (ArgumentCursor cursor(arguments); !cursor.done(); cursor.advance()) {
        const std::string_view argument = cursor.current();
        if (argument.starts_with("-") && argument.size() > 1) {
            if (std::optional<Failure> failure = takeOption(cursor, options))
                return *failure;
        } else {
            words.emplace_back(argument);
        }
    }
    // words[0] is "pdu".
    words.erase(words.begin());
    if (words.empty() || (words.front() != "decode" && words.front() != "encode"))
        return refusal("pdu takes decode or encode");
    const bool decode = words.front() == "decode";
    words.erase(words.begin());
    return decode ? decodeRequest(words, options) : encodeRequest(words, options);
}

} // namespace Orvanta::modem
