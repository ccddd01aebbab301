#include "PduCommands.h"

#include "CodecMessages.h"
#include "MessageText.h"
#include "PduCommandLine.h"
#include "PduJson.h"

#include "quelder/sms/Tpdu.h"

#include <charconv>
#include <cinttypes>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Orvanta::modem {

namespace {

std::string resultText(QdResult rc)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08" PRIX32, static_cast<std::uint32_t>(rc));
    return text;
}

bool writeLine(std::FILE* output, const std::string& line)
{
    return std::fputs(line.c_str(), output) >= 0 && std::fputc('\n', output) != EOF;
}

Failure cannotWrite()
{
    return Failure{ExitCode::failed, "cannot write the output"};
}

Outcome decodePdu(const PduRequest& request, std::FILE* output)
{
    const int length = request.tpduLength.value_or(tpduLengthOf(request.hex));
    CodecMessages messages;
    if (!SMS::Validate(request.hex, length))
        return Failure{ExitCode::malformedPdu, messages.reason("not a PDU of " + std::to_string(length) + " octets")};
    // A record of over a kilobyte, cleared by the decoder.
    auto message = std::make_unique<SMS::Tpdu>();
    // Only a PDU the codec cannot read is malformed: a missing code page or memory is this
    // system's failure.
    if (const QdResult rc = SMS::Decode(request.hex, length, *message); rc != kQdSuccess)
        return Failure{rc == kQdMalformedPdu ? ExitCode::malformedPdu : ExitCode::failed,
                       messages.reason("the PDU could not be decoded (" + resultText(rc) + ")")};
    if (!writeLine(output, pduJson(*message).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)))
        return cannotWrite();
    return std::nullopt;
}

// The text a receiver reads from the segments: none when one of them does not decode.
// Called while a CodecMessages holds the log.
std::optional<std::string> textCarriedBy(const std::vector<SMS::SubmitPdu>& pdus)
{
    std::string text;
    auto message = std::make_unique<SMS::Tpdu>();
    for (const SMS::SubmitPdu& pdu : pdus) {
        if (SMS::Decode(pdu.hex, pdu.tpduLength, *message) != kQdSuccess)
            return std::nullopt;
        text += message->text;
    }
    return text;
}

// A character the coding has no room for is sent as another one, or not at all, and the
// codec goes on: the user should know before the message goes out so.
void warnOfLostCharacters(const std::string& text, const std::vector<SMS::SubmitPdu>& pdus, int coding,
                          std::FILE* messages)
{
    if (textCarriedBy(pdus) == text)
        return;
    std::fprintf(messages, "orvanta-modem: warning: the %s coding does not carry every character of the text%s\n",
                 codingName(coding), coding == SMS::kCodingUcs2 ? "" : "; --coding ucs2 carries any text");
}

Outcome encodePdu(const Request& request, std::FILE* input, std::FILE* output, std::FILE* messages)
{
    const PduRequest& pdu = request.pdu;
    std::variant<std::string, Failure> text = messageTextOf(pdu, input);
    if (const Failure* wrong = std::get_if<Failure>(&text))
        return *wrong;
    const std::string& body = std::get<std::string>(text);
    // The record holds the whole text the send path sends; a longer one would be cut.
    constexpr std::size_t kMostTextBytes = SMS::kTextCapacity - 1;
    if (body.size() > kMostTextBytes)
        return Failure{ExitCode::usage, "the text is longer than a message holds: " + std::to_string(body.size()) +
                                            " bytes of UTF-8, at most " + std::to_string(kMostTextBytes)};
    CodecMessages log;
    auto message = std::make_unique<SMS::Tpdu>();
    const int messageClass = pdu.messageClass ? *pdu.messageClass + 1 : 0;
    if (const QdResult rc = SMS::CreateOutgoing(pdu.destination.c_str(), body.c_str(),
                                                pdu.serviceCentre.c_str(), messageClass, pdu.coding,
                                                pdu.validityPeriod, pdu.statusReportRequest ? 1 : 0,
                                                pdu.replyPath ? 1 : 0, *message);
        rc != kQdSuccess)
        return Failure{ExitCode::failed, log.reason("the message could not be built (" + resultText(rc) + ")")};
    std::vector<SMS::SubmitPdu> pdus;
    if (const QdResult rc = SMS::EncodeSubmit(*message, pdus); rc != kQdSuccess)
        return Failure{ExitCode::failed, log.reason("the message could not be encoded (" + resultText(rc) + ")")};
    warnOfLostCharacters(body, pdus, pdu.coding, messages);
    for (std::size_t i = 0; i < pdus.size(); ++i) {
        const std::string line = request.json ? segmentJson(pdus[i], i + 1, pdus.size()).dump()
                                              : std::to_string(pdus[i].tpduLength) + " " + pdus[i].hex;
        if (!writeLine(output, line))
            return cannotWrite();
    }
    return std::nullopt;
}

} // namespace

int tpduLengthOf(std::string_view hex) noexcept
{
    unsigned serviceCentre = 0;
    if (hex.size() < 2 || hex.size() % 2 != 0 ||
        std::from_chars(hex.data(), hex.data() + 2, serviceCentre, 16).ptr != hex.data() + 2)
        return 0;
    const std::size_t octets = hex.size() / 2;
    return octets > serviceCentre ? static_cast<int>(octets - 1 - serviceCentre) : 0;
}

Outcome runPduCommand(const Request& request, std::FILE* input, std::FILE* output, std::FILE* messages)
{
    if (request.command == Command::pduDecode)
        return decodePdu(request.pdu, output);
    return encodePdu(request, input, output, messages);
}

} // namespace Orvanta::modem
