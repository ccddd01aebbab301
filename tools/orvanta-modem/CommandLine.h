#pragma once
// What orvanta-modem's command line asks for, checked before anything starts.

#include "ExitCodes.h"

#include "corvane/Enumerations.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace Orvanta::modem {

enum class Command {
    help,
    version,
    status,
    watch,
    pinStatus,
    pinEnter,
    pinUnblock,
    pinChange,
    pinEnable,
    pinDisable,
    radioOn,
    radioOff,
    networks,
    selectNetwork,
    selectAutomatic,
    technology,
    pduDecode,
    pduEncode,
};

// The PDU commands' values; they need no card.
struct PduRequest {
    // decode: the PDU as hex text, and the TPDU length the card reported with it, when given.
    std::string hex;
    std::optional<int> tpduLength;
    // encode: the message and its settings. The text comes from standard input when
    // textFromInput is set.
    std::string destination;
    std::string text;
    bool textFromInput = false;
    std::string serviceCentre;
    int coding = 0;                    // SMS::Coding
    std::optional<int> messageClass;   // 0 to 3; none for a message without a class
    int validityPeriod = 175;          // the relative validity octet the library's own sends use
    bool statusReportRequest = false;
    bool replyPath = false;
};

struct Request {
    Command command = Command::help;
    bool json = false;
    // How long to wait for the card, and then for its answer to the command.
    std::chrono::seconds patience{10};
    // select: the network, and the technology to register with when given.
    std::int64_t mccmnc = 0;
    std::optional<Corvane::PsTechnology> technology;
    // The library's initialisation mode: a full one, without the receiver.
    Corvane::InitMode initMode = Corvane::cInitModeFullAlias;
    PduRequest pdu;
};

// The request, or the failure (usage, with the reason) for a wrong command line.
std::variant<Request, Failure> parseCommandLine(const std::vector<std::string>& arguments);

// "auto", "gsm" (or "2g"), "umts" (or "3g"), as "networkTechnology" values.
std::optional<Corvane::PsTechnology> technologyNamed(const std::string& name);

// Whether a command runs without the library: no session is started for it.
bool runsWithoutCard(Command command) noexcept;

// The text --help prints.
extern const char* const kUsage;

} // namespace Orvanta::modem
