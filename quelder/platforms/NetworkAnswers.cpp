#include "quelder/platforms/NetworkAnswers.h"

#include "quelder/ModemStates.h"
#include "quelder/QdResult.h"
#include "quelder/at/Line.h"
#include "quelder/registration/VirtualHomeNetworks.h"

#include <algorithm>
#include <cstring>

namespace GSM {
namespace {

constexpr std::size_t kLongNameOffset = 8;
constexpr std::size_t kLongNameSize = 33;
constexpr std::size_t kShortNameOffset = 41;
constexpr std::size_t kShortNameSize = 19;
constexpr std::size_t kTechnologyOffset = 60;

// Copies `text` with a NUL into `size` bytes, cut at the start of a UTF-8 character.
void CopyName(std::string_view text, unsigned char* field, std::size_t size) noexcept
{
    std::size_t length = std::min(text.size(), size - 1);
    while (length > 0 && length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0u) == 0x80u)
        --length;
    std::memcpy(field, text.data(), length);
    field[length] = 0;
}

void WriteInt(unsigned char* at, int value) noexcept { std::memcpy(at, &value, sizeof value); }

// The end of the group that opens at `open` ("(...)"), quotes respected; npos when it
// does not close.
std::size_t GroupEnd(std::string_view text, std::size_t open) noexcept
{
    bool quoted = false;
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == ')' && !quoted)
            return i;
    }
    return std::string_view::npos;
}

// One operator group's inside: 2,"long","short","00101",2. Nothing for a group that is
// no operator (the list of modes).
std::optional<NetworkEntry> OperatorOf(std::string_view group)
{
    Line line{std::string(group)};
    NetworkEntry entry;
    try {
        entry.state = line.ReadInt();
        if (!line.SkipIf(','))
            return std::nullopt;
        entry.longName = line.ReadQuotedString().Text();
    } catch (const ResultError&) {
        return std::nullopt;
    }
    auto comma = [&line] {
        if (!line.SkipIf(','))
            Raise(kQdNotAvailable);
    };
    comma();
    entry.shortName = line.ReadQuotedString().Text();
    comma();
    entry.mccMnc = NetworkNumberOf(line.ReadQuotedString().Text());
    std::optional<int> technology;
    if (line.SkipIf(','))
        technology = line.ReadInt();
    entry.technology = NetworkTechnologyOf(technology);
    return entry;
}

std::string Unquoted(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\"");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_first_of("\",", first);
    return std::string(text.substr(first, last == std::string_view::npos ? std::string_view::npos : last - first));
}

} // namespace

void WriteNetworkEntry(const NetworkEntry& entry, void* record) noexcept
{
    auto* bytes = static_cast<unsigned char*>(record);
    std::memset(bytes, 0, kNetworkEntrySize);
    WriteInt(bytes, entry.mccMnc);
    WriteInt(bytes + 4, entry.state);
    CopyName(entry.longName, bytes + kLongNameOffset, kLongNameSize);
    CopyName(entry.shortName, bytes + kShortNameOffset, kShortNameSize);
    WriteInt(bytes + kTechnologyOffset, entry.technology);
}

int NetworkTechnologyOf(std::optional<int> accessTechnology) noexcept
{
    if (!accessTechnology)
        return 0;
    switch (*accessTechnology) {
    case 0:
    case 1:
    case 3:
        return 1;
    case 2:
    case 4:
    case 5:
    case 6:
        return 2;
    default:
        return 0;
    }
}

std::vector<NetworkEntry> OperatorListOf(std::string_view answer)
{
    std::vector<NetworkEntry> operators;
    std::size_t at = 0;
    for (;;) {
        at = answer.find_first_not_of(" \t", at);
        if (at == std::string_view::npos || answer[at] != '(')
            break; // the end, or the empty field before the modes
        const std::size_t end = GroupEnd(answer, at);
        if (end == std::string_view::npos)
            Raise(kQdNotAvailable); // cut short: the list is not whole
        const std::optional<NetworkEntry> entry = OperatorOf(answer.substr(at + 1, end - at - 1));
        if (!entry)
            break; // the modes and formats
        operators.push_back(*entry);
        at = end + 1;
        if (at < answer.size() && answer[at] == ',')
            ++at;
    }
    return operators;
}

CurrentOperator CurrentOperatorOf(std::string_view answer)
{
    Line line{std::string(answer)};
    CurrentOperator current;
    current.mode = line.ReadInt();
    if (!line.SkipIf(','))
        return current;
    current.format = line.ReadInt();
    if (!line.SkipIf(','))
        Raise(kQdNotAvailable);
    current.name = line.ReadQuotedString().Text();
    if (line.SkipIf(','))
        current.accessTechnology = line.ReadInt();
    return current;
}

CellTypes CellTypesOfZpas(std::string_view answer)
{
    const std::string name = Unquoted(answer);
    CellTypes types;
    if (name == "GPRS")
        types.type2g = kCellTypeGprs;
    else if (name == "EDGE")
        types.type2g = kCellTypeEdge;
    else if (name == "UMTS")
        types.type3g = kCellTypeWcdma;
    else if (name == "HSDPA")
        types.type3g = kCellTypeHsdpa;
    else if (name == "HSUPA")
        types.type3g = kCellTypeHsupa;
    return types;
}

BandState BandStateOf(std::string_view answer)
{
    Line line{std::string(answer)};
    BandState band;
    band.name = line.ReadQuotedString().Text();
    if (!line.SkipIf(','))
        Raise(kQdNotAvailable);
    band.enabled = line.ReadInt() != 0;
    return band;
}

} // namespace GSM
